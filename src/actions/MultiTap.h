// Phone-keypad letter groups: A-C, D-F, G-I, J-L, M-O, P-R, S-U, V-X, Y-Z.
#pragma once

#include <cstdint>

namespace hb::actions {

inline constexpr int kTapGroups = 9;
inline constexpr unsigned kTapCommitMilliseconds = 800;

// The first letter of group 1..9.
std::uint8_t GroupLetter(int group);

// The letter after `letter` in its group, wrapping to the group's first letter.
std::uint8_t NextTapLetter(int group, std::uint8_t letter);

} // namespace hb::actions
