// Conversion between the program's UTF-8 text and the Windows-1252 bytes of
// every file it writes or reads. A character that has no Windows-1252 byte,
// and a byte that Windows-1252 leaves undefined, are errors, never a silent "?".
#pragma once

#include <string>
#include <string_view>

#include "platform/status.h"

namespace platform {

Status to_cp1252(std::string_view utf8, std::string* bytes);
Status from_cp1252(std::string_view bytes, std::string* utf8);

}  // namespace platform
