// The installer: writes the scenario's files into its own folder and compiles them.
#include <iostream>

#include "platform/env.h"
#include "platform/ui.h"
#include "run/run.h"

int main() {
  std::string folder;
  if (platform::Status status = platform::program_folder(&folder)) {
    std::cerr << "fiumicino_roma_3291: " << status->message() << std::endl;
    return run::kExitPlatform;
  }
  std::unique_ptr<platform::Ui> ui = platform::make_ui(std::cout, std::cerr);
  return run::run_installer(platform::default_env(), *ui, folder, std::cerr);
}
