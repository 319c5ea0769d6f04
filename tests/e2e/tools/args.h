// Command-line options of hbtool: "--name value" pairs after the command word.
#pragma once

#include <chrono>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace hbtool {

// Decimal (optionally negative) or 0x-prefixed hexadecimal; hexadecimal may use all 64 bits.
[[nodiscard]] std::optional<std::int64_t> parse_number(std::string_view text);

class Options {
public:
    // Throws UsageError for an option outside `allowed`, a repeated option or a missing value.
    Options(int argc, const char* const* argv, int first,
            const std::vector<std::string_view>& allowed);

    [[nodiscard]] bool has(std::string_view name) const;
    [[nodiscard]] std::string text(std::string_view name) const; // required
    [[nodiscard]] std::optional<std::string> optional_text(std::string_view name) const;
    [[nodiscard]] std::int64_t number(std::string_view name) const; // required
    [[nodiscard]] std::int64_t number_or(std::string_view name, std::int64_t fallback) const;
    // Comma-separated numbers; empty when not given.
    [[nodiscard]] std::vector<std::int64_t> number_list(std::string_view name) const;
    // Comma-separated control identifiers, normalised (65535 reads -1); empty when not given.
    [[nodiscard]] std::vector<int> id_list(std::string_view name) const;

    // --timeout-ms, default ten seconds unless the command says otherwise; negative values are a
    // usage error.
    [[nodiscard]] std::chrono::milliseconds
    timeout(std::chrono::milliseconds fallback = std::chrono::seconds(10)) const;

private:
    std::map<std::string, std::string, std::less<>> values_;
};

} // namespace hbtool
