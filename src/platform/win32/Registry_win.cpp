// Registry and INI-file reads.
#include "platform/win32/Win32.h"
#include "platform/win32/Win32Platform.h"

#include <vector>

namespace hb::win32 {
namespace {

HKEY ToNative(platform::RegistryKey key) {
    return reinterpret_cast<HKEY>(static_cast<std::uintptr_t>(key));
}

class Registry final : public platform::IRegistry {
public:
    long RegOpenKeyEx(platform::RegistryRoot, const std::string& subKey, std::uint32_t access,
                      platform::RegistryKey& key) override {
        HKEY opened = nullptr;
        const LSTATUS status =
            ::RegOpenKeyExA(HKEY_LOCAL_MACHINE, subKey.c_str(), 0, access, &opened);
        key = platform::RegistryKey{reinterpret_cast<std::uintptr_t>(opened)};
        return status;
    }
    long RegQueryValueEx(platform::RegistryKey key, const std::string& valueName,
                         std::uint8_t* data, std::uint32_t& size) override {
        DWORD length = size;
        const LSTATUS status =
            ::RegQueryValueExA(ToNative(key), valueName.c_str(), nullptr, nullptr, data, &length);
        size = length;
        return status;
    }
    long RegCloseKey(platform::RegistryKey key) override { return ::RegCloseKey(ToNative(key)); }
};

class Profile final : public platform::IProfile {
public:
    int GetPrivateProfileInt(const std::string& section, const std::string& key, int defaultValue,
                             const std::string& path) override {
        return static_cast<int>(
            ::GetPrivateProfileIntA(section.c_str(), key.c_str(), defaultValue, path.c_str()));
    }
    std::string GetPrivateProfileString(const std::string& section, const std::string& key,
                                        const std::string& defaultValue, std::uint32_t bufferSize,
                                        const std::string& path) override {
        std::vector<char> buffer(bufferSize == 0 ? 1 : bufferSize, '\0');
        const DWORD length = ::GetPrivateProfileStringA(
            section.c_str(), key.c_str(), defaultValue.c_str(), buffer.data(),
            static_cast<DWORD>(buffer.size()), path.c_str());
        return std::string(buffer.data(), length);
    }
};

} // namespace

std::unique_ptr<platform::IRegistry> MakeRegistry() {
    return std::make_unique<Registry>();
}
std::unique_ptr<platform::IProfile> MakeProfile() {
    return std::make_unique<Profile>();
}

} // namespace hb::win32
