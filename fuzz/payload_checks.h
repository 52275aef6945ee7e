// The invariants of the payload reader and writer, for any bytes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace fuzz {

// With the first byte odd, the rest is an installer executable: the reader
// finds nothing, a damaged payload with its reason, or a whole one that
// encodes back to exactly its bytes and is still found with bytes after it.
// With it even, the rest is split at NUL bytes into a scenario name, a train
// number and files: contents that may be packed are read back as they were.
std::string check_payload(const uint8_t* data, size_t size);

}  // namespace fuzz
