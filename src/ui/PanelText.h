// The texts the status panel shows, one function per format.
#pragma once

#include "platform/Types.h"

#include <cstdint>
#include <string>

namespace hb::panel {

// "%d"
std::string Decimal(std::int32_t value);
// "0x%x": the HRESULT of the last driver request (0x0 on success).
std::string HResultShort(HResult hr);
// "0x%08X": the HRESULT of the start-up query.
std::string HResultLong(HResult hr);
// "0x%02X": the code string of a received command, and the address of a record.
std::string CodeString(std::uint32_t value);
// The toggle text of a record by its protocol word; codeString for an unknown protocol.
std::string ToggleText(std::uint16_t protocol, std::int32_t toggle, std::uint32_t oemCode,
                       const std::string& codeString);

} // namespace hb::panel
