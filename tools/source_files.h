// Reads a scenario's two sources from its folder, for the subcommands that
// work on a copy of them and leave the folder as it is.
#pragma once

#include "platform/env.h"
#include "tools/check.h"
#include "tools/scenario_options.h"

namespace tools {

// The sources' bytes (nullopt for a missing file). Fails when a file that
// exists cannot be read.
platform::Status read_sources(platform::Env& env, const ScenarioArgs& args, CheckInput* input);

}  // namespace tools
