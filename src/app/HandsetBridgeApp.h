// CHandsetBridgeApp: refuses to run a second copy, otherwise runs the controller modally.
#pragma once

#include "framework/WinApp.h"

namespace hb {

// Name of the single-instance guard.
inline constexpr char kInstanceMutexName[] = "TV 2222(@_@)a";

class CHandsetBridgeApp : public CWinApp {
public:
    explicit CHandsetBridgeApp(platform::Platform& os) : CWinApp(os) {}

    bool InitInstance() override;
};

} // namespace hb
