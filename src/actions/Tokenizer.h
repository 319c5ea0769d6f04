// The function-string tokenizer: finds the known tokens of a key-map function string and turns
// them into the key code, counts and flags the interpreters act on.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

namespace hb::actions {

enum class TokenizerMode { Normal, Messenger };

struct FunctionTokens {
    std::uint8_t byVirtKey = 0; // key code recorded by the last token that recorded one
    int nTokens = 0;            // tokens recognised, 0 to 10
    int nModifiers = 0;         // of them "Ctrl", "Windows", "Alt", "Shift"
    bool bCtrl = false;
    bool bWindows = false;
    bool bAlt = false;
    bool bShift = false;
    bool bTV = false;    // switch to normal mode
    bool bMSN = false;   // start the messenger, switch to messenger mode
    bool bSleep = false; // hibernate
    int nTapKey = 0;     // messenger mode: multi-tap group 1..9 of a group letter, 0 for none

    friend bool operator==(const FunctionTokens&, const FunctionTokens&) = default;
};

// True for a lead byte of a double-byte character in the ANSI code page in use. An empty
// predicate stands for a code page without lead bytes.
using LeadBytePredicate = std::function<bool(std::uint8_t)>;

// Tokenizes the working copy, removing what the token rules remove. A token never matches
// starting on the second byte of a double-byte character.
FunctionTokens TokenizeFunction(std::string& workingCopy, TokenizerMode mode,
                                const LeadBytePredicate& isLeadByte);

} // namespace hb::actions
