// hbtool's commands. Each prints key=value lines to stdout and returns the exit status
// (kExitOk, kExitFailed; usage errors are thrown as UsageError).
#pragma once

#include "args.h"

namespace hbtool {

[[nodiscard]] int list_windows(const Options& options);
[[nodiscard]] int find_dialog(const Options& options);
[[nodiscard]] int texts(const Options& options);
[[nodiscard]] int post(const Options& options);
[[nodiscard]] int click(const Options& options);
[[nodiscard]] int check_dialog(const Options& options);
[[nodiscard]] int wait_msgbox(const Options& options);
[[nodiscard]] int press_msgbox(const Options& options);
[[nodiscard]] int record_keys(const Options& options);
[[nodiscard]] int send_keys(const Options& options);
[[nodiscard]] int map_virtual_keys(const Options& options);
[[nodiscard]] int window_text(const Options& options);
[[nodiscard]] int foreground(const Options& options);
[[nodiscard]] int wait_text(const Options& options);
[[nodiscard]] int combo_items(const Options& options);
[[nodiscard]] int select_combo(const Options& options);
[[nodiscard]] int check_radio(const Options& options);
[[nodiscard]] int popup_menu(const Options& options);
[[nodiscard]] int menu_choose(const Options& options);
[[nodiscard]] int tray_icons(const Options& options);
[[nodiscard]] int hold_desktop(const Options& options);
[[nodiscard]] int watch_texts(const Options& options);

} // namespace hbtool
