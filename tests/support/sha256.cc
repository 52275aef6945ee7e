#include "tests/support/sha256.h"

#include "payload/payload.h"

namespace testing_support {

std::string sha256_hex(std::string_view bytes) {
  static constexpr char kHex[] = "0123456789abcdef";
  std::string hex;
  for (unsigned char byte : payload::sha256(bytes)) {
    hex += kHex[byte >> 4];
    hex += kHex[byte & 0xF];
  }
  return hex;
}

}  // namespace testing_support
