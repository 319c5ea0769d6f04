// The worker that carries out simctl's commands inside the program under test.
#include "ControlChannel.h"

#include <array>
#include <string>

namespace simreceiver {

namespace rx = hb::receiver;

bool ControlChannel::Start(std::wstring_view friendlyName, ReceiverDriver& driver) {
    Stop();
    m_driver = &driver;
    m_clientMutex.Reset(CreateMutexW(nullptr, FALSE, ClientMutexName(friendlyName).c_str()));
    m_commandEvent.Reset(
        CreateEventW(nullptr, FALSE, FALSE, CommandEventName(friendlyName).c_str()));
    m_doneEvent.Reset(CreateEventW(nullptr, FALSE, FALSE, DoneEventName(friendlyName).c_str()));
    m_stopEvent.Reset(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    if (!m_clientMutex || !m_commandEvent || !m_doneEvent || !m_stopEvent) {
        Stop();
        return false;
    }
    // Last, so that a client that can open it finds everything else in place.
    const HANDLE mapping =
        CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, sizeof(ChannelBlock),
                           ChannelName(friendlyName).c_str());
    const DWORD created = GetLastError();
    m_mapping.Reset(mapping);
    if (!m_mapping || created == ERROR_ALREADY_EXISTS) {
        Stop();
        return false;
    }
    m_view.Reset(MapViewOfFile(m_mapping.Get(), FILE_MAP_ALL_ACCESS, 0, 0, sizeof(ChannelBlock)));
    if (!m_view) {
        Stop();
        return false;
    }
    // A fresh mapping is zero-filled: no request is pending.
    auto* block = static_cast<ChannelBlock*>(m_view.Get());
    block->version = kChannelVersion;
    block->serverProcessId = GetCurrentProcessId();
    StoreSeq(block->magic, kChannelMagic);
    m_worker = std::thread([this] { Run(); });
    return true;
}

void ControlChannel::Stop() {
    if (m_worker.joinable()) {
        SetEvent(m_stopEvent.Get());
        m_worker.join();
    }
    m_view.Reset();
    m_mapping.Reset();
    m_stopEvent.Reset();
    m_doneEvent.Reset();
    m_commandEvent.Reset();
    m_clientMutex.Reset();
    m_driver = nullptr;
}

void ControlChannel::Run() {
    auto& block = *static_cast<ChannelBlock*>(m_view.Get());
    const std::array<HANDLE, 2> waits{m_stopEvent.Get(), m_commandEvent.Get()};
    std::uint32_t answered = 0;
    for (;;) {
        const DWORD woken =
            WaitForMultipleObjects(static_cast<DWORD>(waits.size()), waits.data(), FALSE, INFINITE);
        if (woken != WAIT_OBJECT_0 + 1) {
            return; // stop, or the wait itself failed
        }
        const std::uint32_t seq = LoadSeq(block.requestSeq);
        if (seq == answered) {
            continue; // a signal without a new request
        }
        Execute(block);
        answered = seq;
        StoreSeq(block.replySeq, seq);
        SetEvent(m_doneEvent.Get());
    }
}

void ControlChannel::Execute(ChannelBlock& block) {
    ReceiverDriver& driver = *m_driver;
    block.result = S_OK;
    block.signalled = 0;
    switch (block.command) {
    case Command::Press: {
        rx::IrCodeRecord record{};
        record.Protocol = static_cast<std::uint16_t>(block.protocol);
        record.Address = block.address;
        record.Command = block.code;
        record.Toggle = block.toggle;
        record.OemCode = block.oemCode;
        const bool signalled = driver.Press(record, block.returnedLength);
        block.signalled = signalled ? 1 : 0;
        driver.Note("control=press command=" + std::to_string(block.code) + " address=" +
                    std::to_string(block.address) + " protocol=" + std::to_string(block.protocol) +
                    " toggle=" + std::to_string(block.toggle) +
                    " oem=" + std::to_string(block.oemCode) +
                    " length=" + std::to_string(block.returnedLength) +
                    " signalled=" + std::to_string(block.signalled));
        break;
    }
    case Command::FailNext:
        driver.FailNext(block.failHr);
        driver.Note("control=fail-next hr=" + Hex32(static_cast<std::uint32_t>(block.failHr)));
        break;
    case Command::SetRc:
        driver.SetRcNumber(static_cast<std::uint8_t>(block.rcNumber));
        driver.Note("control=set-rc value=" + std::to_string(block.rcNumber & 0xFFu));
        break;
    case Command::Status:
        break;
    case Command::None:
    default:
        block.result = kInvalidArgument;
        break;
    }
    const DriverStatus status = driver.Status();
    block.enabled = status.enabled ? 1 : 0;
    block.enabledProtocol = status.protocol;
    block.enabledHandle = status.handle;
    block.requests = status.requests;
    block.currentRcNumber = status.rcNumber;
    block.currentReturnedLength = status.returnedLength;
    block.failPending = status.failPending ? 1 : 0;
    block.pendingFailHr = status.pendingFailHr;
}

} // namespace simreceiver
