// The function-string tokenizer. It does not parse left to right: it searches the whole working
// copy for each known token in a fixed order, in three phases (modifiers, one named key, one
// character), and removes what a token takes with it before the next search.
#include "actions/Tokenizer.h"

#include <array>
#include <cstddef>
#include <optional>
#include <string_view>

namespace hb::actions {
namespace {

// A modifier or action token. Every one of them is searched; each one found is acted on.
struct ModifierToken {
    std::string_view token;
    std::size_t removed; // bytes removed at the match: the token and its separator(s)
    std::uint8_t virtKey;
    bool isModifier; // counted in nModifiers
    bool FunctionTokens::*flag;
};

// "CAPLOCK" takes two characters after it, "Sleep" none; the others take one separator.
constexpr std::array<ModifierToken, 8> kModifierTokens{{
    {"TV", 3, 0x70, false, &FunctionTokens::bTV},
    {"CAPLOCK", 9, 0x14, false, nullptr},
    {"MSN", 4, 0x70, false, &FunctionTokens::bMSN},
    {"Sleep", 5, 0x5F, false, &FunctionTokens::bSleep},
    {"Ctrl", 5, 0x11, true, &FunctionTokens::bCtrl},
    {"Windows", 8, 0x5B, true, &FunctionTokens::bWindows},
    {"Alt", 4, 0x12, true, &FunctionTokens::bAlt},
    {"Shift", 6, 0x10, true, &FunctionTokens::bShift},
}};

// A named key. Searched in table order; the first one found ends the phase.
struct NamedKey {
    std::string_view token;
    std::size_t removed;
    std::uint8_t virtKey; // unused for the key that reads its code from the copy
    bool messengerOnly;
    bool readsNumber; // the key code is the number that follows
};

// Longer tokens come before the shorter ones they contain ("PageUp" before "Up", "F10" before
// "F1"). "0" stays in the copy: the character phase never looks for it.
constexpr std::array<NamedKey, 24> kNamedKeys{{
    {"Left", 4, 0x25, false, false},      {"Right", 5, 0x27, false, false},
    {"PageUp", 6, 0x21, false, false},    {"PageDown", 8, 0x22, false, false},
    {"Up", 2, 0x26, false, false},        {"Down", 4, 0x28, false, false},
    {"Backspace", 9, 0x08, false, false}, {"Enter", 5, 0x0D, false, false},
    {"F10", 3, 0x79, false, false},       {"F11", 3, 0x7A, false, false},
    {"F12", 3, 0x7B, false, false},       {"F1", 2, 0x70, false, false},
    {"F2", 2, 0x71, false, false},        {"F3", 2, 0x72, false, false},
    {"F4", 2, 0x73, false, false},        {"F5", 2, 0x74, false, false},
    {"F6", 2, 0x75, false, false},        {"F7", 2, 0x76, false, false},
    {"F8", 2, 0x77, false, false},        {"F9", 2, 0x78, false, false},
    {"SPACE", 6, 0x20, true, false},      {"TAB", 4, 0x09, true, false},
    {"0", 0, 0x30, false, false},         {"ScanCode", 9, 0x00, true, true},
}};

// Bytes removed from the start of the copy after reading the number that follows "ScanCode".
constexpr std::size_t kScanCodeNumberBytes = 3;

// Candidates of the character phase in test order; each character is its own key code.
constexpr std::string_view kCharacters = "123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ";

// In Messenger mode these letters start the multi-tap groups 1 to 9, in this order.
constexpr std::string_view kGroupLetters = "ADGJMPSVY";

// First position of the token in the text, skipping positions that hold the trail byte of a
// double-byte character. An empty predicate means the code page has no lead bytes.
std::optional<std::size_t> Find(std::string_view text, std::string_view token,
                                const LeadBytePredicate& isLeadByte) {
    std::size_t pos = 0;
    while (pos < text.size()) {
        if (text.substr(pos).starts_with(token)) {
            return pos;
        }
        const bool lead = isLeadByte && isLeadByte(static_cast<std::uint8_t>(text[pos]));
        pos += lead ? 2 : 1;
    }
    return std::nullopt;
}

// Deletes n bytes at pos, or up to the end when fewer follow.
void RemoveAt(std::string& text, std::size_t pos, std::size_t n) {
    text.erase(pos, n);
}

// White space as the C locale's isspace sees it, without depending on the current locale.
bool IsSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

// Low 8 bits of the decimal number at the start of the text: optional white space, an optional
// sign, then digits; 0 when there are no digits. The value is accumulated modulo 256, so any
// number of digits is read without overflow and gives the same low byte as an exact parse.
std::uint8_t LeadingNumberLowByte(std::string_view text) {
    std::size_t pos = 0;
    while (pos < text.size() && IsSpace(text[pos])) {
        ++pos;
    }
    bool negative = false;
    if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) {
        negative = text[pos] == '-';
        ++pos;
    }
    unsigned value = 0;
    for (; pos < text.size() && text[pos] >= '0' && text[pos] <= '9'; ++pos) {
        value = (value * 10U + static_cast<unsigned>(text[pos] - '0')) & 0xFFU;
    }
    if (negative) {
        value = (0x100U - value) & 0xFFU;
    }
    return static_cast<std::uint8_t>(value);
}

void ModifierPhase(std::string& copy, const LeadBytePredicate& isLeadByte, FunctionTokens& result) {
    for (const ModifierToken& entry : kModifierTokens) {
        const std::optional<std::size_t> pos = Find(copy, entry.token, isLeadByte);
        if (!pos) {
            continue;
        }
        RemoveAt(copy, *pos, entry.removed);
        result.byVirtKey = entry.virtKey;
        ++result.nTokens;
        if (entry.isModifier) {
            ++result.nModifiers;
        }
        if (entry.flag != nullptr) {
            result.*entry.flag = true;
        }
    }
}

void NamedKeyPhase(std::string& copy, TokenizerMode mode, const LeadBytePredicate& isLeadByte,
                   FunctionTokens& result) {
    for (const NamedKey& entry : kNamedKeys) {
        if (entry.messengerOnly && mode != TokenizerMode::Messenger) {
            continue;
        }
        const std::optional<std::size_t> pos = Find(copy, entry.token, isLeadByte);
        if (!pos) {
            continue;
        }
        RemoveAt(copy, *pos, entry.removed);
        ++result.nTokens;
        if (entry.readsNumber) {
            // The number is read from the start of the copy, not from where the token stood,
            // and at most three of its characters go with it.
            result.byVirtKey = LeadingNumberLowByte(copy);
            RemoveAt(copy, 0, kScanCodeNumberBytes);
        } else {
            result.byVirtKey = entry.virtKey;
        }
        return;
    }
}

void CharacterPhase(const std::string& copy, TokenizerMode mode,
                    const LeadBytePredicate& isLeadByte, FunctionTokens& result) {
    for (const char candidate : kCharacters) {
        if (!Find(copy, std::string_view(&candidate, 1), isLeadByte)) {
            continue;
        }
        ++result.nTokens;
        const std::size_t group = kGroupLetters.find(candidate);
        // A group letter after a token that already recorded a key code is a multi-tap request;
        // as the first key of the string it is an ordinary letter.
        if (mode == TokenizerMode::Messenger && group != std::string_view::npos &&
            result.byVirtKey != 0) {
            result.nTapKey = static_cast<int>(group) + 1;
        } else {
            result.byVirtKey = static_cast<std::uint8_t>(candidate);
        }
        return;
    }
}

} // namespace

FunctionTokens TokenizeFunction(std::string& workingCopy, TokenizerMode mode,
                                const LeadBytePredicate& isLeadByte) {
    FunctionTokens result;
    ModifierPhase(workingCopy, isLeadByte, result);
    NamedKeyPhase(workingCopy, mode, isLeadByte, result);
    CharacterPhase(workingCopy, mode, isLeadByte, result);
    return result;
}

} // namespace hb::actions
