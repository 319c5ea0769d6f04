// What hbtool and menuprobe.dll agree on to read a popup menu inside the process that shows it.
//
// Wine keeps a menu's items in the memory of the process that created the menu: another process
// gets the menu's handle from its window (MN_GETHMENU) but every item query on it fails. So
// hbtool hooks the menu window's thread (WH_CALLWNDPROC with menuprobe.dll), sends the window
// kMessageName with the handle of a window of its own in wParam, and the hook, running in the
// menu's thread, answers with one WM_COPYDATA to that window:
//
//   count=<n>\n
//   <index>\t<id>\t<type hex>\t<state hex>\t<submenu 0|1>\t<left>,<top>,<right>,<bottom>\t<text>\n
//   ... one line per item; rectangles in screen pixels, text as the menu holds it ('&' included)
//
// or "error=<why>\n". The payload is UTF-16 without a terminator.
#pragma once

#include <windows.h>

namespace hbtool::menu_probe {

inline constexpr wchar_t kMessageName[] = L"HandsetBridge.Tests.MenuProbe";
inline constexpr wchar_t kDllName[] = L"menuprobe.dll";
inline constexpr char kHookExport[] = "menu_probe_hook";
// COPYDATASTRUCT::dwData of the answer, so that nothing else is taken for one.
inline constexpr ULONG_PTR kAnswerTag = 0x4D50524FU;

} // namespace hbtool::menu_probe
