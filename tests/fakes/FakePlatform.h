// All fakes of one "machine", wired into a Platform the program runs on.
#pragma once

#include "tests/fakes/FakeDevices.h"
#include "tests/fakes/FakeInput.h"
#include "tests/fakes/FakeKernel.h"
#include "tests/fakes/FakeProcess.h"
#include "tests/fakes/FakeRegistry.h"
#include "tests/fakes/FakeShell.h"
#include "tests/fakes/FakeWindowHost.h"

namespace hb::fakes {

class FakePlatform {
public:
    explicit FakePlatform(FakeNamedObjects& names)
        : kernel(log, names), platform{window,   shell,   kernel,  com,   devices, keyboard,
                                       registry, profile, process, power, codePage} {}
    FakePlatform() : FakePlatform(m_ownNames) {}

    CallLog log;
    FakeWindowHost window{log};
    FakeShell shell{log};
    FakeKernel kernel;
    FakeCom com{log};
    FakeDevices devices{log};
    FakeKeyboard keyboard{log};
    FakeRegistry registry{log};
    FakeProfile profile{log};
    FakeProcess process{log};
    FakePower power{log};
    FakeCodePage codePage;
    platform::Platform platform;

private:
    FakeNamedObjects m_ownNames; // used by the default constructor only
};

} // namespace hb::fakes
