// What a command packet does, in words, for the message log's record of what the operator sent.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>

namespace zelkon {

// "packet broadcast mask (0x8E-A5): 8E A5 02 80 00 00" for a command that changes the receiver
// or makes it act (a setting, a reset, a load); nothing for a query, which only asks. `packet` is
// the id and the payload, unframed.
std::optional<std::string> CommandDescription(std::span<const uint8_t> packet);

}  // namespace zelkon
