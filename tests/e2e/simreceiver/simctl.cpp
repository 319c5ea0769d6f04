// simctl.exe: drives a simulated receiver that is loaded in the program under test, through the
// control channel of SimChannel.h. Each command returns only after the receiver has carried it
// out. Output: key=value lines on stdout (LF line ends, also under Wine).
// Exit status: 0 success, 1 failure or time-out, 2 usage error.
#include "Handles.h"
#include "SimChannel.h"

#include <windows.h>

#include <fcntl.h>
#include <io.h>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <map>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace {

using simreceiver::ChannelBlock;
using simreceiver::Command;
using simreceiver::ToUtf8;
using simreceiver::UniqueKernelHandle;
using simreceiver::UniqueView;

constexpr int kExitOk = 0;
constexpr int kExitFailed = 1;
constexpr int kExitUsage = 2;

constexpr std::int64_t kDefaultTimeoutMs = 5000;
constexpr std::int64_t kDefaultWaitTimeoutMs = 10000;
constexpr DWORD kPollMs = 50;

constexpr std::string_view kUsage =
    "simctl COMMAND --device NAME [options]   (numbers: decimal or 0x hex)\n"
    "  press      --device NAME --command N [--address N] [--protocol N] [--toggle N]\n"
    "             [--oem N] [--length N] [--timeout-ms N]\n"
    "             defaults: address 0, protocol 256, toggle 0, oem 0, length 28\n"
    "  fail-next  --device NAME --hr N [--timeout-ms N]\n"
    "  set-rc     --device NAME --value N [--timeout-ms N]\n"
    "  status     --device NAME [--timeout-ms N]\n"
    "  wait       --device NAME [--timeout-ms N]   (default 10000: until the receiver is loaded)\n"
    "  command time-out: 5000 ms\n";

class UsageError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class Failure : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

void Print(std::string_view key, std::string_view value) {
    std::printf("%.*s=%.*s\n", static_cast<int>(key.size()), key.data(),
                static_cast<int>(value.size()), value.data());
}

std::string Hex(std::uint64_t value, int digits) {
    char text[24];
    std::snprintf(text, sizeof text, "0x%0*llX", digits, static_cast<unsigned long long>(value));
    return text;
}

// "--name value" pairs after the command word.
class Options {
public:
    Options(const std::vector<std::wstring>& args, const std::vector<std::string_view>& allowed) {
        for (std::size_t i = 2; i < args.size(); i += 2) {
            const std::string name = ToUtf8(args[i]);
            bool known = false;
            for (const std::string_view candidate : allowed) {
                known = known || name == "--" + std::string(candidate);
            }
            if (!known) {
                throw UsageError("unknown option " + name);
            }
            if (i + 1 >= args.size()) {
                throw UsageError("option " + name + " needs a value");
            }
            if (!m_values.emplace(name.substr(2), args[i + 1]).second) {
                throw UsageError("option " + name + " given twice");
            }
        }
    }

    [[nodiscard]] std::wstring Text(const std::string& name) const {
        const auto found = m_values.find(name);
        if (found == m_values.end()) {
            throw UsageError("option --" + name + " is required");
        }
        return found->second;
    }

    // A number within [min, max]; the fallback when the option is absent and not required.
    [[nodiscard]] std::int64_t Number(const std::string& name, std::int64_t min, std::int64_t max,
                                      std::optional<std::int64_t> fallback = std::nullopt) const {
        if (fallback && m_values.find(name) == m_values.end()) {
            return *fallback;
        }
        const std::wstring text = Text(name);
        const std::optional<std::int64_t> value = simreceiver::ParseNumber(std::wstring_view(text));
        if (!value || *value < min || *value > max) {
            throw UsageError("option --" + name + " needs a number from " + std::to_string(min) +
                             " to " + std::to_string(max) + ", not \"" + ToUtf8(text) + '"');
        }
        return *value;
    }

private:
    std::map<std::string, std::wstring> m_values;
};

class Deadline {
public:
    explicit Deadline(std::int64_t ms)
        : m_end(std::chrono::steady_clock::now() + std::chrono::milliseconds(ms)) {}
    [[nodiscard]] DWORD RemainingMs() const {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            m_end - std::chrono::steady_clock::now());
        return left.count() > 0 ? static_cast<DWORD>(left.count()) : 0;
    }
    [[nodiscard]] bool Passed() const { return RemainingMs() == 0; }

private:
    std::chrono::steady_clock::time_point m_end;
};

