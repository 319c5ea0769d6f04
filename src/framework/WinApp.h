// CWinApp: the application object. AfxWinMain runs InitInstance and ends the process when it
// returns FALSE; AfxMessageBox shows a message captioned with the application name.
#pragma once

#include "framework/MessageMap.h"
#include "platform/Platform.h"

#include <string>

namespace hb {

class CWnd;

class CWinApp : public CCmdTarget {
public:
    // appName null: the application name is the executable's file name without extension.
    CWinApp(platform::Platform& os, const char* appName = nullptr);
    ~CWinApp() override;

    // The process's work. FALSE ends the process without a message loop.
    virtual bool InitInstance() { return false; }
    virtual int ExitInstance() { return 0; }

    [[nodiscard]] platform::Platform& Os() const { return m_os; }
    [[nodiscard]] const std::string& AppName() const { return m_strAppName; }

    CWnd* m_pMainWnd = nullptr;

protected:
    [[nodiscard]] const MessageMap* GetMessageMap() const override;
    // The framework's default Help command: this program has no help file.
    void OnHelp() {}

private:
    friend int AfxWinMain(CWinApp& app);

    platform::Platform& m_os;
    const char* m_pszAppName;
    std::string m_strAppName;
};

// The running application object, or null.
CWinApp* AfxGetApp();

// Application name from an executable path: the file name without its extension.
std::string AppNameFromModulePath(const std::string& modulePath);

// The application name, empty when there is no application object.
std::string AfxAppName();

// Shows a message box owned by the main window and captioned with the application name.
int AfxMessageBox(const std::string& text, unsigned type);

// The program's entry: sets the application name, runs InitInstance, returns the exit code.
int AfxWinMain(CWinApp& app);

} // namespace hb
