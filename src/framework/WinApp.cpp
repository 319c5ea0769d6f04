// CWinApp, AfxMessageBox and the program entry.
#include "framework/WinApp.h"

#include "framework/Wnd.h"

#include <array>

namespace hb {
namespace {
CWinApp* g_app = nullptr;
}

CWinApp::CWinApp(platform::Platform& os, const char* appName) : m_os(os), m_pszAppName(appName) {
    g_app = this;
}

CWinApp::~CWinApp() {
    if (g_app == this) {
        g_app = nullptr;
    }
}

const MessageMap* CWinApp::GetMessageMap() const {
    static constexpr MessageMapEntry entries[] = {HB_ON_COMMAND(win::kIdHelp, CWinApp, OnHelp)};
    static const MessageMap map{CCmdTarget::GetMessageMap(), entries};
    return &map;
}

CWinApp* AfxGetApp() {
    return g_app;
}

std::string AppNameFromModulePath(const std::string& modulePath) {
    const std::size_t slash = modulePath.find_last_of("\\/");
    std::string name = slash == std::string::npos ? modulePath : modulePath.substr(slash + 1);
    const std::size_t dot = name.find_last_of('.');
    if (dot != std::string::npos) {
        name.erase(dot);
    }
    return name;
}

std::string AfxAppName() {
    const CWinApp* app = AfxGetApp();
    return app != nullptr ? app->AppName() : std::string();
}

int AfxMessageBox(const std::string& text, unsigned type) {
    CWinApp* app = AfxGetApp();
    if (app == nullptr) {
        return 0; // no application, no platform to show it with
    }
    const Hwnd owner = app->m_pMainWnd != nullptr ? app->m_pMainWnd->m_hWnd : kNoWindow;
    return app->Os().shell.MessageBox(owner, text, app->AppName(), type);
}

int AfxWinMain(CWinApp& app) {
    app.m_strAppName = app.m_pszAppName != nullptr
                           ? std::string(app.m_pszAppName)
                           : AppNameFromModulePath(app.Os().kernel.GetModuleFileName());
    // A dialog program does all its work inside InitInstance and ends when it returns: there
    // is no message loop of the application's own, whatever InitInstance returns.
    static_cast<void>(app.InitInstance());
    return app.ExitInstance();
}

} // namespace hb
