// A controller on fake platform services, outside any modal loop: tests call its operations
// directly, as the window's thread or the capture thread would.
#pragma once

#include "framework/WinApp.h"
#include "tests/fakes/FakePlatform.h"
#include "ui/HandsetBridgeDlg.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace hb::testing {

inline constexpr char kInstallKey[] = "software\\Quorvant\\V5120remote";
inline constexpr char kInstallFolder[] = "C:\\Program Files\\HB\\";
inline constexpr char kKeyMapPath[] = "C:\\Program Files\\HB\\keymap.ini";
inline constexpr char kMessengerKey[] =
    "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\MSNMSGR.EXE";

class ControllerTest : public ::testing::Test {
protected:
    fakes::FakePlatform os;
    CWinApp app{os.platform}; // message boxes are the application's
    CHandsetBridgeDlg dlg{os.platform};

    ControllerTest() {
        dlg.m_hWnd = fakes::kFakeDialog; // as if created, before any thread looks at it
        app.m_pMainWnd = &dlg;
        os.window.Attach(dlg);
    }
    ~ControllerTest() override { os.window.Detach(); }

    void SetInstallFolder(const std::string& folder = kInstallFolder) {
        os.registry.SetString(kInstallKey, "V5120remote", folder);
    }
    // Writes a key map: count, then button n = codes[n-1] in "Button" and functions[n-1] in
    // the given function section.
    void WriteKeyMap(int count, const std::vector<std::string>& codes,
                     const std::vector<std::string>& functions,
                     const std::string& section = "FunctionMap") {
        os.profile.Set(kKeyMapPath, "TotalButton", "Count", std::to_string(count));
        for (std::size_t i = 0; i < codes.size(); ++i) {
            os.profile.Set(kKeyMapPath, "Button", std::to_string(i + 1), codes[i]);
        }
        for (std::size_t i = 0; i < functions.size(); ++i) {
            os.profile.Set(kKeyMapPath, section, std::to_string(i + 1), functions[i]);
        }
    }
    [[nodiscard]] std::vector<std::string> LogWith(const std::string& prefix) const {
        std::vector<std::string> matching;
        for (const std::string& entry : os.log.Entries()) {
            if (entry.rfind(prefix, 0) == 0) {
                matching.push_back(entry);
            }
        }
        return matching;
    }
};

} // namespace hb::testing
