// The receiver's end of the control channel (names and layout in SimChannel.h): it owns the
// named objects of one device and a worker thread that carries out simctl's commands on the
// driver and answers each one.
#pragma once

#include "ReceiverDriver.h"
#include "SimChannel.h"

#include <string>
#include <string_view>
#include <thread>

namespace simreceiver {

class ControlChannel {
public:
    ControlChannel() = default;
    ControlChannel(const ControlChannel&) = delete;
    ControlChannel& operator=(const ControlChannel&) = delete;
    ~ControlChannel() { Stop(); }

    // Creates the device's named objects and starts the worker. Fails when a receiver that is
    // loaded already serves the same name, or an object can't be created; the driver then
    // works without remote control. The driver must outlive the channel (or its Stop).
    [[nodiscard]] bool Start(std::wstring_view friendlyName, ReceiverDriver& driver);
    // Ends the worker and closes the names; safe to call more than once.
    void Stop();

private:
    void Run();
    void Execute(ChannelBlock& block);

    ReceiverDriver* m_driver = nullptr;
    UniqueKernelHandle m_clientMutex;
    UniqueKernelHandle m_commandEvent;
    UniqueKernelHandle m_doneEvent;
    UniqueKernelHandle m_stopEvent;
    UniqueKernelHandle m_mapping;
    UniqueView m_view;
    std::thread m_worker;
};

} // namespace simreceiver
