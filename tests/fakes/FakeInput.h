// The keyboard and the code page. The keyboard keeps every event in order and a key-state
// table, so a test can see the exact sequence and that no key was left down.
#pragma once

#include "platform/Platform.h"
#include "tests/fakes/CallLog.h"

#include <mutex>
#include <set>
#include <vector>

namespace hb::fakes {

struct KeyEvent {
    std::uint8_t vk;
    std::uint8_t scan;
    std::uint32_t flags;
    std::uintptr_t extra = 0;
    friend bool operator==(const KeyEvent&, const KeyEvent&) = default;
};

class FakeKeyboard final : public platform::IKeyboard {
public:
    explicit FakeKeyboard(CallLog& log) : m_log(log) {}

    // The fake layout's scan code of a key: a fixed, distinct value per key, 0 for keys the
    // layout does not have (as the real call answers for some media keys).
    static std::uint8_t ScanOf(std::uint8_t vk);

    [[nodiscard]] std::vector<KeyEvent> Events() const;
    void ClearEvents();
    [[nodiscard]] std::set<std::uint8_t> KeysDown() const;

    unsigned MapVirtualKey(unsigned code, unsigned mapType) override;
    void KeybdEvent(std::uint8_t virtualKey, std::uint8_t scanCode, std::uint32_t flags,
                    std::uintptr_t extraInfo) override;

private:
    CallLog& m_log;
    mutable std::mutex m_mutex;
    std::vector<KeyEvent> m_events;
    std::set<std::uint8_t> m_down;
};

class FakeCodePage final : public platform::ICodePage {
public:
    // Lead bytes of the simulated code page: none by default (a single-byte code page).
    std::uint8_t firstLead = 1;
    std::uint8_t lastLead = 0;
    bool IsDbcsLeadByte(std::uint8_t byte) override {
        return byte >= firstLead && byte <= lastLead;
    }
};

} // namespace hb::fakes
