// Where the running executable lies, and the name it goes by.
#pragma once

#include <string>
#include <string_view>

#include "platform/status.h"

namespace platform {

// The full path of the running executable, in UTF-8.
Status program_path(std::string* path);

// The folder part of an executable's path, without a trailing separator,
// except at the root, which keeps its own ("/", "C:\").
std::string folder_of(std::string_view path);

// The executable's file name without its extension: the application's name,
// which the message box shows as its title. Empty when it cannot be found.
std::string application_name();

}  // namespace platform
