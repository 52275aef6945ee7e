// scenarioc, the scenario author's command-line tool. The whole tool is this
// one function, so that tests run it without starting a process.
#pragma once

#include <iosfwd>

#include "platform/env.h"

namespace tools {

// Parses the command line (argv[0] is the program), runs the subcommand it
// names on the files of `env`, and returns the process exit status: help goes
// to `out`, usage errors to `err` with status 2.
int scenarioc_main(int argc, const char* const* argv, platform::Env& env, std::ostream& out,
                   std::ostream& err);

}  // namespace tools
