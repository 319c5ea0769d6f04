// The simulated receiver's driver: the IR event and the two properties with exactly the request
// layouts the program declares (receiver/DriverLayouts.h, compiled in the same width), the state
// behind them, the "fail next" switch and the journal of every request it receives.
//
// It checks requests the way a kernel driver has to, so that a wrong request shows up as an
// error code in the program's panel instead of passing unnoticed:
//   0x80070492 unknown property or event set     0x80070490 unknown id, or a disable for a
//   0x8007007A a length below the layout's                    block that isn't enabled here
//   0x80070057 any other mismatch (wrong length,  0x800703E6 an address that can't be read or
//              flags, parameter, protocol, nonzero            written
//              reserved words of the event data)  0x80070006 an event handle that isn't valid
//
// Thread-safe: the program calls it from its window's thread and its capture thread, the control
// channel from its worker. Every request is journalled in the order it was handled.
#pragma once

#include "Handles.h"

#include "receiver/DriverLayouts.h"

#include <windows.h>

#include <cstdint>
#include <mutex>
#include <string>
#include <string_view>

namespace simreceiver {

[[nodiscard]] constexpr HRESULT FromWin32(DWORD error) {
    return static_cast<HRESULT>((error & 0xFFFFu) | 0x80070000u);
}

inline constexpr HRESULT kSetNotFound = FromWin32(ERROR_SET_NOT_FOUND);
inline constexpr HRESULT kNotFound = FromWin32(ERROR_NOT_FOUND);
inline constexpr HRESULT kBufferTooSmall = FromWin32(ERROR_INSUFFICIENT_BUFFER);
inline constexpr HRESULT kInvalidArgument = FromWin32(ERROR_INVALID_PARAMETER);
inline constexpr HRESULT kNoAccess = FromWin32(ERROR_NOACCESS);
inline constexpr HRESULT kInvalidHandle = FromWin32(ERROR_INVALID_HANDLE);

inline constexpr std::uint8_t kDefaultRcNumber = 3;
inline constexpr std::uint32_t kDefaultReturnedLength = sizeof(hb::receiver::IrCodeRecord);

// Appends lines to a text file (LF line ends). Each line goes out in one write, with nothing
// held back in the process, so a reader sees it as soon as the request has been handled.
class Journal {
public:
    Journal() = default;
    // An empty path or a file that can't be opened gives a journal that writes nothing.
    explicit Journal(const std::wstring& path);

    void Line(std::string_view text);

private:
    UniqueKernelHandle m_file;
};

struct DriverStatus {
    bool enabled = false;
    // Of the last enable (0 before the first); kept after a disable.
    std::uint16_t protocol = 0;
    std::uint64_t handle = 0;
    std::uint32_t requests = 0;
    std::uint8_t rcNumber = kDefaultRcNumber;
    std::uint32_t returnedLength = kDefaultReturnedLength;
    bool failPending = false;
    HRESULT pendingFailHr = S_OK;
};

class ReceiverDriver {
public:
    void Configure(std::uint8_t rcNumber, Journal journal);

    // The three request kinds of the control interface; the arguments are as the caller passed
    // them.
    [[nodiscard]] HRESULT Property(void* property, ULONG propertyLength, void* data,
                                   ULONG dataLength, ULONG* bytesReturned);
    [[nodiscard]] HRESULT Event(void* event, ULONG eventLength, void* data, ULONG dataLength,
                                ULONG* bytesReturned);
    [[nodiscard]] HRESULT Method(void* method, ULONG methodLength, void* data, ULONG dataLength,
                                 ULONG* bytesReturned);

    // A code arrives: it becomes the record the next IR code request reads, and the enabled
    // event, if any, is set. True when the event was set.
    bool Press(const hb::receiver::IrCodeRecord& record, std::uint32_t returnedLength);
    void FailNext(HRESULT hr);
    void SetRcNumber(std::uint8_t value);
    [[nodiscard]] DriverStatus Status() const;

    // A line of its own in the journal, in order with the requests.
    void Note(std::string_view text);

private:
    enum class Kind { Property, Event, Method };
    static const char* KindName(Kind kind);

    HRESULT Handle(Kind kind, void* head, ULONG headLength, void* data, ULONG dataLength,
                   ULONG* bytesReturned);
    HRESULT HandleProperty(const void* head, ULONG headLength, void* data, ULONG dataLength,
                           ULONG& returned);
    HRESULT HandleEvent(const void* head, ULONG headLength, void* data, ULONG dataLength);

    mutable std::mutex m_lock;
    Journal m_journal;
    std::uint32_t m_requests = 0;
    bool m_failPending = false;
    HRESULT m_failHr = S_OK;

    bool m_enabled = false;
    const void* m_enabledBlock = nullptr; // the disable must name the enable's storage
    UniqueKernelHandle m_event;           // our own reference to the caller's event
    void* m_eventValue = nullptr;         // the handle value as the caller passed it
    std::uint16_t m_protocol = 0;

    hb::receiver::IrCodeRecord m_record{};
    std::uint32_t m_returnedLength = kDefaultReturnedLength;
    std::uint8_t m_rcNumber = kDefaultRcNumber;
};

// Hex of a block as the caller passed it: "null" for no pointer, "unreadable" when the memory
// can't be read; long blocks are cut at 4096 bytes and end in "...".
[[nodiscard]] std::string HexBlock(const void* block, ULONG length);

// "0x" and eight upper-case hex digits, as HRESULTs are shown.
[[nodiscard]] std::string Hex32(std::uint32_t value);

} // namespace simreceiver
