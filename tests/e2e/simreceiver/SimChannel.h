// The control channel between simctl.exe and a loaded simulated receiver: the kernel-object names
// derived from a device's FriendlyName and the layout of the shared block the two exchange
// commands through. Both sides include this header, so they always agree.
//
// Per device, the receiver (inside the program under test) creates
//   Local\HandsetBridgeSim.<name>          shared memory holding one ChannelBlock
//   Local\HandsetBridgeSim.<name>.command  auto-reset event: a command is waiting
//   Local\HandsetBridgeSim.<name>.done     auto-reset event: the command has been carried out
//   Local\HandsetBridgeSim.<name>.client   mutex that keeps concurrent simctl runs apart
// where <name> is the FriendlyName with '\' written as %5C and '%' as %25 (a backslash is the
// one character an object name can't hold). The shared memory is created last, so once it can
// be opened everything else exists too.
#pragma once

#include <windows.h>

#include "tests/e2e/common/ParseNumber.h"

#include <atomic>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace simreceiver {

inline constexpr std::wstring_view kObjectPrefix = L"Local\\HandsetBridgeSim.";

[[nodiscard]] inline std::wstring ChannelName(std::wstring_view friendlyName) {
    std::wstring name(kObjectPrefix);
    for (const wchar_t c : friendlyName) {
        if (c == L'\\') {
            name += L"%5C";
        } else if (c == L'%') {
            name += L"%25";
        } else {
            name += c;
        }
    }
    return name;
}

[[nodiscard]] inline std::wstring CommandEventName(std::wstring_view friendlyName) {
    return ChannelName(friendlyName) + L".command";
}
[[nodiscard]] inline std::wstring DoneEventName(std::wstring_view friendlyName) {
    return ChannelName(friendlyName) + L".done";
}
[[nodiscard]] inline std::wstring ClientMutexName(std::wstring_view friendlyName) {
    return ChannelName(friendlyName) + L".client";
}

inline constexpr std::uint32_t kChannelMagic = 0x4D495348; // "HSIM"
inline constexpr std::uint32_t kChannelVersion = 1;

enum class Command : std::uint32_t {
    None = 0,
    Press = 1,    // set the record and returned length, signal the event if enabled
    FailNext = 2, // the next request returns failHr and does nothing else
    SetRc = 3,    // the RC number the driver reports from now on
    Status = 4,   // only the reply's state snapshot
};

// The request half is written by simctl (holding the client mutex), the reply half by the
// receiver's worker. A request is posted by storing requestSeq after the arguments and setting
// the command event; it is answered by storing replySeq == requestSeq after the reply fields and
// setting the done event. The sequence words are the only fields both sides touch at the same
// time and are accessed atomically.
struct ChannelBlock {
    std::uint32_t magic;
    std::uint32_t version;
    std::uint32_t serverProcessId;

    // Request.
    std::uint32_t requestSeq;
    Command command;
    std::uint32_t address;
    std::uint32_t code;
    std::uint32_t protocol;
    std::int32_t toggle;
    std::uint32_t oemCode;
    std::uint32_t returnedLength;
    std::int32_t failHr;
    std::uint32_t rcNumber;

    // Reply: the outcome of the command and the driver's state right after it.
    std::uint32_t replySeq;
    std::int32_t result; // 0, or the reason the command could not be carried out
    std::uint32_t signalled;
    std::uint32_t enabled;
    std::uint32_t enabledProtocol;
    std::uint64_t enabledHandle; // the handle value as the program passed it
    std::uint32_t requests;
    std::uint32_t currentRcNumber;
    std::uint32_t currentReturnedLength;
    std::uint32_t failPending;
    std::int32_t pendingFailHr;
};

// A sequence word of the shared block, read and written atomically across processes.
[[nodiscard]] inline std::uint32_t LoadSeq(std::uint32_t& word) {
    return std::atomic_ref<std::uint32_t>(word).load(std::memory_order_acquire);
}
// Names and messages are wide in the system and UTF-8 in journals and on the console.
inline std::string ToUtf8(std::wstring_view text) {
    if (text.empty()) {
        return {};
    }
    const int size = static_cast<int>(text.size());
    const int bytes =
        WideCharToMultiByte(CP_UTF8, 0, text.data(), size, nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<std::size_t>(bytes > 0 ? bytes : 0), '\0');
    if (bytes > 0) {
        WideCharToMultiByte(CP_UTF8, 0, text.data(), size, out.data(), bytes, nullptr, nullptr);
    }
    return out;
}

inline void StoreSeq(std::uint32_t& word, std::uint32_t value) {
    std::atomic_ref<std::uint32_t>(word).store(value, std::memory_order_release);
}
static_assert(std::atomic_ref<std::uint32_t>::is_always_lock_free);

using e2e::ParseNumber;

} // namespace simreceiver
