// Number parsing shared by the end-to-end test tools (hbtool, simctl and the simulated
// receiver), for narrow and wide text alike.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace e2e {

// Numbers as the test tools take them (command lines, configuration values, tables): decimal,
// optionally negative, or 0x-prefixed hexadecimal of up to 64 bits. Nothing else, not even
// surrounding blanks, is accepted.
template <class Char>
[[nodiscard]] std::optional<std::int64_t> ParseNumber(std::basic_string_view<Char> text) {
    const bool negative = !text.empty() && text.front() == Char('-');
    if (negative) {
        text.remove_prefix(1);
    }
    std::uint64_t base = 10;
    if (text.size() > 2 && text[0] == Char('0') && (text[1] == Char('x') || text[1] == Char('X'))) {
        if (negative) {
            return std::nullopt;
        }
        base = 16;
        text.remove_prefix(2);
    }
    if (text.empty()) {
        return std::nullopt;
    }
    std::uint64_t value = 0;
    for (const Char c : text) {
        std::uint64_t digit = 0;
        if (c >= Char('0') && c <= Char('9')) {
            digit = static_cast<std::uint64_t>(c - Char('0'));
        } else if (base == 16 && c >= Char('a') && c <= Char('f')) {
            digit = static_cast<std::uint64_t>(c - Char('a')) + 10u;
        } else if (base == 16 && c >= Char('A') && c <= Char('F')) {
            digit = static_cast<std::uint64_t>(c - Char('A')) + 10u;
        } else {
            return std::nullopt;
        }
        if (value > (UINT64_MAX - digit) / base) {
            return std::nullopt;
        }
        value = value * base + digit;
    }
    if (base == 16) {
        return static_cast<std::int64_t>(value);
    }
    constexpr auto kMax = static_cast<std::uint64_t>(INT64_MAX);
    if (value > kMax + (negative ? 1u : 0u)) {
        return std::nullopt;
    }
    return negative ? static_cast<std::int64_t>(0u - value) : static_cast<std::int64_t>(value);
}

} // namespace e2e
