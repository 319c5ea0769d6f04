// watch-texts: the texts of some of the panel's controls over time, optionally around one posted
// message, so that a scenario sees not only where the texts end up but what they went through
// and when (a button that reads "Start" for one second and then "Stop" again).
//
// Output: "initial id=N text=T" per control, "posted=1" when a message was posted (time 0),
// "change at_ms=N id=N text=T" for every change seen, and "changes=N" at the end.
#include "commands.h"
#include "common.h"
#include "finder.h"

#include <cstdio>
#include <map>
#include <thread>
#include <vector>

namespace hbtool {

namespace {

constexpr std::int64_t kDefaultIntervalMs = 20;

void print_now(std::string_view line) {
    print_line(line);
    std::fflush(stdout); // the scenario may read the output while this still runs
}

} // namespace

int watch_texts(const Options& options) {
    const std::vector<int> ids = options.id_list("ids");
    const std::int64_t duration_ms = options.number("duration-ms");
    const std::int64_t interval_ms = options.number_or("interval-ms", kDefaultIntervalMs);
    const bool posting = options.has("post-msg");
    const std::int64_t message = options.number_or("post-msg", 0);
    if (ids.empty() || duration_ms < 0 || interval_ms <= 0 || message < 0 || message > 0xFFFF) {
        throw UsageError("watch-texts needs --ids, --duration-ms >= 0, --interval-ms > 0 and a "
                         "--post-msg from 0 to 0xFFFF");
    }
    HWND dialog = wait_for_main_dialog(options.text("exe"), options.timeout());
    if (!dialog) {
        return kExitFailed;
    }

    std::map<int, std::wstring> last;
    for (const int id : ids) {
        HWND control = GetDlgItem(dialog, id);
        const auto text = control ? text_of(control) : std::nullopt;
        if (!text) {
            print("error", "no readable control " + std::to_string(id));
            return kExitFailed;
        }
        last[id] = *text;
        print_now("initial id=" + std::to_string(id) + " text=" + escape(to_utf8(*text)));
    }

    const auto start = std::chrono::steady_clock::now();
    if (posting) {
        const auto wparam = static_cast<WPARAM>(options.number_or("post-wparam", 0));
        const auto lparam = static_cast<LPARAM>(options.number_or("post-lparam", 0));
        if (!PostMessageW(dialog, static_cast<UINT>(message), wparam, lparam)) {
            print("error", "PostMessage failed with error " + std::to_string(GetLastError()));
            return kExitFailed;
        }
        print_now("posted=1");
    }

    int changes = 0;
    const auto end = start + std::chrono::milliseconds(duration_ms);
    while (std::chrono::steady_clock::now() < end) {
        std::this_thread::sleep_for(std::chrono::milliseconds(interval_ms));
        const auto at_ms = std::chrono::duration_cast<std::chrono::milliseconds>(
                               std::chrono::steady_clock::now() - start)
                               .count();
        for (const int id : ids) {
            const auto text = text_of(GetDlgItem(dialog, id));
            if (!text) {
                print_now("gone at_ms=" + std::to_string(at_ms));
                print("changes", std::to_string(changes));
                return kExitFailed;
            }
            if (*text != last[id]) {
                last[id] = *text;
                ++changes;
                print_now("change at_ms=" + std::to_string(at_ms) + " id=" + std::to_string(id) +
                          " text=" + escape(to_utf8(*text)));
            }
        }
    }
    print("changes", std::to_string(changes));
    return kExitOk;
}

} // namespace hbtool
