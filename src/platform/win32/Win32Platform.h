// The real platform: one object per interface of the seam.
#pragma once

#include "platform/Platform.h"

#include <memory>

namespace hb::win32 {

std::unique_ptr<platform::IWindowHost> MakeWindowHost();
std::unique_ptr<platform::IShell> MakeShell();
std::unique_ptr<platform::IKernel> MakeKernel();
std::unique_ptr<platform::ICom> MakeCom();
std::unique_ptr<platform::IDevices> MakeDevices();
std::unique_ptr<platform::IKeyboard> MakeKeyboard();
std::unique_ptr<platform::IRegistry> MakeRegistry();
std::unique_ptr<platform::IProfile> MakeProfile();
std::unique_ptr<platform::IProcess> MakeProcess();
std::unique_ptr<platform::IPower> MakePower();
std::unique_ptr<platform::ICodePage> MakeCodePage();

class Win32Platform {
public:
    Win32Platform()
        : m_window(MakeWindowHost()), m_shell(MakeShell()), m_kernel(MakeKernel()),
          m_com(MakeCom()), m_devices(MakeDevices()), m_keyboard(MakeKeyboard()),
          m_registry(MakeRegistry()), m_profile(MakeProfile()), m_process(MakeProcess()),
          m_power(MakePower()),
          m_codePage(MakeCodePage()), m_platform{*m_window,  *m_shell,    *m_kernel,   *m_com,
                                                 *m_devices, *m_keyboard, *m_registry, *m_profile,
                                                 *m_process, *m_power,    *m_codePage} {}

    platform::Platform& Get() { return m_platform; }

private:
    std::unique_ptr<platform::IWindowHost> m_window;
    std::unique_ptr<platform::IShell> m_shell;
    std::unique_ptr<platform::IKernel> m_kernel;
    std::unique_ptr<platform::ICom> m_com;
    std::unique_ptr<platform::IDevices> m_devices;
    std::unique_ptr<platform::IKeyboard> m_keyboard;
    std::unique_ptr<platform::IRegistry> m_registry;
    std::unique_ptr<platform::IProfile> m_profile;
    std::unique_ptr<platform::IProcess> m_process;
    std::unique_ptr<platform::IPower> m_power;
    std::unique_ptr<platform::ICodePage> m_codePage;
    platform::Platform m_platform;
};

} // namespace hb::win32
