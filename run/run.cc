#include "run/run.h"

#include <ostream>

#include "writers/writers.h"

namespace run {
namespace {

constexpr char kProgram[] = "fiumicino_roma_3291";

}  // namespace

void show_error_message(platform::Ui& ui, const std::string& code) { ui.message_box(" Errore n. " + code); }

int compile_and_report(platform::Env& env, platform::Ui& ui, const std::string& folder,
                       std::ostream& err) {
  compiler::CompileRequest request;
  request.folder = folder;
  request.scenario_name = kScenarioName;
  request.train_number = kTrainNumber;
  const compiler::CompileResult result = compiler::compile(env, request);
  if (result.failure) err << kProgram << ": " << result.failure->message() << std::endl;
  if (result.ended_early) show_error_message(ui, std::to_string(result.status));
  // Any other status is recorded in the files, as the simulator expects.
  if (result.failure) return kExitPlatform;
  return result.ended_early ? kExitErrore : kExitOk;
}

int run_installer(platform::Env& env, platform::Ui& ui, const std::string& folder,
                  std::ostream& err) {
  model::Scenario names;
  names.scenario_name = kScenarioName;
  names.train_number = kTrainNumber;
  ui.show_waiting(kWaitingLabel);

  using Writer = platform::Status (*)(const model::Scenario&, platform::Env&, const std::string&);
  constexpr Writer kWriters[] = {writers::write_line_source, writers::write_train_source, writers::write_route_notes,
                                 writers::write_slowdown_form, writers::write_train_card};
  int exit_status = kExitOk;
  platform::Status failure;
  for (Writer writer : kWriters)
    if ((failure = writer(names, env, folder))) break;
  if (failure) {
    err << kProgram << ": " << failure->message() << std::endl;
    exit_status = kExitPlatform;
  } else {
    exit_status = compile_and_report(env, ui, folder, err);
  }
  ui.close_waiting();
  return exit_status;
}

}  // namespace run
