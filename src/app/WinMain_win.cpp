// The program's entry point: the real platform and the one application object.
#include "app/HandsetBridgeApp.h"
#include "platform/win32/Win32.h"
#include "platform/win32/Win32Platform.h"

namespace {
hb::win32::Win32Platform g_platform;
hb::CHandsetBridgeApp theApp(g_platform.Get());
} // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    return hb::AfxWinMain(theApp);
}
