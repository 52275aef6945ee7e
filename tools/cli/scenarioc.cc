// scenarioc: the scenario author's command-line tool (see tools/cli/scenarioc_app.h).
#include <iostream>

#include "platform/env.h"
#include "tools/cli/scenarioc_app.h"

int main(int argc, char** argv) {
  return tools::scenarioc_main(argc, argv, platform::default_env(), std::cout, std::cerr);
}
