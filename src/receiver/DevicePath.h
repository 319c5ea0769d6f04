// What the program derives from a device's DevicePath text.
#pragma once

#include <string>

namespace hb::receiver {

// The two characters before the last one (fewer for a path shorter than three characters).
std::string PathTag(const std::string& devicePath);

// From the second '#' through the last '#', both included (the instance identifier between
// '#'s for a bus#device#instance#class path); a path with exactly two '#' gives "#". Paths with
// fewer '#' give the leading characters the derivation's clamping leaves.
std::string InstancePath(const std::string& devicePath);

} // namespace hb::receiver
