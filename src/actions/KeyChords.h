// Which key events a tokenized function string sends: single keys, one- and two-modifier
// chords, three-modifier chords, and in messenger mode the typed multi-tap letter before a
// one-modifier chord.
#pragma once

#include "actions/Tokenizer.h"

#include <cstdint>
#include <vector>

namespace hb::actions {

inline constexpr std::uint8_t kVkShift = 0x10;
inline constexpr std::uint8_t kVkControl = 0x11;
inline constexpr std::uint8_t kVkAlt = 0x12;
inline constexpr std::uint8_t kVkRight = 0x27;
inline constexpr std::uint8_t kVkWindows = 0x5B;

struct KeyStroke {
    std::uint8_t vk;
    bool release;
    friend bool operator==(const KeyStroke&, const KeyStroke&) = default;
};

// Normal mode.
std::vector<KeyStroke> NormalModeStrokes(const FunctionTokens& tokens);

// Messenger mode: as normal mode, except that three tokens with exactly one modifier type
// tapLetter first and then send that modifier's chord with the key.
std::vector<KeyStroke> MessengerModeStrokes(const FunctionTokens& tokens, std::uint8_t tapLetter);

} // namespace hb::actions
