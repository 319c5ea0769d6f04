// What one load of keymap.ini reads.
#pragma once

#include "platform/Platform.h"

#include <cstdint>
#include <string>
#include <vector>

namespace hb::keymap {

// Buttons the tables have room for: entry 0 of the code table holds the board address.
inline constexpr int kMaxButtons = 99;
inline constexpr int kDefaultButtonCount = 47;
inline constexpr int kDefaultBoardAddress = 6917;
// Buffer of the profile reads: values are cut to 259 characters.
inline constexpr std::uint32_t kValueBufferSize = 260;

struct KeyMapFile {
    std::int32_t buttonCount = 0;       // as the file says ("Count"), before any cut
    std::int32_t boardAddress = 0;      // "Adress"
    std::vector<std::string> codes;     // buttons 1..n, n = min(count, 99), none for count < 1
    std::vector<std::string> functions; // the same buttons, from the loaded function section
};

// Reads the count, the board address, every button code and then every function string of
// the normal ("FunctionMap") or messenger ("FunctionMapMSN") section.
KeyMapFile ReadKeyMapFile(platform::IProfile& profile, const std::string& path, bool messenger);

} // namespace hb::keymap