// The client's view of one loaded receiver.
class Channel {
public:
    // Empty when the receiver isn't loaded (yet).
    static std::optional<Channel> Open(const std::wstring& device) {
        Channel channel;
        channel.m_mapping.Reset(OpenFileMappingW(FILE_MAP_READ | FILE_MAP_WRITE, FALSE,
                                                 simreceiver::ChannelName(device).c_str()));
        if (!channel.m_mapping) {
            return std::nullopt;
        }
        channel.m_view.Reset(MapViewOfFile(channel.m_mapping.Get(), FILE_MAP_READ | FILE_MAP_WRITE,
                                           0, 0, sizeof(ChannelBlock)));
        if (!channel.m_view) {
            return std::nullopt;
        }
        // The receiver marks the block last, once it is serving.
        if (simreceiver::LoadSeq(channel.Block().magic) != simreceiver::kChannelMagic) {
            return std::nullopt;
        }
        if (channel.Block().version != simreceiver::kChannelVersion) {
            throw Failure("the receiver speaks channel version " +
                          std::to_string(channel.Block().version) + ", simctl version " +
                          std::to_string(simreceiver::kChannelVersion));
        }
        channel.m_mutex.Reset(
            OpenMutexW(SYNCHRONIZE, FALSE, simreceiver::ClientMutexName(device).c_str()));
        channel.m_command.Reset(
            OpenEventW(EVENT_MODIFY_STATE, FALSE, simreceiver::CommandEventName(device).c_str()));
        channel.m_done.Reset(
            OpenEventW(SYNCHRONIZE, FALSE, simreceiver::DoneEventName(device).c_str()));
        if (!channel.m_mutex || !channel.m_command || !channel.m_done) {
            throw Failure("the receiver's channel objects can't be opened");
        }
        // Lets a command fail at once when the program ends, instead of at the time-out.
        channel.m_server.Reset(OpenProcess(SYNCHRONIZE, FALSE, channel.Block().serverProcessId));
        return channel;
    }

    static std::optional<Channel> WaitOpen(const std::wstring& device, const Deadline& deadline) {
        for (;;) {
            if (std::optional<Channel> channel = Open(device)) {
                return channel;
            }
            if (deadline.Passed()) {
                return std::nullopt;
            }
            Sleep(kPollMs);
        }
    }

    [[nodiscard]] ChannelBlock& Block() const { return *static_cast<ChannelBlock*>(m_view.Get()); }

    // Posts the command filled in by `fill` and waits for the receiver's answer; the reply is in
    // Block() afterwards.
    template <class Fill> void Send(Command command, Fill fill, const Deadline& deadline) {
        const DWORD locked = WaitForSingleObject(m_mutex.Get(), deadline.RemainingMs());
        if (locked != WAIT_OBJECT_0 && locked != WAIT_ABANDONED) {
            throw Failure("timed out waiting for another simctl");
        }
        struct Unlock {
            HANDLE mutex;
            ~Unlock() { ReleaseMutex(mutex); }
        } unlock{m_mutex.Get()};

        ChannelBlock& block = Block();
        block.command = command;
        fill(block);
        std::uint32_t seq = simreceiver::LoadSeq(block.requestSeq) + 1;
        if (seq == 0) {
            seq = 1;
        }
        simreceiver::StoreSeq(block.requestSeq, seq);
        SetEvent(m_command.Get());
        for (;;) {
            if (simreceiver::LoadSeq(block.replySeq) == seq) {
                return;
            }
            const HANDLE waits[] = {m_done.Get(), m_server.Get()};
            const DWORD count = m_server ? 2 : 1;
            const DWORD woken = WaitForMultipleObjects(count, waits, FALSE, deadline.RemainingMs());
            if (simreceiver::LoadSeq(block.replySeq) == seq) {
                return;
            }
            if (woken == WAIT_OBJECT_0 + 1) {
                throw Failure("the program that loaded the receiver ended");
            }
            if (woken != WAIT_OBJECT_0) {
                throw Failure("timed out waiting for the receiver");
            }
        }
    }

private:
    UniqueKernelHandle m_mapping;
    UniqueView m_view;
    UniqueKernelHandle m_mutex;
    UniqueKernelHandle m_command;
    UniqueKernelHandle m_done;
    UniqueKernelHandle m_server;
};

Channel OpenOrFail(const std::wstring& device, const Deadline& deadline) {
    // Only a receiver that is still setting up is waited for; an absent one fails at once.
    const std::wstring name = simreceiver::ChannelName(device);
    UniqueKernelHandle exists(OpenFileMappingW(FILE_MAP_READ, FALSE, name.c_str()));
    if (!exists) {
        throw Failure("receiver \"" + ToUtf8(device) + "\" is not loaded");
    }
    std::optional<Channel> channel = Channel::WaitOpen(device, deadline);
    if (!channel) {
        throw Failure("receiver \"" + ToUtf8(device) + "\" did not start serving");
    }
    return std::move(*channel);
}

void CheckResult(const ChannelBlock& block) {
    if (block.result != 0) {
        throw Failure("the receiver refused the command: " +
                      Hex(static_cast<std::uint32_t>(block.result), 8));
    }
}

