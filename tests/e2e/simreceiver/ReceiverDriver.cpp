// The simulated driver's request handling and its journal.
#include "ReceiverDriver.h"

#include <array>
#include <cstdio>
#include <cstring>
#include <utility>

namespace simreceiver {

namespace rx = hb::receiver;

namespace {

constexpr ULONG kHexLimit = 4096;

// Whether [block, block + length) lies in committed memory the caller may read (or write). A
// kernel driver probes user buffers before touching them; a bad address from the program must
// come back as an error, not crash the program inside the driver.
bool Accessible(const void* block, std::size_t length, bool write) {
    if (length == 0) {
        return true;
    }
    if (block == nullptr) {
        return false;
    }
    std::uintptr_t at = reinterpret_cast<std::uintptr_t>(block);
    const std::uintptr_t end = at + length;
    if (end < at) {
        return false;
    }
    constexpr DWORD kReadable = PAGE_READONLY | PAGE_READWRITE | PAGE_WRITECOPY |
                                PAGE_EXECUTE_READ | PAGE_EXECUTE_READWRITE | PAGE_EXECUTE_WRITECOPY;
    constexpr DWORD kWritable =
        PAGE_READWRITE | PAGE_WRITECOPY | PAGE_EXECUTE_READWRITE | PAGE_EXECUTE_WRITECOPY;
    while (at < end) {
        MEMORY_BASIC_INFORMATION info{};
        if (VirtualQuery(reinterpret_cast<const void*>(at), &info, sizeof info) == 0 ||
            info.State != MEM_COMMIT || (info.Protect & PAGE_GUARD) != 0 ||
            (info.Protect & (write ? kWritable : kReadable)) == 0) {
            return false;
        }
        at = reinterpret_cast<std::uintptr_t>(info.BaseAddress) + info.RegionSize;
    }
    return true;
}

template <class T> bool ReadBlock(const void* block, T& out) {
    if (!Accessible(block, sizeof(T), false)) {
        return false;
    }
    std::memcpy(&out, block, sizeof(T));
    return true;
}

// A block whose length must be exactly the layout's: shorter is "buffer too small", longer is
// an invalid argument.
HRESULT CheckLength(ULONG length, std::size_t expected) {
    if (length < expected) {
        return kBufferTooSmall;
    }
    return length == expected ? S_OK : kInvalidArgument;
}

} // namespace

std::string HexBlock(const void* block, ULONG length) {
    if (block == nullptr) {
        return "null";
    }
    const ULONG shown = length < kHexLimit ? length : kHexLimit;
    if (!Accessible(block, shown, false)) {
        return "unreadable";
    }
    static constexpr char kDigits[] = "0123456789abcdef";
    const auto* bytes = static_cast<const unsigned char*>(block);
    std::string text;
    text.reserve(2u * shown + 3u);
    for (ULONG i = 0; i < shown; ++i) {
        text += kDigits[bytes[i] >> 4];
        text += kDigits[bytes[i] & 0x0F];
    }
    if (shown < length) {
        text += "...";
    }
    return text;
}

std::string Hex32(std::uint32_t value) {
    std::array<char, 11> text{};
    std::snprintf(text.data(), text.size(), "0x%08X", value);
    return text.data();
}

Journal::Journal(const std::wstring& path) {
    if (path.empty()) {
        return;
    }
    // Append-only access: every write lands at the current end, even when another receiver
    // or the test appends to the same file.
    m_file.Reset(CreateFileW(path.c_str(), FILE_APPEND_DATA,
                             FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                             OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
}

void Journal::Line(std::string_view text) {
    if (!m_file) {
        return;
    }
    std::string line(text);
    line += '\n';
    DWORD written = 0;
    WriteFile(m_file.Get(), line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
}

void ReceiverDriver::Configure(std::uint8_t rcNumber, Journal journal) {
    std::scoped_lock lock(m_lock);
    m_rcNumber = rcNumber;
    m_journal = std::move(journal);
}

HRESULT ReceiverDriver::Property(void* property, ULONG propertyLength, void* data, ULONG dataLength,
                                 ULONG* bytesReturned) {
    return Handle(Kind::Property, property, propertyLength, data, dataLength, bytesReturned);
}

HRESULT ReceiverDriver::Event(void* event, ULONG eventLength, void* data, ULONG dataLength,
                              ULONG* bytesReturned) {
    return Handle(Kind::Event, event, eventLength, data, dataLength, bytesReturned);
}

HRESULT ReceiverDriver::Method(void* method, ULONG methodLength, void* data, ULONG dataLength,
                               ULONG* bytesReturned) {
    return Handle(Kind::Method, method, methodLength, data, dataLength, bytesReturned);
}

const char* ReceiverDriver::KindName(Kind kind) {
    switch (kind) {
    case Kind::Property:
        return "property";
    case Kind::Event:
        return "event";
    case Kind::Method:
        break;
    }
    return "method";
}

HRESULT ReceiverDriver::Handle(Kind kind, void* head, ULONG headLength, void* data,
                               ULONG dataLength, ULONG* bytesReturned) {
    std::scoped_lock lock(m_lock);
    const std::uint32_t seq = ++m_requests;
    // Taken before the request is carried out: the journal shows what the caller passed, not
    // what the driver wrote back.
    std::string line =
        "seq=" + std::to_string(seq) + " kind=" + KindName(kind) +
        " head=" + HexBlock(head, headLength) + " headlen=" + std::to_string(headLength) +
        " data=" + HexBlock(data, dataLength) + " datalen=" + std::to_string(dataLength);

    HRESULT hr = S_OK;
    if (m_failPending) {
        // Nothing else happens: not even the returned-byte count is written.
        m_failPending = false;
        hr = m_failHr;
    } else {
        ULONG returned = 0;
        if (kind == Kind::Property) {
            hr = HandleProperty(head, headLength, data, dataLength, returned);
        } else if (kind == Kind::Event) {
            hr = HandleEvent(head, headLength, data, dataLength);
        } else {
            hr = kSetNotFound; // the driver serves no method set
        }
        if (bytesReturned != nullptr && Accessible(bytesReturned, sizeof(ULONG), true)) {
            *bytesReturned = hr == S_OK ? returned : 0;
        }
    }

    line += " hr=" + Hex32(static_cast<std::uint32_t>(hr)) +
            " thread=" + std::to_string(GetCurrentThreadId());
    m_journal.Line(line);
    return hr;
}

HRESULT ReceiverDriver::HandleProperty(const void* head, ULONG headLength, void* data,
                                       ULONG dataLength, ULONG& returned) {
    rx::KsProperty property{};
    if (head == nullptr || headLength < sizeof property) {
        return head == nullptr ? kInvalidArgument : kBufferTooSmall;
    }
    if (!ReadBlock(head, property)) {
        return kNoAccess;
    }
    const bool rcNumber = property.Set == rx::kKsPropSetRcNumber;
    if (!rcNumber && property.Set != rx::kKsPropSetIrRemoteCode) {
        return kSetNotFound;
    }
    if (property.Id != 0) {
        return kNotFound;
    }
    // Both properties are read-only.
    if (property.Flags != rx::kKsPropertyTypeGet) {
        return kInvalidArgument;
    }

    if (rcNumber) {
        rx::RcNumberRequest request{};
        if (const HRESULT hr = CheckLength(headLength, sizeof request); hr != S_OK) {
            return hr;
        }
        if (!ReadBlock(head, request)) {
            return kNoAccess;
        }
        if (request.Parameter != rx::kRcNumberParameter || request.Count != rx::kRcNumberCount) {
            return kInvalidArgument;
        }
        if (data == nullptr) {
            return kInvalidArgument;
        }
        if (const HRESULT hr = CheckLength(dataLength, 1); hr != S_OK) {
            return hr;
        }
        if (!Accessible(request.Result, 1, true)) {
            return kNoAccess;
        }
        *request.Result = m_rcNumber;
        return S_OK;
    }

    rx::IrCodeRequest request{};
    if (const HRESULT hr = CheckLength(headLength, sizeof request); hr != S_OK) {
        return hr;
    }
    if (!ReadBlock(head, request)) {
        return kNoAccess;
    }
    if (request.Selector != 0) {
        return kInvalidArgument;
    }
    if (const HRESULT hr = CheckLength(request.BufferSize, sizeof(rx::IrCodeRecord)); hr != S_OK) {
        return hr;
    }
    if (data == nullptr) {
        return kInvalidArgument;
    }
    if (const HRESULT hr = CheckLength(dataLength, sizeof(std::uint32_t)); hr != S_OK) {
        return hr;
    }
    if (!Accessible(request.Buffer, sizeof(rx::IrCodeRecord), true) ||
        !Accessible(data, sizeof(std::uint32_t), true)) {
        return kNoAccess;
    }
    std::memcpy(request.Buffer, &m_record, sizeof m_record);
    std::memcpy(data, &m_returnedLength, sizeof m_returnedLength);
    returned = sizeof(std::uint32_t);
    return S_OK;
}

HRESULT ReceiverDriver::HandleEvent(const void* head, ULONG headLength, void* data,
                                    ULONG dataLength) {
    if (const HRESULT hr = CheckLength(dataLength, sizeof(rx::IrEventData)); hr != S_OK) {
        return hr;
    }
    if (data == nullptr) {
        return kInvalidArgument;
    }

    if (head == nullptr) {
        // Disable: found by the storage of the data block, as kernel streaming does.
        if (headLength != 0) {
            return kInvalidArgument;
        }
        if (!m_enabled || data != m_enabledBlock) {
            return kNotFound;
        }
        m_enabled = false;
        m_enabledBlock = nullptr;
        m_event.Reset();
        return S_OK;
    }

    rx::KsEvent event{};
    if (headLength < sizeof event) {
        return kBufferTooSmall;
    }
    if (!ReadBlock(head, event)) {
        return kNoAccess;
    }
    if (event.Set != rx::kKsEventSetIrRemote) {
        return kSetNotFound;
    }
    if (event.Id != 0) {
        return kNotFound;
    }
    if (event.Flags != rx::kKsEventTypeEnable || headLength != sizeof event) {
        return kInvalidArgument;
    }
    rx::IrEventData block{};
    if (!ReadBlock(data, block)) {
        return kNoAccess;
    }
    if (block.EventData.NotificationType != rx::kKsEventfEventHandle ||
        block.EventData.Reserved[0] != 0 || block.EventData.Reserved[1] != 0 ||
        (block.Protocol != rx::kProtocolRc5 && block.Protocol != rx::kProtocolRc6) ||
        block.Selector != 0) {
        return kInvalidArgument;
    }
    // The driver keeps the event object referenced while enabled, as the kernel does: what the
    // caller does with its handle afterwards doesn't change which event gets set.
    HANDLE own = nullptr;
    if (block.EventData.EventHandle == nullptr ||
        !DuplicateHandle(GetCurrentProcess(), block.EventData.EventHandle, GetCurrentProcess(),
                         &own, EVENT_MODIFY_STATE | SYNCHRONIZE, FALSE, 0)) {
        return kInvalidHandle;
    }
    // A second enable replaces the first: one event per device is all this driver keeps.
    m_event.Reset(own);
    m_eventValue = block.EventData.EventHandle;
    m_protocol = block.Protocol;
    m_enabledBlock = data;
    m_enabled = true;
    return S_OK;
}

bool ReceiverDriver::Press(const rx::IrCodeRecord& record, std::uint32_t returnedLength) {
    std::scoped_lock lock(m_lock);
    m_record = record;
    m_returnedLength = returnedLength;
    return m_enabled && SetEvent(m_event.Get()) != FALSE;
}

void ReceiverDriver::FailNext(HRESULT hr) {
    std::scoped_lock lock(m_lock);
    m_failPending = true;
    m_failHr = hr;
}

void ReceiverDriver::SetRcNumber(std::uint8_t value) {
    std::scoped_lock lock(m_lock);
    m_rcNumber = value;
}

DriverStatus ReceiverDriver::Status() const {
    std::scoped_lock lock(m_lock);
    DriverStatus status;
    status.enabled = m_enabled;
    status.protocol = m_protocol;
    status.handle = reinterpret_cast<std::uintptr_t>(m_eventValue);
    status.requests = m_requests;
    status.rcNumber = m_rcNumber;
    status.returnedLength = m_returnedLength;
    status.failPending = m_failPending;
    status.pendingFailHr = m_failHr;
    return status;
}

void ReceiverDriver::Note(std::string_view text) {
    std::scoped_lock lock(m_lock);
    m_journal.Line(text);
}

} // namespace simreceiver
