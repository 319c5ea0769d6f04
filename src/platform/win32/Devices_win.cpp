// Device enumeration. Receivers are not looked up yet: the enumerator reports an empty
// category, so discovery finds no device.
#include "platform/RefCountedImpl.h"
#include "platform/win32/Win32.h"
#include "platform/win32/Win32Platform.h"

namespace hb::win32 {
namespace {

class EmptyDeviceEnum final : public RefCountedImpl<platform::ICreateDevEnumPort> {
public:
    HResult CreateClassEnumerator(const Guid&, ComPtr<platform::IEnumMonikerPort>& out,
                                  std::uint32_t) override {
        out.Reset();
        return kSFalse;
    }
};

class Devices final : public platform::IDevices {
public:
    HResult CreateSystemDeviceEnum(ComPtr<platform::ICreateDevEnumPort>& out) override {
        out = MakeRefCounted<EmptyDeviceEnum>();
        return kSOk;
    }
};

} // namespace

std::unique_ptr<platform::IDevices> MakeDevices() {
    return std::make_unique<Devices>();
}

} // namespace hb::win32
