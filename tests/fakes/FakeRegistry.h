// The registry and INI files of the simulated machine, with failure switches for each call.
#pragma once

#include "platform/Platform.h"
#include "tests/fakes/CallLog.h"

#include <map>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace hb::fakes {

class FakeRegistry final : public platform::IRegistry {
public:
    explicit FakeRegistry(CallLog& log) : m_log(log) {}

    // Values are stored as raw bytes: a string value includes its terminator.
    void SetString(const std::string& key, const std::string& name, const std::string& text);
    void SetBytes(const std::string& key, const std::string& name, std::vector<std::uint8_t> data);
    void Remove(const std::string& key, const std::string& name);
    bool failClose = false;
    [[nodiscard]] int OpenKeys() const { return static_cast<int>(m_open.size()); }

    long RegOpenKeyEx(platform::RegistryRoot root, const std::string& subKey, std::uint32_t access,
                      platform::RegistryKey& key) override;
    long RegQueryValueEx(platform::RegistryKey key, const std::string& valueName,
                         std::uint8_t* data, std::uint32_t& size) override;
    long RegCloseKey(platform::RegistryKey key) override;

private:
    static std::string Lower(std::string text);

    CallLog& m_log;
    std::mutex m_mutex;
    std::map<std::string, std::map<std::string, std::vector<std::uint8_t>>> m_keys;
    std::map<std::uintptr_t, std::string> m_open;
    std::uintptr_t m_nextKey = 0x700;
};

// INI files by path: section -> key -> value. Reads of a missing file or key give the
// default, as the profile functions do.
class FakeProfile final : public platform::IProfile {
public:
    explicit FakeProfile(CallLog& log) : m_log(log) {}

    void Set(const std::string& path, const std::string& section, const std::string& key,
             const std::string& value);
    void RemoveFile(const std::string& path);
    [[nodiscard]] int Reads() const { return m_reads; }

    int GetPrivateProfileInt(const std::string& section, const std::string& key, int defaultValue,
                             const std::string& path) override;
    std::string GetPrivateProfileString(const std::string& section, const std::string& key,
                                        const std::string& defaultValue, std::uint32_t bufferSize,
                                        const std::string& path) override;

private:
    std::optional<std::string> Find(const std::string& path, const std::string& section,
                                    const std::string& key);

    CallLog& m_log;
    std::mutex m_mutex;
    std::map<std::string, std::map<std::string, std::map<std::string, std::string>>> m_files;
    int m_reads = 0;
};

} // namespace hb::fakes
