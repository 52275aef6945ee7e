// Programs written by the tools: an installer with a scenario packed in.
#pragma once

#include <string>
#include <string_view>

#include "platform/env.h"

namespace platform {

// Replaces `path` by `contents` as replace_file does (a temporary file,
// flushed, then renamed over it: never a cut file, the old one whole on any
// failure), and the new file can be run as a program before it takes the
// name.
Status replace_executable_file(Env& env, const std::string& path, std::string_view contents);

}  // namespace platform
