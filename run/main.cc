// The installer: writes the scenario's files into its own folder and compiles them;
// the scenario is the one packed into its executable, or its built-in one.
#include <iostream>

#include "platform/env.h"
#include "platform/program_path.h"
#include "platform/ui.h"
#include "run/failure_report.h"
#include "run/run.h"

int main() {
  std::unique_ptr<platform::Ui> ui = platform::make_ui(std::cout, std::cerr);
  std::string program;
  if (platform::Status status = platform::program_path(&program)) {
    std::cerr << "fiumicino_roma_3291: " << status->message() << std::endl;
    ui->report_failure(run::failure_box_text({*status}));
    return run::kExitPlatform;
  }
  return run::run_program(platform::default_env(), *ui, program, std::cerr);
}
