// An ordered record of the platform calls the program made, shared by all fakes of one
// platform, so a test can check the order of effects across interfaces.
#pragma once

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace hb::fakes {

class CallLog {
public:
    void Add(std::string entry) {
        {
            std::scoped_lock lock(m_mutex);
            m_entries.push_back(std::move(entry));
        }
        m_added.notify_all();
    }
    [[nodiscard]] std::vector<std::string> Entries() const {
        std::scoped_lock lock(m_mutex);
        return m_entries;
    }
    // Waits until an entry equal to `entry` appears at or after index `from`; returns its index.
    std::optional<std::size_t>
    WaitFor(const std::string& entry, std::size_t from = 0,
            std::chrono::milliseconds timeout = std::chrono::seconds(5)) {
        std::unique_lock lock(m_mutex);
        std::optional<std::size_t> found;
        m_added.wait_for(lock, timeout, [&] {
            for (std::size_t i = from; i < m_entries.size(); ++i) {
                if (m_entries[i] == entry) {
                    found = i;
                    return true;
                }
            }
            return false;
        });
        return found;
    }
    [[nodiscard]] std::size_t Size() const {
        std::scoped_lock lock(m_mutex);
        return m_entries.size();
    }
    void Clear() {
        std::scoped_lock lock(m_mutex);
        m_entries.clear();
    }

private:
    mutable std::mutex m_mutex;
    std::condition_variable m_added;
    std::vector<std::string> m_entries;
};

} // namespace hb::fakes
