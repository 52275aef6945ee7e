// Shows the waiting window and then the " Errore n. " message box, as the
// installer does when a reserved slot is already used (code 1250 unless
// another is given), and reports what the box shows, read back from the box
// itself. For the checks of the window builds: the box cannot be reached
// with the built-in scenario. Ends with the installer's status for it.
#include <iostream>
#include <string>

#include "platform/ui.h"
#include "run/run.h"

int main(int argc, char** argv) {
  const std::string code = argc > 1 ? argv[1] : "1250";
  std::unique_ptr<platform::Ui> ui = platform::make_ui(std::cout, std::cerr);
  ui->report_next_message_box(std::cout);
  ui->show_waiting(run::kWaitingLabel);
  run::show_error_message(*ui, code);
  ui->close_waiting();
  return run::kExitErrore;
}
