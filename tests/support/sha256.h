// SHA-256 of a byte string, as 64 lower-case hexadecimal digits: pins the
// exact bytes of a fixed text in one line of a test.
#pragma once

#include <string>
#include <string_view>

namespace testing_support {

std::string sha256_hex(std::string_view bytes);

}  // namespace testing_support
