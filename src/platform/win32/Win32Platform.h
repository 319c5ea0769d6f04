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

class Win32Platform {
public:
    Win32Platform()
        : m_window(MakeWindowHost()), m_shell(MakeShell()), m_kernel(MakeKernel()),
          m_com(MakeCom()),
          m_devices(MakeDevices()), m_platform{*m_window, *m_shell, *m_kernel, *m_com, *m_devices} {
    }

    platform::Platform& Get() { return m_platform; }

private:
    std::unique_ptr<platform::IWindowHost> m_window;
    std::unique_ptr<platform::IShell> m_shell;
    std::unique_ptr<platform::IKernel> m_kernel;
    std::unique_ptr<platform::ICom> m_com;
    std::unique_ptr<platform::IDevices> m_devices;
    platform::Platform m_platform;
};

} // namespace hb::win32
