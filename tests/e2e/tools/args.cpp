// Parsing of hbtool's options and numbers.
#include "args.h"

#include "common.h"
#include "tests/e2e/common/ParseNumber.h"

#include <algorithm>

namespace hbtool {

std::optional<std::int64_t> parse_number(std::string_view text) {
    return e2e::ParseNumber(text);
}

Options::Options(int argc, const char* const* argv, int first,
                 const std::vector<std::string_view>& allowed) {
    for (int i = first; i < argc; i += 2) {
        const std::string_view name = argv[i];
        if (!name.starts_with("--") ||
            std::find(allowed.begin(), allowed.end(), name.substr(2)) == allowed.end()) {
            throw UsageError("unknown option " + std::string(name));
        }
        if (i + 1 >= argc) {
            throw UsageError("option " + std::string(name) + " needs a value");
        }
        if (!values_.emplace(name.substr(2), argv[i + 1]).second) {
            throw UsageError("option " + std::string(name) + " given twice");
        }
    }
}

bool Options::has(std::string_view name) const {
    return values_.find(name) != values_.end();
}

std::optional<std::string> Options::optional_text(std::string_view name) const {
    const auto found = values_.find(name);
    if (found == values_.end()) {
        return std::nullopt;
    }
    return found->second;
}

std::string Options::text(std::string_view name) const {
    auto value = optional_text(name);
    if (!value) {
        throw UsageError("option --" + std::string(name) + " is required");
    }
    return *value;
}

std::int64_t Options::number(std::string_view name) const {
    const auto value = parse_number(text(name));
    if (!value) {
        throw UsageError("option --" + std::string(name) + " needs a number");
    }
    return *value;
}

std::int64_t Options::number_or(std::string_view name, std::int64_t fallback) const {
    return has(name) ? number(name) : fallback;
}

std::vector<std::int64_t> Options::number_list(std::string_view name) const {
    std::vector<std::int64_t> numbers;
    const auto list = optional_text(name);
    for (std::size_t start = 0; list && start <= list->size();) {
        const std::size_t comma = std::min(list->find(',', start), list->size());
        const std::string item = list->substr(start, comma - start);
        const auto number = parse_number(item);
        if (!number) {
            throw UsageError("option --" + std::string(name) +
                             " needs comma-separated numbers, not \"" + item + '"');
        }
        numbers.push_back(*number);
        start = comma + 1;
    }
    return numbers;
}

std::vector<int> Options::id_list(std::string_view name) const {
    std::vector<int> ids;
    for (const std::int64_t id : number_list(name)) {
        ids.push_back(normalised_id(id));
    }
    return ids;
}

std::chrono::milliseconds Options::timeout(std::chrono::milliseconds fallback) const {
    const std::int64_t value = number_or("timeout-ms", fallback.count());
    if (value < 0) {
        throw UsageError("option --timeout-ms must not be negative");
    }
    return std::chrono::milliseconds(value);
}

} // namespace hbtool