int Press(const Options& options) {
    const std::int64_t code = options.Number("command", 0, UINT32_MAX);
    const std::int64_t address = options.Number("address", 0, UINT32_MAX, 0);
    const std::int64_t protocol = options.Number("protocol", 0, UINT16_MAX, 256);
    const std::int64_t toggle = options.Number("toggle", INT32_MIN, UINT32_MAX, 0);
    const std::int64_t oem = options.Number("oem", 0, UINT32_MAX, 0);
    const std::int64_t length = options.Number("length", 0, UINT32_MAX, 28);
    const Deadline deadline(options.Number("timeout-ms", 0, INT32_MAX, kDefaultTimeoutMs));
    Channel channel = OpenOrFail(options.Text("device"), deadline);
    channel.Send(
        Command::Press,
        [&](ChannelBlock& block) {
            block.code = static_cast<std::uint32_t>(code);
            block.address = static_cast<std::uint32_t>(address);
            block.protocol = static_cast<std::uint32_t>(protocol);
            block.toggle = static_cast<std::int32_t>(static_cast<std::uint32_t>(toggle));
            block.oemCode = static_cast<std::uint32_t>(oem);
            block.returnedLength = static_cast<std::uint32_t>(length);
        },
        deadline);
    CheckResult(channel.Block());
    Print("signalled", channel.Block().signalled != 0 ? "1" : "0");
    return kExitOk;
}

int FailNext(const Options& options) {
    const std::int64_t hr = options.Number("hr", INT32_MIN, UINT32_MAX);
    const Deadline deadline(options.Number("timeout-ms", 0, INT32_MAX, kDefaultTimeoutMs));
    Channel channel = OpenOrFail(options.Text("device"), deadline);
    channel.Send(
        Command::FailNext,
        [&](ChannelBlock& block) {
            block.failHr = static_cast<std::int32_t>(static_cast<std::uint32_t>(hr));
        },
        deadline);
    CheckResult(channel.Block());
    Print("fail_next", Hex(static_cast<std::uint32_t>(channel.Block().pendingFailHr), 8));
    return kExitOk;
}

int SetRc(const Options& options) {
    const std::int64_t value = options.Number("value", 0, 255);
    const Deadline deadline(options.Number("timeout-ms", 0, INT32_MAX, kDefaultTimeoutMs));
    Channel channel = OpenOrFail(options.Text("device"), deadline);
    channel.Send(
        Command::SetRc,
        [&](ChannelBlock& block) { block.rcNumber = static_cast<std::uint32_t>(value); }, deadline);
    CheckResult(channel.Block());
    Print("rc", std::to_string(channel.Block().currentRcNumber));
    return kExitOk;
}

int Status(const Options& options) {
    const Deadline deadline(options.Number("timeout-ms", 0, INT32_MAX, kDefaultTimeoutMs));
    Channel channel = OpenOrFail(options.Text("device"), deadline);
    channel.Send(
        Command::Status, [](ChannelBlock&) {}, deadline);
    CheckResult(channel.Block());
    const ChannelBlock& block = channel.Block();
    Print("enabled", block.enabled != 0 ? "1" : "0");
    Print("protocol", std::to_string(block.enabledProtocol));
    Print("handle", Hex(block.enabledHandle, 1));
    Print("requests", std::to_string(block.requests));
    Print("rc", std::to_string(block.currentRcNumber));
    Print("length", std::to_string(block.currentReturnedLength));
    Print("fail_next", block.failPending != 0
                           ? Hex(static_cast<std::uint32_t>(block.pendingFailHr), 8)
                           : "none");
    Print("pid", std::to_string(block.serverProcessId));
    return kExitOk;
}

int Wait(const Options& options) {
    const Deadline deadline(options.Number("timeout-ms", 0, INT32_MAX, kDefaultWaitTimeoutMs));
    const std::optional<Channel> channel = Channel::WaitOpen(options.Text("device"), deadline);
    Print("loaded", channel ? "1" : "0");
    if (!channel) {
        return kExitFailed;
    }
    Print("pid", std::to_string(channel->Block().serverProcessId));
    return kExitOk;
}

struct CommandEntry {
    std::string_view name;
    int (*run)(const Options&);
    std::vector<std::string_view> options;
};

int Run(const std::vector<std::wstring>& args) {
    static const CommandEntry kCommands[] = {
        {"press",
         Press,
         {"device", "command", "address", "protocol", "toggle", "oem", "length", "timeout-ms"}},
        {"fail-next", FailNext, {"device", "hr", "timeout-ms"}},
        {"set-rc", SetRc, {"device", "value", "timeout-ms"}},
        {"status", Status, {"device", "timeout-ms"}},
        {"wait", Wait, {"device", "timeout-ms"}},
    };
    if (args.size() < 2) {
        throw UsageError("no command given");
    }
    const std::string name = ToUtf8(args[1]);
    for (const CommandEntry& command : kCommands) {
        if (command.name == name) {
            return command.run(Options(args, command.options));
        }
    }
    throw UsageError("unknown command " + name);
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    // Binary mode: plain LF line ends, so scripts need no CR stripping.
    _setmode(_fileno(stdout), _O_BINARY);
    const std::vector<std::wstring> args(argv, argv + argc);
    int status = kExitFailed;
    try {
        status = Run(args);
    } catch (const UsageError& error) {
        Print("error", error.what());
        for (std::size_t start = 0; start < kUsage.size();) {
            const std::size_t end = kUsage.find('\n', start);
            Print("usage", kUsage.substr(start, end - start));
            start = end + 1;
        }
        status = kExitUsage;
    } catch (const std::exception& error) {
        Print("error", error.what());
        status = kExitFailed;
    }
    std::fflush(stdout);
    return status;
}
