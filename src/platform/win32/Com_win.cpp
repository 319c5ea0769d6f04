// COM initialisation of the calling thread.
#include "platform/win32/Win32.h"
#include "platform/win32/Win32Platform.h"

#include <objbase.h>

namespace hb::win32 {
namespace {

class Com final : public platform::ICom {
public:
    HResult CoInitialize() override { return ::CoInitialize(nullptr); }
    void CoUninitialize() override { ::CoUninitialize(); }
};

} // namespace

std::unique_ptr<platform::ICom> MakeCom() {
    return std::make_unique<Com>();
}

} // namespace hb::win32
