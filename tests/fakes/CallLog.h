// An ordered record of the platform calls the program made, shared by all fakes of one
// platform, so a test can check the order of effects across interfaces.
#pragma once

#include <mutex>
#include <string>
#include <vector>

namespace hb::fakes {

class CallLog {
public:
    void Add(std::string entry) {
        std::scoped_lock lock(m_mutex);
        m_entries.push_back(std::move(entry));
    }
    [[nodiscard]] std::vector<std::string> Entries() const {
        std::scoped_lock lock(m_mutex);
        return m_entries;
    }
    void Clear() {
        std::scoped_lock lock(m_mutex);
        m_entries.clear();
    }

private:
    mutable std::mutex m_mutex;
    std::vector<std::string> m_entries;
};

} // namespace hb::fakes
