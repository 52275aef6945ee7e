// The plain-English name of each cell kind, for messages and listings.
#pragma once

#include <cstdint>
#include <string>

namespace model {

// "signal", "slowdown end", ...; "unknown kind N" for a kind the compiler never writes.
std::string kind_name(uint8_t kind);

}  // namespace model
