// An installer executable as pack and unpack see it: the program and the
// scenario it installs.
#pragma once

#include <string>

#include "payload/payload.h"
#include "platform/env.h"

namespace tools {

// Reads the installer at `path` whole and finds its payload.
platform::Status read_installer(platform::Env& env, const std::string& path, std::string* bytes,
                                payload::Reading* reading);

// The built-in scenario as a payload would hold it: the writers' bytes.
payload::Contents built_in_contents();

// The installer pack starts from when none is given: the one built beside
// scenarioc (the same folder, or ../installer/ in a build tree). Empty when
// there is none, with the places looked at in `looked_at`.
std::string default_installer(platform::Env& env, std::string* looked_at);

}  // namespace tools
