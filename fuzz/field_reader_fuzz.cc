// The field reader on any text: every call either returns a field or throws
// ReadFailure, the read position always moves on, and a number read back
// always lies in its target's range.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "compiler/field_reader.h"
#include "compiler/read_failure.h"
#include "fuzz/fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  // The first byte chooses the sequence of field types to read.
  const uint8_t plan = data[0];
  std::string_view text(reinterpret_cast<const char*>(data + 1), size - 1);
  compiler::FieldReader reader(text);
  size_t reads = 0;
  try {
    while (!reader.at_end()) {
      FUZZ_CHECK(++reads <= text.size() + 1);  // every read consumes something
      switch ((plan >> (reads % 4 * 2)) & 3) {
        case 0: {
          std::string field = reader.read_text();
          FUZZ_CHECK(field.find(',') == std::string::npos);
          FUZZ_CHECK(field.find('\n') == std::string::npos);
          FUZZ_CHECK(field.find('\r') == std::string::npos);
          break;
        }
        case 1:
          reader.read_long();
          break;
        case 2:
          reader.read_integer();
          break;
        case 3:
          reader.read_byte();
          break;
      }
      FUZZ_CHECK(reader.field_line() >= 1 && reader.field_column() >= 1);
    }
    // Reading at the end always fails.
    try {
      reader.read_text();
      FUZZ_CHECK(false);
    } catch (const compiler::ReadFailure&) {
    }
  } catch (const compiler::ReadFailure&) {
  }
  return 0;
}
