// Output, text conversion and cross-process window queries for hbtool.
#include "common.h"

#include <algorithm>
#include <cstdio>
#include <iterator>
#include <vector>

namespace hbtool {

namespace {

// How long a window of the program under test may take to answer one message.
constexpr UINT kMessageTimeoutMs = 2000;

} // namespace

std::string to_utf8(std::wstring_view text) {
    if (text.empty()) {
        return {};
    }
    const int length = static_cast<int>(text.size());
    const int bytes =
        WideCharToMultiByte(CP_UTF8, 0, text.data(), length, nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<std::size_t>(bytes), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), length, out.data(), bytes, nullptr, nullptr);
    return out;
}

std::wstring to_wide(std::string_view text) {
    if (text.empty()) {
        return {};
    }
    const int length = static_cast<int>(text.size());
    const int chars = MultiByteToWideChar(CP_UTF8, 0, text.data(), length, nullptr, 0);
    std::wstring out(static_cast<std::size_t>(chars), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, text.data(), length, out.data(), chars);
    return out;
}

std::string escape(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (const char ch : text) {
        const auto byte = static_cast<unsigned char>(ch);
        switch (ch) {
        case '\r':
            out += "\\r";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\t':
            out += "\\t";
            break;
        default:
            if (byte < 0x20 || byte == 0x7F) {
                char buffer[8];
                std::snprintf(buffer, sizeof buffer, "\\x%02X", byte);
                out += buffer;
            } else {
                out += ch;
            }
        }
    }
    return out;
}

std::string hex(std::uint64_t value) {
    char buffer[24];
    std::snprintf(buffer, sizeof buffer, "0x%llx", static_cast<unsigned long long>(value));
    return buffer;
}

std::string hwnd_text(HWND window) {
    return hex(reinterpret_cast<std::uintptr_t>(window));
}

void print_line(std::string_view line) {
    std::fwrite(line.data(), 1, line.size(), stdout);
    std::fputc('\n', stdout);
}

void print(std::string_view key, std::string_view value) {
    std::string line{key};
    line += '=';
    line += escape(value);
    print_line(line);
}

std::wstring class_of(HWND window) {
    wchar_t name[256] = {};
    const int length = GetClassNameW(window, name, static_cast<int>(std::size(name)));
    return {name, static_cast<std::size_t>(length > 0 ? length : 0)};
}

bool has_class(HWND window, std::wstring_view name) {
    return class_of(window) == name;
}

std::optional<std::wstring> text_of(HWND window) {
    DWORD_PTR length = 0;
    if (!SendMessageTimeoutW(window, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, kMessageTimeoutMs,
                             &length)) {
        return std::nullopt;
    }
    std::vector<wchar_t> buffer(length + 1, L'\0');
    DWORD_PTR copied = 0;
    if (!SendMessageTimeoutW(window, WM_GETTEXT, buffer.size(),
                             reinterpret_cast<LPARAM>(buffer.data()), SMTO_ABORTIFHUNG,
                             kMessageTimeoutMs, &copied)) {
        return std::nullopt;
    }
    return std::wstring(buffer.data(), std::min<std::size_t>(copied, length));
}

std::string title_of(HWND window) {
    wchar_t title[512] = {};
    const int length = GetWindowTextW(window, title, static_cast<int>(std::size(title)));
    return to_utf8({title, static_cast<std::size_t>(length > 0 ? length : 0)});
}

DWORD style_of(HWND window) {
    return static_cast<DWORD>(GetWindowLongPtrW(window, GWL_STYLE));
}

DWORD exstyle_of(HWND window) {
    return static_cast<DWORD>(GetWindowLongPtrW(window, GWL_EXSTYLE));
}

int normalised_id(std::int64_t id) {
    return static_cast<std::int16_t>(id & 0xFFFF);
}

int control_id(HWND control) {
    return normalised_id(GetDlgCtrlID(control));
}

} // namespace hbtool
