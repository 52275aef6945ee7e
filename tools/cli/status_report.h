// How scenarioc reports the status code of a compile: one line of plain
// English, or one JSON object for scripts.
#pragma once

#include <cstdint>
#include <iosfwd>
#include <string>

namespace tools {

// "status 15 at metre 41901: <meaning>", or "status 3: <meaning>" for a code
// without a position. `position` is ignored for such codes.
std::string status_line(int32_t code, int32_t position);

// {"status": N, "position": M or null, "message": "<meaning>"}
std::string status_json(int32_t code, int32_t position);

// One of the two, followed by a line end.
void print_status(std::ostream& out, bool json, int32_t code, int32_t position);

}  // namespace tools
