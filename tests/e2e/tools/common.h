// Helpers shared by hbtool's commands: key=value output, text conversion, owned handles, and
// reading class and text of windows that belong to another process.
#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <type_traits>

namespace hbtool {

// Exit statuses of every command.
inline constexpr int kExitOk = 0;
inline constexpr int kExitFailed = 1; // the check failed, or the wait timed out
inline constexpr int kExitUsage = 2;

// A bad command line; main prints it and exits with kExitUsage.
class UsageError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

struct HandleCloser {
    void operator()(HANDLE handle) const noexcept { CloseHandle(handle); }
};
using UniqueHandle = std::unique_ptr<std::remove_pointer_t<HANDLE>, HandleCloser>;

[[nodiscard]] std::string to_utf8(std::wstring_view text);
[[nodiscard]] std::wstring to_wide(std::string_view text);

// Control characters become \r, \n, \t or \xNN so that every record stays on one line.
// Backslashes are kept as they are: paths are printed verbatim.
[[nodiscard]] std::string escape(std::string_view text);
[[nodiscard]] std::string hex(std::uint64_t value);
[[nodiscard]] std::string hwnd_text(HWND window);

// Writes one "key=value" line (value escaped) or one preformatted line to stdout.
void print(std::string_view key, std::string_view value);
void print_line(std::string_view line);

// The class name as Windows reports it ("Button", "#32770", ...).
[[nodiscard]] std::wstring class_of(HWND window);
[[nodiscard]] bool has_class(HWND window, std::wstring_view name);

// The window's text as the window itself answers WM_GETTEXT (for a combo box: its edit field),
// asked with a time-out so that a hung target cannot block the tool. Empty on failure.
[[nodiscard]] std::optional<std::wstring> text_of(HWND window);

// A top-level window's title, UTF-8. GetWindowText, not WM_GETTEXT: for top-level windows it
// reads the title the system keeps and never waits for the window's thread.
[[nodiscard]] std::string title_of(HWND window);

[[nodiscard]] DWORD style_of(HWND window);
[[nodiscard]] DWORD exstyle_of(HWND window);

// Control identifiers compare as the signed 16-bit values of the resource script: the anonymous
// static's -1 comes back as 65535 or 0xFFFFFFFF depending on the API.
[[nodiscard]] int normalised_id(std::int64_t id);
[[nodiscard]] int control_id(HWND control);

} // namespace hbtool
