// The function-string tokenizer: tokens found, key code, flags, and what is left of the copy.
#include "actions/Tokenizer.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <ostream>
#include <string>
#include <vector>

namespace hb::actions {

// Readable failure output for the result record; static so that it stays local to this test.
static void PrintTo(const FunctionTokens& t, std::ostream* os) {
    *os << "{tokens " << t.nTokens << ", modifiers " << t.nModifiers << ", key 0x" << std::hex
        << static_cast<int>(t.byVirtKey) << std::dec << (t.bCtrl ? ", Ctrl" : "")
        << (t.bWindows ? ", Windows" : "") << (t.bAlt ? ", Alt" : "") << (t.bShift ? ", Shift" : "")
        << (t.bTV ? ", TV" : "") << (t.bMSN ? ", MSN" : "") << (t.bSleep ? ", Sleep" : "")
        << ", tap " << t.nTapKey << "}";
}

namespace {

using Flag = bool FunctionTokens::*;
constexpr Flag kCtrl = &FunctionTokens::bCtrl;
constexpr Flag kWindows = &FunctionTokens::bWindows;
constexpr Flag kAlt = &FunctionTokens::bAlt;
constexpr Flag kShift = &FunctionTokens::bShift;
constexpr Flag kTV = &FunctionTokens::bTV;
constexpr Flag kMSN = &FunctionTokens::bMSN;
constexpr Flag kSleep = &FunctionTokens::bSleep;

FunctionTokens Tokens(int tokens, int modifiers, std::uint8_t virtKey,
                      std::initializer_list<Flag> flags = {}, int tapKey = 0) {
    FunctionTokens t;
    t.nTokens = tokens;
    t.nModifiers = modifiers;
    t.byVirtKey = virtKey;
    for (const Flag flag : flags) {
        t.*flag = true;
    }
    t.nTapKey = tapKey;
    return t;
}

bool NoLeadBytes(std::uint8_t) {
    return false;
}

// A stand-in double-byte code page: 0x81 to 0x9F start a two-byte character.
bool FakeLeadBytes(std::uint8_t byte) {
    return byte >= 0x81 && byte <= 0x9F;
}

enum class Modes { Normal, Messenger, Both };

struct Row {
    const char* name;
    const char* input;
    Modes modes;
    FunctionTokens expected;
    const char* remaining; // the working copy after tokenizing
};

std::vector<TokenizerMode> ModesOf(Modes modes) {
    switch (modes) {
    case Modes::Normal:
        return {TokenizerMode::Normal};
    case Modes::Messenger:
        return {TokenizerMode::Messenger};
    case Modes::Both:
        break;
    }
    return {TokenizerMode::Normal, TokenizerMode::Messenger};
}

template <std::size_t N> void CheckRows(const Row (&rows)[N]) {
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        for (const TokenizerMode mode : ModesOf(row.modes)) {
            SCOPED_TRACE(mode == TokenizerMode::Normal ? "normal mode" : "messenger mode");
            std::string copy = row.input;
            EXPECT_EQ(TokenizeFunction(copy, mode, NoLeadBytes), row.expected);
            EXPECT_EQ(copy, row.remaining);
        }
    }
}

TEST(TokenizerTest, ModifierPhase) {
    const Row rows[] = {
        {"modifier and letter", "Ctrl+C", Modes::Both, Tokens(2, 1, 0x43, {kCtrl}), "C"},
        {"word that is no token gives its first tested letter", "Ctrl+Shift+Esc", Modes::Both,
         Tokens(3, 2, 0x45, {kCtrl, kShift}), "Esc"},
        {"order in the string does not matter", "Shift+Ctrl+X", Modes::Both,
         Tokens(3, 2, 0x58, {kCtrl, kShift}), "X"},
        {"same chord in the other order", "Ctrl+Shift+X", Modes::Both,
         Tokens(3, 2, 0x58, {kCtrl, kShift}), "X"},
        {"bare chord records the last modifier", "Ctrl+Alt+Shift", Modes::Both,
         Tokens(3, 3, 0x10, {kCtrl, kAlt, kShift}), ""},
        {"missing separator loses the next character", "CtrlC", Modes::Both,
         Tokens(1, 1, 0x11, {kCtrl}), ""},
        {"token inside a longer word", "Alternate", Modes::Both, Tokens(1, 1, 0x12, {kAlt}),
         "rnate"},
        {"repeated token is found once", "Ctrl+Ctrl", Modes::Both, Tokens(2, 1, 0x43, {kCtrl}),
         "Ctrl"},
        {"caps lock takes separator and letter", "CAPLOCK+A", Modes::Both, Tokens(1, 0, 0x14), ""},
        {"caps lock eats the first letter of the next token", "CAPLOCK+MSN", Modes::Both,
         Tokens(2, 0, 0x4E), "SN"},
        {"tv alone", "TV", Modes::Both, Tokens(1, 0, 0x70, {kTV}), ""},
        {"msn alone", "MSN", Modes::Both, Tokens(1, 0, 0x70, {kMSN}), ""},
        {"sleep alone, nothing after it removed", "Sleep+", Modes::Both,
         Tokens(1, 0, 0x5F, {kSleep}), "+"},
        {"removal clamped at the end", "xxTV", Modes::Both, Tokens(1, 0, 0x70, {kTV}), "xx"},
        {"all eight acted on, then a named key and a digit: ten tokens",
         "TV+CAPLOCK++MSN+Sleep+Ctrl+Windows+Alt+Shift+F12+9", Modes::Both,
         Tokens(10, 4, 0x39, {kTV, kMSN, kSleep, kCtrl, kWindows, kAlt, kShift}), "++9"},
    };
    CheckRows(rows);
}

TEST(TokenizerTest, NamedKeyPhase) {
    const Row rows[] = {
        {"modifier and function key", "Alt+F4", Modes::Both, Tokens(2, 1, 0x73, {kAlt}), ""},
        {"f11 before f1", "F11", Modes::Both, Tokens(1, 0, 0x7A), ""},
        {"f10 before f1", "F10", Modes::Both, Tokens(1, 0, 0x79), ""},
        {"f1", "F1", Modes::Both, Tokens(1, 0, 0x70), ""},
        {"page up before up", "PageUp", Modes::Both, Tokens(1, 0, 0x21), ""},
        {"page down before down", "PageDown", Modes::Both, Tokens(1, 0, 0x22), ""},
        {"backspace", "Backspace", Modes::Both, Tokens(1, 0, 0x08), ""},
        {"first found in table order ends the phase", "Up+Left", Modes::Both, Tokens(2, 0, 0x55),
         "Up+"},
        {"zero stays in the copy", "Ctrl+0", Modes::Both, Tokens(2, 1, 0x30, {kCtrl}), "0"},
        {"zero not tested after another named key", "Left+0", Modes::Both, Tokens(1, 0, 0x25),
         "+0"},
        {"zero here, then one in the character phase", "10", Modes::Both, Tokens(2, 0, 0x31), "10"},
        {"space is a key in messenger mode", "SPACE", Modes::Messenger, Tokens(1, 0, 0x20), ""},
        {"space is letters in normal mode", "SPACE", Modes::Normal, Tokens(1, 0, 0x41), "SPACE"},
        {"tab is a key in messenger mode", "TAB+", Modes::Messenger, Tokens(1, 0, 0x09), ""},
        {"tab is letters in normal mode", "TAB+", Modes::Normal, Tokens(1, 0, 0x41), "TAB+"},
    };
    CheckRows(rows);
}

TEST(TokenizerTest, ScanCodeReadsTheNumberAtTheStartOfTheCopy) {
    const Row rows[] = {
        {"two digits", "ScanCode+65", Modes::Messenger, Tokens(1, 0, 0x41), ""},
        {"no token in normal mode", "ScanCode+65", Modes::Normal, Tokens(1, 0, 0x35),
         "ScanCode+65"},
        {"used as a key code", "ScanCode+186", Modes::Messenger, Tokens(1, 0, 0xBA), ""},
        {"low eight bits kept", "ScanCode+999", Modes::Messenger, Tokens(1, 0, 0xE7), ""},
        {"leading white space and sign", "ScanCode+ -7", Modes::Messenger, Tokens(1, 0, 0xF9), ""},
        {"tail of a long number goes to the character phase", "ScanCode+1234", Modes::Messenger,
         Tokens(2, 0, 0x34), "4"},
        {"number too large for any integer", "ScanCode+99999999999999999999", Modes::Messenger,
         Tokens(2, 0, 0x39), "99999999999999999"},
        {"no number", "ScanCode", Modes::Messenger, Tokens(1, 0, 0x00), ""},
        {"no number, first three bytes still removed", "ScanCode+abcd", Modes::Messenger,
         Tokens(1, 0, 0x00), "d"},
        {"number read from the start, not after the token", "xScanCode+65", Modes::Messenger,
         Tokens(1, 0, 0x00), ""},
        {"a zero ends the phase before it", "ScanCode+0", Modes::Messenger, Tokens(2, 0, 0x43),
         "ScanCode+0"},
    };
    CheckRows(rows);
}

TEST(TokenizerTest, CharacterPhaseAndGroupLetters) {
    const Row rows[] = {
        {"empty string", "", Modes::Both, Tokens(0, 0, 0x00), ""},
        {"lower case only", "escape", Modes::Both, Tokens(0, 0, 0x00), "escape"},
        {"test order, not position, decides", "Esc", Modes::Both, Tokens(1, 0, 0x45), "Esc"},
        {"digits before letters", "Z9", Modes::Both, Tokens(1, 0, 0x39), "Z9"},
        {"group letter as the first key is a letter", "ABC", Modes::Both, Tokens(1, 0, 0x41),
         "ABC"},
        {"group letter after a named key taps group 1", "Right+ABC", Modes::Messenger,
         Tokens(2, 0, 0x27, {}, 1), "+ABC"},
        {"same string in normal mode", "Right+ABC", Modes::Normal, Tokens(2, 0, 0x41), "+ABC"},
        {"group letter after a modifier taps group 2", "Windows+D", Modes::Messenger,
         Tokens(2, 1, 0x5B, {kWindows}, 2), "D"},
        {"same string in normal mode", "Windows+D", Modes::Normal, Tokens(2, 1, 0x44, {kWindows}),
         "D"},
        {"last group", "Left+Y", Modes::Messenger, Tokens(2, 0, 0x25, {}, 9), "+Y"},
        {"zero counts as an earlier key code", "0M", Modes::Messenger, Tokens(2, 0, 0x30, {}, 5),
         "0M"},
        {"action code counts as an earlier key code", "MSN+P", Modes::Messenger,
         Tokens(2, 0, 0x70, {kMSN}, 6), "P"},
        {"letter that starts no group", "Left+B", Modes::Messenger, Tokens(2, 0, 0x42), "+B"},
    };
    CheckRows(rows);
}

TEST(TokenizerTest, NoMatchStartsOnATrailByte) {
    struct DbcsRow {
        const char* name;
        std::string input;
        LeadBytePredicate isLeadByte;
        FunctionTokens expected;
        std::string remaining;
    };
    const DbcsRow rows[] = {
        {"trail byte letter skipped",
         "\x81"
         "AB",
         FakeLeadBytes, Tokens(1, 0, 0x42),
         "\x81"
         "AB"},
        {"same bytes without lead bytes",
         "\x81"
         "AB",
         NoLeadBytes, Tokens(1, 0, 0x41),
         "\x81"
         "AB"},
        {"empty predicate means no lead bytes",
         "\x81"
         "AB",
         nullptr, Tokens(1, 0, 0x41),
         "\x81"
         "AB"},
        {"lead-range byte in trail position is a trail byte",
         "\x81\x81"
         "AB",
         FakeLeadBytes, Tokens(1, 0, 0x41),
         "\x81\x81"
         "AB"},
        {"later real token matched and removed",
         "\x81"
         "Alt+Alt",
         FakeLeadBytes, Tokens(1, 1, 0x12, {kAlt}),
         "\x81"
         "Alt+"},
        {"same bytes without lead bytes",
         "\x81"
         "Alt+Alt",
         NoLeadBytes, Tokens(2, 1, 0x41, {kAlt}),
         "\x81"
         "Alt"},
        {"lead byte as the last byte", "B\x81", FakeLeadBytes, Tokens(1, 0, 0x42), "B\x81"},
    };
    for (const DbcsRow& row : rows) {
        SCOPED_TRACE(row.name);
        std::string copy = row.input;
        EXPECT_EQ(TokenizeFunction(copy, TokenizerMode::Normal, row.isLeadByte), row.expected);
        EXPECT_EQ(copy, row.remaining);
    }
}

} // namespace
} // namespace hb::actions
