// What every subcommand of scenarioc is given and what it hands back.
#pragma once

#include <functional>
#include <iosfwd>

#include "platform/env.h"

namespace CLI {
class App;
}

namespace tools {

// The tool's surroundings: the files it works on and its two output streams.
struct ToolContext {
  platform::Env& env;
  std::ostream& out;
  std::ostream& err;
};

// A subcommand registered on the tool's command line. `run` is called once
// the command line has been parsed and `app` is the subcommand given; it
// returns the process exit status.
struct Subcommand {
  CLI::App* app = nullptr;
  std::function<int()> run;
};

}  // namespace tools
