// Message maps: static tables that route a window message (or a WM_COMMAND with its
// notification code and control id) to a member function. A class's map names its base
// class's map, so lookup walks from the most derived class to CCmdTarget.
#pragma once

#include "platform/Constants.h"
#include "platform/Types.h"

#include <cstdint>
#include <span>

namespace hb {

class CCmdTarget;

using MessageHandler = LResult (*)(CCmdTarget& target, WParam wParam, LParam lParam);

struct MessageMapEntry {
    unsigned message; // window message
    unsigned code;    // WM_COMMAND notification code (0 for buttons and menu commands)
    unsigned id;      // WM_COMMAND control or command id
    MessageHandler handler;
};

struct MessageMap {
    const MessageMap* base;
    std::span<const MessageMapEntry> entries;
};

class CCmdTarget {
public:
    CCmdTarget() = default;
    CCmdTarget(const CCmdTarget&) = delete;
    CCmdTarget& operator=(const CCmdTarget&) = delete;
    virtual ~CCmdTarget() = default;

    [[nodiscard]] virtual const MessageMap* GetMessageMap() const { return nullptr; }

    // The first entry for the message in this object's map chain, or null.
    [[nodiscard]] const MessageMapEntry* FindEntry(unsigned message, unsigned code,
                                                   unsigned id) const;

    // Runs the handler of a command (WM_COMMAND) if the map has one.
    virtual bool OnCmdMsg(unsigned id, unsigned code);
};

// Adapters from a member function to a MessageHandler. Taking the member's address inside the
// class's own GetMessageMap keeps protected handlers protected.
namespace msgmap {

template <class T, void (T::*F)()> LResult Void(CCmdTarget& target, WParam, LParam) {
    (static_cast<T&>(target).*F)();
    return 0;
}

template <class T, bool (T::*F)()> LResult Bool(CCmdTarget& target, WParam, LParam) {
    return (static_cast<T&>(target).*F)() ? 1 : 0;
}

template <class T, void (T::*F)(std::uintptr_t)>
LResult Timer(CCmdTarget& target, WParam wParam, LParam) {
    (static_cast<T&>(target).*F)(static_cast<std::uintptr_t>(wParam));
    return 0;
}

template <class T, IconHandle (T::*F)()> LResult Icon(CCmdTarget& target, WParam, LParam) {
    return static_cast<LResult>((static_cast<T&>(target).*F)());
}

template <class T, LResult (T::*F)(WParam, LParam)>
LResult Message(CCmdTarget& target, WParam wParam, LParam lParam) {
    return (static_cast<T&>(target).*F)(wParam, lParam);
}

} // namespace msgmap
} // namespace hb

// Entry builders, named after the messages they route.
#define HB_ON_WM_PAINT(Class)                                                                      \
    { ::hb::win::kWmPaint, 0, 0, &::hb::msgmap::Void<Class, &Class::OnPaint> }
#define HB_ON_WM_TIMER(Class)                                                                      \
    { ::hb::win::kWmTimer, 0, 0, &::hb::msgmap::Timer<Class, &Class::OnTimer> }
#define HB_ON_WM_QUERYDRAGICON(Class)                                                              \
    { ::hb::win::kWmQueryDragIcon, 0, 0, &::hb::msgmap::Icon<Class, &Class::OnQueryDragIcon> }
#define HB_ON_WM_DESTROY(Class)                                                                    \
    { ::hb::win::kWmDestroy, 0, 0, &::hb::msgmap::Void<Class, &Class::OnDestroy> }
#define HB_ON_COMMAND(id, Class, fn)                                                               \
    { ::hb::win::kWmCommand, 0, id, &::hb::msgmap::Void<Class, &Class::fn> }
#define HB_ON_CONTROL(code, id, Class, fn)                                                         \
    { ::hb::win::kWmCommand, code, id, &::hb::msgmap::Void<Class, &Class::fn> }
#define HB_ON_BN_CLICKED(id, Class, fn) HB_ON_CONTROL(::hb::win::kBnClicked, id, Class, fn)
#define HB_ON_CBN_SELCHANGE(id, Class, fn) HB_ON_CONTROL(::hb::win::kCbnSelChange, id, Class, fn)
#define HB_ON_MESSAGE(message, Class, fn)                                                          \
    { message, 0, 0, &::hb::msgmap::Message<Class, &Class::fn> }
