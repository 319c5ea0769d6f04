// Reading one string value from the registry through the seam.
#pragma once

#include "platform/Platform.h"

#include <cstddef>
#include <string>

namespace hb::platform {

// Opens the key for reading, reads the value into a buffer of maxBytes and closes the key
// again (whenever it was opened). True only when all three calls succeed and the text fits in
// the buffer with its terminator: a value that fills the buffer without one is too long.
// The value's registry type is not examined.
[[nodiscard]] bool ReadRegistryString(IRegistry& registry, RegistryRoot root,
                                      const std::string& subKey, const std::string& valueName,
                                      std::size_t maxBytes, std::string& value);

} // namespace hb::platform
