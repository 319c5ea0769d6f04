// The receiver driver's event and property sets and the byte layouts of its requests. The
// structures are declared naturally, with buffer addresses as pointers, so a 32-bit build gets
// the driver's documented layouts and a 64-bit build the same fields at their natural width;
// the static_asserts below pin both. The simulated receiver of the tests is built from this
// header too.
#pragma once

#include "platform/Types.h"

#include <cstddef>
#include <cstdint>

namespace hb::receiver {

// KSIDENTIFIER: the head of every property and event request.
struct KsIdentifier {
    Guid Set;
    std::uint32_t Id;
    std::uint32_t Flags;
};
using KsProperty = KsIdentifier;
using KsEvent = KsIdentifier;

inline constexpr std::uint32_t kKsPropertyTypeGet = 0x00000001;
inline constexpr std::uint32_t kKsEventTypeEnable = 0x00000001;
inline constexpr std::uint32_t kKsEventfEventHandle = 0x00000001;

// KSEVENTDATA for notification by event handle.
struct KsEventData {
    std::uint32_t NotificationType;
    void* EventHandle;
    std::uintptr_t Reserved[2];
};

inline constexpr Guid kKsEventSetIrRemote{
    0xDC2231FE, 0x544E, 0x4725, {0x8C, 0x9D, 0xDE, 0x78, 0xD5, 0x24, 0xC0, 0x19}};
inline constexpr Guid kKsPropSetIrRemoteCode{
    0x9C05908C, 0xE71B, 0x4E4F, {0x96, 0x32, 0x01, 0xBA, 0xDD, 0x5B, 0x6C, 0x24}};
inline constexpr Guid kKsPropSetRcNumber{
    0x8EE0EBA8, 0x7DA6, 0x4AA9, {0xBD, 0x80, 0x87, 0xE7, 0x6B, 0x8A, 0xDB, 0xC8}};

// The device category receivers are enumerated under.
inline constexpr Guid kReceiverCategory{
    0xCC7BFB46, 0xF175, 0x11D1, {0xA3, 0x92, 0x00, 0xE0, 0x29, 0x1F, 0x39, 0x59}};

inline constexpr std::uint16_t kProtocolRc5 = 256;
inline constexpr std::uint16_t kProtocolRc6 = 257;

// Passed with the enable request and again, unchanged, with the disable request.
struct IrEventData {
    KsEventData EventData;
    std::uint16_t Protocol;
    std::uint8_t Selector; // always 0
    std::uint8_t Reserved;
};

// One received code as the driver writes it.
struct IrCodeRecord {
    std::uint16_t Protocol;
    std::uint16_t Reserved;
    std::uint32_t Address;
    std::uint32_t Command;
    std::int32_t Toggle;
    std::uint32_t OemCode;
    std::uint8_t Reserved2[8];
};

// Asks the driver for the last received code. The address slot is eight bytes wide in both
// builds; a 32-bit address leaves its upper half as the request's reserved tail.
struct IrCodeRequest {
    KsProperty Property;
    std::uint8_t Selector; // always 0
    std::uint8_t Reserved[3];
    std::uint32_t BufferSize;
    union {
        IrCodeRecord* Buffer;
        std::uint64_t BufferSlot;
    };
};

// Asks the driver for the number of the remote-control receiver.
struct RcNumberRequest {
    KsProperty Property;
    std::uint32_t Parameter; // 2048
    std::uint16_t Count;     // 1
    std::uint16_t Reserved;
    union {
        std::uint8_t* Result;
        std::uint64_t ResultSlot;
    };
};

inline constexpr std::uint32_t kRcNumberParameter = 2048;
inline constexpr std::uint16_t kRcNumberCount = 1;
inline constexpr std::uint8_t kRcNumberPreset = 254;
// The driver's record is usable only when it reports at least this many bytes.
inline constexpr std::uint32_t kMinimumRecordLength = 20;

static_assert(sizeof(KsIdentifier) == 24);
static_assert(sizeof(IrCodeRecord) == 28);
static_assert(offsetof(IrCodeRecord, Address) == 4);
static_assert(offsetof(IrCodeRecord, Command) == 8);
static_assert(offsetof(IrCodeRecord, Toggle) == 12);
static_assert(offsetof(IrCodeRecord, OemCode) == 16);
static_assert(sizeof(IrCodeRequest) == 40);
static_assert(offsetof(IrCodeRequest, Selector) == 24);
static_assert(offsetof(IrCodeRequest, BufferSize) == 28);
static_assert(offsetof(IrCodeRequest, Buffer) == 32);
static_assert(sizeof(RcNumberRequest) == 40);
static_assert(offsetof(RcNumberRequest, Parameter) == 24);
static_assert(offsetof(RcNumberRequest, Count) == 28);
static_assert(offsetof(RcNumberRequest, Result) == 32);

#if UINTPTR_MAX == 0xFFFFFFFFu
// 32-bit: the driver's documented layouts exactly.
static_assert(sizeof(KsEventData) == 16);
static_assert(sizeof(IrEventData) == 20);
static_assert(offsetof(IrEventData, Protocol) == 16);
static_assert(offsetof(IrEventData, Selector) == 18);
#else
// 64-bit: the handle and reserved words widen, the request blocks keep their size.
static_assert(sizeof(KsEventData) == 32);
static_assert(offsetof(KsEventData, EventHandle) == 8);
static_assert(sizeof(IrEventData) == 40);
static_assert(offsetof(IrEventData, Protocol) == 32);
static_assert(offsetof(IrEventData, Selector) == 34);
#endif

} // namespace hb::receiver
