// Keyboard fake.
#include "tests/fakes/FakeInput.h"

#include "platform/Constants.h"

#include <cstdio>

namespace hb::fakes {

std::uint8_t FakeKeyboard::ScanOf(std::uint8_t vk) {
    if (vk >= 0xA6 && vk <= 0xB7) { // browser and media keys: no scan code in this layout
        return 0;
    }
    return static_cast<std::uint8_t>((vk * 37u + 11u) & 0xFFu);
}

unsigned FakeKeyboard::MapVirtualKey(unsigned code, unsigned mapType) {
    if (mapType != win::kMapVkVkToVsc) {
        return 0;
    }
    // A real scan code can have bits above the low byte (extended keys); the caller keeps the
    // low byte only.
    return 0xE000u | ScanOf(static_cast<std::uint8_t>(code));
}

void FakeKeyboard::KeybdEvent(std::uint8_t virtualKey, std::uint8_t scanCode, std::uint32_t flags,
                              std::uintptr_t extraInfo) {
    char entry[64];
    std::snprintf(entry, sizeof entry, "key %02X %s", virtualKey,
                  (flags & win::kKeyEventfKeyUp) != 0 ? "up" : "down");
    m_log.Add(entry);
    std::scoped_lock lock(m_mutex);
    m_events.push_back({virtualKey, scanCode, flags, extraInfo});
    if ((flags & win::kKeyEventfKeyUp) != 0) {
        m_down.erase(virtualKey);
    } else {
        m_down.insert(virtualKey);
    }
}

std::vector<KeyEvent> FakeKeyboard::Events() const {
    std::scoped_lock lock(m_mutex);
    return m_events;
}

void FakeKeyboard::ClearEvents() {
    std::scoped_lock lock(m_mutex);
    m_events.clear();
}

std::set<std::uint8_t> FakeKeyboard::KeysDown() const {
    std::scoped_lock lock(m_mutex);
    return m_down;
}

} // namespace hb::fakes
