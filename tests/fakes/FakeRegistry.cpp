// Registry and profile fakes.
#include "tests/fakes/FakeRegistry.h"

#include "platform/Constants.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <cstring>

namespace hb::fakes {

std::string FakeRegistry::Lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

void FakeRegistry::SetString(const std::string& key, const std::string& name,
                             const std::string& text) {
    std::vector<std::uint8_t> bytes(text.begin(), text.end());
    bytes.push_back(0);
    SetBytes(key, name, std::move(bytes));
}

void FakeRegistry::SetBytes(const std::string& key, const std::string& name,
                            std::vector<std::uint8_t> data) {
    std::scoped_lock lock(m_mutex);
    m_keys[Lower(key)][Lower(name)] = std::move(data);
}

void FakeRegistry::Remove(const std::string& key, const std::string& name) {
    std::scoped_lock lock(m_mutex);
    m_keys[Lower(key)].erase(Lower(name));
}

long FakeRegistry::RegOpenKeyEx(platform::RegistryRoot, const std::string& subKey,
                                std::uint32_t access, platform::RegistryKey& key) {
    m_log.Add("RegOpenKeyEx " + subKey + " " + std::to_string(access));
    std::scoped_lock lock(m_mutex);
    if (!m_keys.contains(Lower(subKey))) {
        return win::kErrorFileNotFound;
    }
    const std::uintptr_t handle = m_nextKey++;
    m_open[handle] = Lower(subKey);
    key = platform::RegistryKey{handle};
    return win::kErrorSuccess;
}

long FakeRegistry::RegQueryValueEx(platform::RegistryKey key, const std::string& valueName,
                                   std::uint8_t* data, std::uint32_t& size) {
    m_log.Add("RegQueryValueEx " + valueName + " " + std::to_string(size));
    std::scoped_lock lock(m_mutex);
    const auto open = m_open.find(static_cast<std::uintptr_t>(key));
    if (open == m_open.end()) {
        return win::kErrorInvalidHandle;
    }
    const auto& values = m_keys[open->second];
    const auto value = values.find(Lower(valueName));
    if (value == values.end()) {
        return win::kErrorFileNotFound;
    }
    const auto length = static_cast<std::uint32_t>(value->second.size());
    if (length > size) {
        size = length;
        return win::kErrorMoreData;
    }
    std::memcpy(data, value->second.data(), length);
    size = length;
    return win::kErrorSuccess;
}

long FakeRegistry::RegCloseKey(platform::RegistryKey key) {
    m_log.Add("RegCloseKey");
    std::scoped_lock lock(m_mutex);
    if (m_open.erase(static_cast<std::uintptr_t>(key)) == 0) {
        return win::kErrorInvalidHandle;
    }
    return failClose ? win::kErrorInvalidHandle : win::kErrorSuccess;
}

void FakeProfile::Set(const std::string& path, const std::string& section, const std::string& key,
                      const std::string& value) {
    std::scoped_lock lock(m_mutex);
    m_files[path][section][key] = value;
}

void FakeProfile::RemoveFile(const std::string& path) {
    std::scoped_lock lock(m_mutex);
    m_files.erase(path);
}

std::optional<std::string> FakeProfile::Find(const std::string& path, const std::string& section,
                                             const std::string& key) {
    std::scoped_lock lock(m_mutex);
    ++m_reads;
    const auto file = m_files.find(path);
    if (file == m_files.end()) {
        return std::nullopt;
    }
    const auto sectionIt = file->second.find(section);
    if (sectionIt == file->second.end()) {
        return std::nullopt;
    }
    const auto keyIt = sectionIt->second.find(key);
    if (keyIt == sectionIt->second.end()) {
        return std::nullopt;
    }
    return keyIt->second;
}

int FakeProfile::GetPrivateProfileInt(const std::string& section, const std::string& key,
                                      int defaultValue, const std::string& path) {
    m_log.Add("GetPrivateProfileInt " + section + " " + key);
    const std::optional<std::string> value = Find(path, section, key);
    if (!value) {
        return defaultValue;
    }
    return static_cast<int>(std::strtol(value->c_str(), nullptr, 10));
}

std::string FakeProfile::GetPrivateProfileString(const std::string& section, const std::string& key,
                                                 const std::string& defaultValue,
                                                 std::uint32_t bufferSize,
                                                 const std::string& path) {
    m_log.Add("GetPrivateProfileString " + section + " " + key);
    const std::string value = Find(path, section, key).value_or(defaultValue);
    return value.substr(0, bufferSize == 0 ? 0 : bufferSize - 1);
}

} // namespace hb::fakes
