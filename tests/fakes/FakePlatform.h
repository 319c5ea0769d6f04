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
    FakeNamedObjects m_ownNames; // unless the named objects are shared with another "copy"

public:
    FakePlatform() : FakePlatform(nullptr) {}
    // Two platforms sharing named objects are two copies of the program on one machine.
    explicit FakePlatform(FakeNamedObjects& shared) : FakePlatform(&shared) {}

    FakeNamedObjects& names;
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
    explicit FakePlatform(FakeNamedObjects* shared)
        : names(shared != nullptr ? *shared : m_ownNames),
          kernel(log, names), platform{window,   shell,   kernel,  com,   devices, keyboard,
                                       registry, profile, process, power, codePage} {}
};

} // namespace hb::fakes
