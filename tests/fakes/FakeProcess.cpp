// Power fake.
#include "tests/fakes/FakeProcess.h"

#include "platform/Constants.h"

namespace hb::fakes {

class FakeToken final : public platform::IAccessToken {
public:
    explicit FakeToken(FakePower& power) : m_power(power) {}
    bool AdjustTokenPrivileges(bool disableAll, const platform::Luid& privilege,
                               std::uint32_t attributes) override {
        m_power.m_log.Add("AdjustTokenPrivileges " + std::to_string(disableAll) + " " +
                          std::to_string(privilege.lowPart) + " " + std::to_string(attributes));
        // Like the real call: success even when the privilege is not held, with the reason in
        // the last error.
        m_power.m_lastError =
            m_power.privilegeHeld && privilege.lowPart == 19 ? 0 : win::kErrorNotAllAssigned;
        return true;
    }

private:
    FakePower& m_power;
};

std::unique_ptr<platform::IAccessToken> FakePower::OpenProcessToken(std::uint32_t desiredAccess) {
    m_log.Add("OpenProcessToken " + std::to_string(desiredAccess));
    if (!tokenOpens) {
        return nullptr;
    }
    return std::make_unique<FakeToken>(*this);
}

bool FakePower::LookupPrivilegeValue(const std::string& name, platform::Luid& luid) {
    m_log.Add("LookupPrivilegeValue " + name);
    if (name != "SeShutdownPrivilege") {
        return false;
    }
    luid = {19, 0};
    return true;
}

} // namespace hb::fakes
