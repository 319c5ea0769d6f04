// Key-event tables of the two modes.
#include "actions/KeyChords.h"

#include <array>

namespace hb::actions {
namespace {

// The modifiers a function string names, in the order chords press them.
std::vector<std::uint8_t> ModifiersInPressOrder(const FunctionTokens& tokens) {
    const std::array<std::pair<bool, std::uint8_t>, 4> order{{
        {tokens.bCtrl, kVkControl},
        {tokens.bAlt, kVkAlt},
        {tokens.bShift, kVkShift},
        {tokens.bWindows, kVkWindows},
    }};
    std::vector<std::uint8_t> modifiers;
    for (const auto& [named, vk] : order) {
        if (named) {
            modifiers.push_back(vk);
        }
    }
    return modifiers;
}

void Tap(std::vector<KeyStroke>& strokes, std::uint8_t vk) {
    strokes.push_back({vk, false});
    strokes.push_back({vk, true});
}

// Presses the modifiers in order, taps the key (if any), releases them in reverse.
std::vector<KeyStroke> Chord(const std::vector<std::uint8_t>& modifiers, const std::uint8_t* key) {
    std::vector<KeyStroke> strokes;
    for (const std::uint8_t modifier : modifiers) {
        strokes.push_back({modifier, false});
    }
    if (key != nullptr) {
        Tap(strokes, *key);
    }
    for (auto it = modifiers.rbegin(); it != modifiers.rend(); ++it) {
        strokes.push_back({*it, true});
    }
    return strokes;
}

} // namespace

std::vector<KeyStroke> NormalModeStrokes(const FunctionTokens& tokens) {
    const std::uint8_t key = tokens.byVirtKey;
    const std::vector<std::uint8_t> modifiers = ModifiersInPressOrder(tokens);
    switch (tokens.nTokens) {
    case 1:
        return Chord({}, &key);
    case 2:
        // Only the first modifier named counts; with two modifiers and no key, K is the later
        // modifier's code and is sent as the chord's key.
        return modifiers.empty() ? std::vector<KeyStroke>{} : Chord({modifiers.front()}, &key);
    case 3:
        if (tokens.nModifiers == 3 && modifiers.size() == 3) {
            return Chord(modifiers, nullptr);
        }
        if (tokens.nModifiers == 2 && modifiers.size() == 2) {
            return Chord(modifiers, &key);
        }
        return {};
    default:
        return {};
    }
}

std::vector<KeyStroke> MessengerModeStrokes(const FunctionTokens& tokens, std::uint8_t tapLetter) {
    if (tokens.nTokens == 3 && tokens.nModifiers == 1) {
        const std::vector<std::uint8_t> modifiers = ModifiersInPressOrder(tokens);
        std::vector<KeyStroke> strokes;
        Tap(strokes, tapLetter);
        const std::uint8_t key = tokens.byVirtKey;
        for (const KeyStroke& stroke : Chord(modifiers, &key)) {
            strokes.push_back(stroke);
        }
        return strokes;
    }
    return NormalModeStrokes(tokens);
}

} // namespace hb::actions
