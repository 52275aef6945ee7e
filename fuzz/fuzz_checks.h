// The invariants that must hold for every input of the three fuzz targets.
// Each check runs one input and returns an empty string, or which invariant
// the input broke.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace fuzz {

// The field reader on any text; the first byte chooses the field types read.
std::string check_field_reader(const uint8_t* data, size_t size);

// The pure compile from "<flag byte><line source>\0<train source>". With
// the flag byte's low bit set, a short line is compiled with its track plan
// too; with its bit 5, the installer's job runs on a memory folder holding
// the two sources, must agree with the compile and leave the files it says;
// with bits 5 and 1, the job runs twice and must give the same bytes.
// Unless its bits 2 to 4 are all set, every number of the line source is
// cut to five digits, which bounds the line's length and the compile's cost.
std::string check_compile(const uint8_t* data, size_t size);

// The cell post-processing on a cell track of 3 bytes per cell: the kind
// (mod 16) and `value_a`.
std::string check_post_process(const uint8_t* data, size_t size);

// The language server on a byte stream of framed messages: it ends, every
// reply is a well-formed JSON-RPC message, and no file changes.
std::string check_lsp_messages(const uint8_t* data, size_t size);

}  // namespace fuzz
