// Shows the installer's message boxes and reports what each box shows, read
// back from the box itself, for the checks of the window builds: neither box
// can be reached with the built-in scenario in a sound folder.
//
//   message_box_probe [CODE]     the waiting window, then the " Errore n. " box
//                           (code 1250 unless another is given); ends with
//                           status 3
//   message_box_probe --failure  the whole installer run in the probe's own folder,
//                           where the checks have made a file operation fail:
//                           the box of the platform failure; ends with status 2
//   message_box_probe --packed   the installer's start: the scenario packed into the
//                           probe's own executable (scenarioc pack), which the
//                           checks have damaged: the box of the damaged
//                           program; ends with status 2
#include <iostream>
#include <string>

#include "platform/env.h"
#include "platform/program_path.h"
#include "platform/ui.h"
#include "run/run.h"

int main(int argc, char** argv) {
  const std::string argument = argc > 1 ? argv[1] : "1250";
  std::unique_ptr<platform::Ui> ui = platform::make_ui(std::cout, std::cerr);
  ui->report_next_message_box(std::cout);
  if (argument == "--packed") {
    std::string program;
    if (platform::Status status = platform::program_path(&program)) {
      std::cerr << status->message() << std::endl;
      return run::kExitPlatform;
    }
    return run::run_program(platform::default_env(), *ui, program, std::cerr);
  }
  if (argument == "--failure") {
    std::string folder;
    if (platform::Status status = platform::program_folder(&folder)) {
      std::cerr << status->message() << std::endl;
      return run::kExitPlatform;
    }
    return run::run_installer(platform::default_env(), *ui, folder, std::cerr);
  }
  ui->show_waiting(run::kWaitingLabel);
  run::show_error_message(*ui, argument);
  ui->close_waiting();
  return run::kExitErrore;
}
