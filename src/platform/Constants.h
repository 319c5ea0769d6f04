// The documented numeric values of the Windows messages, styles and flags the program uses.
// Declared here with their own names so that portable code never needs a platform header and
// the Win32 backend can include one without the two colliding.
#pragma once

#include <cstdint>

namespace hb::win {

// Window messages.
inline constexpr unsigned kWmDestroy = 0x0002;
inline constexpr unsigned kWmSetText = 0x000C;
inline constexpr unsigned kWmPaint = 0x000F;
inline constexpr unsigned kWmIconEraseBkgnd = 0x0027;
inline constexpr unsigned kWmQueryDragIcon = 0x0037;
inline constexpr unsigned kWmSetIcon = 0x0080;
inline constexpr unsigned kWmInitDialog = 0x0110;
inline constexpr unsigned kWmCommand = 0x0111;
inline constexpr unsigned kWmTimer = 0x0113;
inline constexpr unsigned kWmLButtonDblClk = 0x0203;
inline constexpr unsigned kWmRButtonUp = 0x0205;
inline constexpr unsigned kWmPowerBroadcast = 0x0218;
inline constexpr unsigned kWmUser = 0x0400;

// Combo-box messages and notifications.
inline constexpr unsigned kCbGetCount = 0x0146;
inline constexpr unsigned kCbGetCurSel = 0x0147;
inline constexpr unsigned kCbGetLbText = 0x0148;
inline constexpr unsigned kCbInsertString = 0x014A;
inline constexpr unsigned kCbSetCurSel = 0x014E;
inline constexpr unsigned kCbnSelChange = 1;
inline constexpr int kCbErr = -1;

// Button notifications.
inline constexpr unsigned kBnClicked = 0;

// Command identifiers and message-box results.
inline constexpr int kIdOk = 1;
inline constexpr int kIdCancel = 2;
inline constexpr int kIdAbort = 3;
inline constexpr unsigned kIdHelp = 57670; // the framework's Help command

// Message-box styles.
inline constexpr unsigned kMbOk = 0x0000;
inline constexpr unsigned kMbIconHand = 0x0010;

// WM_SETICON kinds.
inline constexpr unsigned kIconSmall = 0;
inline constexpr unsigned kIconBig = 1;

// ShowWindow commands and SetWindowPos flags.
inline constexpr int kSwHide = 0;
inline constexpr int kSwShow = 5;
inline constexpr unsigned kSwpHideWindow = 0x0080;
inline constexpr unsigned kSwpNoSize = 0x0001;
inline constexpr unsigned kSwpNoZOrder = 0x0004;

// System metrics.
inline constexpr int kSmCxIcon = 11;
inline constexpr int kSmCyIcon = 12;

// Tray icon.
inline constexpr unsigned kNimAdd = 0;
inline constexpr unsigned kNimDelete = 2;
inline constexpr unsigned kNifMessage = 0x1;
inline constexpr unsigned kNifIcon = 0x2;
inline constexpr unsigned kNifTip = 0x4;

// TrackPopupMenu flags.
inline constexpr unsigned kTpmRightButton = 0x0002;
inline constexpr unsigned kTpmRightAlign = 0x0008;

// Power broadcasts.
inline constexpr unsigned kPbtApmResumeAutomatic = 18;

// Keyboard input.
inline constexpr unsigned kMapVkVkToVsc = 0;
inline constexpr std::uint32_t kKeyEventfExtendedKey = 0x0001;
inline constexpr std::uint32_t kKeyEventfKeyUp = 0x0002;

// Registry.
inline constexpr std::uint32_t kKeyQueryValue = 0x0001;
inline constexpr long kErrorSuccess = 0;
inline constexpr long kErrorFileNotFound = 2;
inline constexpr long kErrorMoreData = 234;
inline constexpr long kErrorInvalidHandle = 6;
inline constexpr unsigned kErrorAlreadyExists = 183;
inline constexpr unsigned kErrorNotAllAssigned = 1300;

// Token access and privileges.
inline constexpr std::uint32_t kTokenAdjustPrivileges = 0x0020;
inline constexpr std::uint32_t kTokenQuery = 0x0008;
inline constexpr std::uint32_t kSePrivilegeEnabled = 0x00000002;

// Thread priority.
inline constexpr int kThreadPriorityNormal = 0;

} // namespace hb::win

#include "platform/Types.h"

namespace hb::win {
// SetWindowPos insertion position that places the window behind all topmost windows.
inline const Hwnd kHwndNoTopMost{static_cast<std::uintptr_t>(-2)};
} // namespace hb::win
