// hbtool: the end-to-end tests' probe into HandsetBridge running under Wine (or Windows).
//
// It finds the program's windows by the image name of their process, reads the status panel and
// the message boxes, and posts messages and clicks, never sending anything that could block on
// the program. It also records the keys that reach the desktop, types a few itself, and reads
// the foreground window and the text of other programs' windows (Notepad). Output goes to stdout
// as key=value lines (LF line ends, also under Wine).
// Exit status: 0 success, 1 failure or time-out, 2 usage error.
#include "args.h"
#include "commands.h"
#include "common.h"

#include <cstdio>
#include <fcntl.h>
#include <io.h>
#include <string>
#include <string_view>
#include <vector>

namespace {

using hbtool::Options;

struct Command {
    std::string_view name;
    int (*run)(const Options&);
    std::vector<std::string_view> options;
};

const Command kCommands[] = {
    {"list-windows", hbtool::list_windows, {"exe"}},
    {"find-dialog", hbtool::find_dialog, {"exe", "timeout-ms"}},
    {"check-dialog",
     hbtool::check_dialog,
     {"exe", "expect", "timeout-ms", "ignore-text-ids", "verbose"}},
    {"texts", hbtool::texts, {"exe", "ids", "timeout-ms"}},
    {"post", hbtool::post, {"exe", "msg", "wparam", "lparam", "timeout-ms"}},
    {"click", hbtool::click, {"exe", "id", "timeout-ms"}},
    {"wait-msgbox", hbtool::wait_msgbox, {"exe", "timeout-ms"}},
    {"press-msgbox", hbtool::press_msgbox, {"exe", "button", "timeout-ms"}},
    {"record-keys", hbtool::record_keys, {"out", "stop-file", "timeout-ms"}},
    {"send-keys", hbtool::send_keys, {"vk"}},
    {"mapvk", hbtool::map_virtual_keys, {"vk"}},
    {"window-text", hbtool::window_text, {"class", "child-class", "timeout-ms"}},
    {"foreground", hbtool::foreground, {"class", "timeout-ms"}},
    {"wait-text", hbtool::wait_text, {"exe", "id", "text", "timeout-ms"}},
    {"combo-items", hbtool::combo_items, {"exe", "id", "timeout-ms"}},
    {"select-combo", hbtool::select_combo, {"exe", "id", "index", "timeout-ms"}},
    {"check-radio", hbtool::check_radio, {"exe", "id", "timeout-ms"}},
    {"menu", hbtool::popup_menu, {"timeout-ms"}},
    {"menu-choose", hbtool::menu_choose, {"text", "timeout-ms"}},
    {"tray-icons", hbtool::tray_icons, {}},
    {"hold-desktop", hbtool::hold_desktop, {"stop-file", "timeout-ms"}},
    {"watch-texts",
     hbtool::watch_texts,
     {"exe", "ids", "duration-ms", "interval-ms", "post-msg", "post-wparam", "post-lparam",
      "timeout-ms"}},
};

constexpr std::string_view kUsage =
    "hbtool COMMAND [options]   (numbers: decimal or 0x hex)\n"
    "  list-windows  --exe NAME\n"
    "  find-dialog   --exe NAME [--timeout-ms N]\n"
    "  check-dialog  --exe NAME --expect FILE [--timeout-ms N] [--ignore-text-ids ID,...]\n"
    "                [--verbose 1]\n"
    "  texts         --exe NAME --ids ID,ID,... [--timeout-ms N]\n"
    "  post          --exe NAME --msg N [--wparam N] [--lparam N] [--timeout-ms N]\n"
    "  click         --exe NAME --id N [--timeout-ms N]\n"
    "  wait-msgbox   --exe NAME [--timeout-ms N]\n"
    "  press-msgbox  --exe NAME [--button TEXT] [--timeout-ms N]\n"
    "  record-keys   --out FILE [--stop-file FILE] [--timeout-ms N]   (default 60000)\n"
    "  send-keys     --vk VK,VK,...\n"
    "  mapvk         --vk VK,VK,...\n"
    "  window-text   --class CLASS [--child-class CLASS] [--timeout-ms N]\n"
    "  foreground    [--class CLASS [--timeout-ms N]]\n"
    "  menu          [--timeout-ms N]   (the visible popup menu of any program)\n"
    "  menu-choose   --text TEXT [--timeout-ms N]\n"
    "  tray-icons\n"
    "  hold-desktop  --stop-file FILE [--timeout-ms N]   (default 600000)\n"
    "  watch-texts   --exe NAME --ids ID,... --duration-ms N [--interval-ms N]\n"
    "                [--post-msg N [--post-wparam N] [--post-lparam N]] [--timeout-ms N]\n"
    "  wait-text     --exe NAME --id N --text TEXT [--timeout-ms N]\n"
    "  combo-items   --exe NAME --id N [--timeout-ms N]\n"
    "  select-combo  --exe NAME --id N --index N [--timeout-ms N]\n"
    "  check-radio   --exe NAME --id N [--timeout-ms N]\n";

int run(const std::vector<std::string>& args) {
    if (args.size() < 2) {
        throw hbtool::UsageError("no command given");
    }
    std::vector<const char*> argv;
    for (const std::string& arg : args) {
        argv.push_back(arg.c_str());
    }
    for (const Command& command : kCommands) {
        if (command.name == args[1]) {
            const Options options(static_cast<int>(argv.size()), argv.data(), 2, command.options);
            return command.run(options);
        }
    }
    throw hbtool::UsageError("unknown command " + args[1]);
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    // Binary mode: plain LF line ends, so scripts need no CR stripping.
    _setmode(_fileno(stdout), _O_BINARY);
    std::vector<std::string> args;
    for (int i = 0; i < argc; ++i) {
        args.push_back(hbtool::to_utf8(argv[i]));
    }
    int status = hbtool::kExitFailed;
    try {
        status = run(args);
    } catch (const hbtool::UsageError& error) {
        hbtool::print("error", error.what());
        for (std::size_t start = 0; start < kUsage.size();) {
            const std::size_t end = kUsage.find('\n', start);
            hbtool::print("usage", kUsage.substr(start, end - start));
            start = end + 1;
        }
        status = hbtool::kExitUsage;
    } catch (const std::exception& error) {
        hbtool::print("error", error.what());
        status = hbtool::kExitFailed;
    }
    std::fflush(stdout);
    return status;
}
