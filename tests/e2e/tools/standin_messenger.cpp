// msnmsgr.exe for the end-to-end tests: stands in for the messenger that the program under test
// starts through App Paths. It only notes that it was started, and with which command line, in
// msnmsgr.log next to itself, then ends. It opens no window, so it never takes the foreground
// from the window the test types into.
#include <windows.h>

#include <memory>
#include <string>
#include <type_traits>

namespace {

struct HandleCloser {
    void operator()(HANDLE handle) const noexcept { CloseHandle(handle); }
};
using UniqueHandle = std::unique_ptr<std::remove_pointer_t<HANDLE>, HandleCloser>;

// The folder of this executable, with its trailing backslash.
std::wstring own_folder() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length =
            GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length == 0) {
            return {};
        }
        if (length < path.size()) {
            path.resize(length);
            break;
        }
        path.resize(path.size() * 2);
    }
    return path.substr(0, path.find_last_of(L"\\/") + 1);
}

bool append_to_log(const std::string& line) {
    const std::wstring log = own_folder() + L"msnmsgr.log";
    // Append-only access: each write lands at the end as one piece, even when two copies start
    // at the same time.
    HANDLE opened = CreateFileW(log.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (opened == INVALID_HANDLE_VALUE) {
        return false;
    }
    const UniqueHandle file{opened};
    DWORD written = 0;
    return WriteFile(file.get(), line.data(), static_cast<DWORD>(line.size()), &written, nullptr) !=
               FALSE &&
           written == line.size();
}

} // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    const std::string line = std::string("started cmdline=") + GetCommandLineA() + "\n";
    return append_to_log(line) ? 0 : 1;
}
