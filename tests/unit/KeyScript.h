// Expected key events written the way a person reads them: "Ctrl+ C+ C- Ctrl-" is Ctrl down,
// C down, C up, Ctrl up. Each event gets the fake layout's scan code of its own key and the
// flags the program must send (1 press, 3 release).
#pragma once

#include "tests/fakes/FakeInput.h"

#include <map>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

namespace hb::testing {

inline std::uint8_t KeyCode(const std::string& name) {
    static const std::map<std::string, std::uint8_t> named{
        {"Backspace", 0x08}, {"Tab", 0x09},  {"Enter", 0x0D}, {"Shift", 0x10}, {"Ctrl", 0x11},
        {"Alt", 0x12},       {"Caps", 0x14}, {"Space", 0x20}, {"PgUp", 0x21},  {"PgDn", 0x22},
        {"Left", 0x25},      {"Up", 0x26},   {"Right", 0x27}, {"Down", 0x28},  {"Win", 0x5B},
        {"F1", 0x70},        {"F4", 0x73},   {"F5", 0x74},    {"F10", 0x79},   {"F11", 0x7A},
        {"F12", 0x7B},       {"None", 0x00}, {"OEM1", 0xBA},
    };
    if (const auto it = named.find(name); it != named.end()) {
        return it->second;
    }
    if (name.size() == 1 &&
        ((name[0] >= 'A' && name[0] <= 'Z') || (name[0] >= '0' && name[0] <= '9'))) {
        return static_cast<std::uint8_t>(name[0]);
    }
    throw std::invalid_argument("unknown key name " + name);
}

inline std::vector<fakes::KeyEvent> Keys(const std::string& script) {
    std::vector<fakes::KeyEvent> events;
    std::istringstream words(script);
    std::string word;
    while (words >> word) {
        const bool release = word.back() == '-';
        const std::uint8_t vk = KeyCode(word.substr(0, word.size() - 1));
        events.push_back({vk, fakes::FakeKeyboard::ScanOf(vk), release ? 3u : 1u, 0});
    }
    return events;
}

} // namespace hb::testing
