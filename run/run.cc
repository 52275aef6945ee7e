#include "run/run.h"

#include <ostream>
#include <vector>

#include "run/failure_report.h"
#include "writers/writers.h"

namespace run {
namespace {

constexpr char kProgram[] = "fiumicino_roma_3291";

// Every refused file operation reaches the user: on the console, and in a
// message box for the user who double-clicked the program.
int report_failures(platform::Ui& ui, std::ostream& err,
                    const std::vector<platform::Error>& failures, bool installed = false) {
  if (installed) err << kProgram << ": the scenario is installed, but:" << std::endl;
  for (const platform::Error& f : failures) err << kProgram << ": " << f.message() << std::endl;
  ui.report_failure(failure_box_text(failures, installed));
  return installed ? kExitInstalledWithProblem : kExitPlatform;
}

}  // namespace

void show_error_message(platform::Ui& ui, const std::string& code) {
  ui.message_box(" Errore n. " + code);
}

int compile_and_report(platform::Env& env, platform::Ui& ui, const std::string& folder,
                       std::ostream& err) {
  compiler::CompileRequest request;
  request.folder = folder;
  request.scenario_name = kScenarioName;
  request.train_number = kTrainNumber;
  const compiler::CompileResult result = compiler::compile(env, request);
  if (result.ended_early) show_error_message(ui, std::to_string(result.status));
  if (result.failure) {
    std::vector<platform::Error> failures = {*result.failure};
    // The sources are this run's own: a compile that stopped before it
    // wrote the binary files may have left them behind.
    model::Scenario names;
    names.scenario_name = kScenarioName;
    names.train_number = kTrainNumber;
    if (!result.files_written)
      if (platform::Status removal = remove_written_sources(env, folder, names, 2))
        failures.push_back(*removal);
    // The binary files in place: the scenario is installed, and what failed
    // after them (a source or an old file left, the folder not synced) is
    // said as such.
    return report_failures(ui, err, failures, result.files_written);
  }
  // Any other status is recorded in the files, as the simulator expects.
  return result.ended_early ? kExitErrore : kExitOk;
}

int run_installer(platform::Env& env, platform::Ui& ui, const std::string& folder,
                  std::ostream& err) {
  model::Scenario names;
  names.scenario_name = kScenarioName;
  names.train_number = kTrainNumber;
  ui.show_waiting(kWaitingLabel);

  using Writer = platform::Status (*)(const model::Scenario&, platform::Env&, const std::string&);
  constexpr Writer kWriters[] = {writers::write_line_source, writers::write_train_source,
                                 writers::write_route_notes, writers::write_slowdown_form,
                                 writers::write_train_card};
  int exit_status = kExitOk;
  {
    // Another installer in this folder would delete the sources this one is
    // about to read, and put a half-read scenario in place of a whole one.
    const std::unique_ptr<platform::FolderLock> lock = env.lock_folder(folder);
    platform::Status failure;
    size_t written = 0;
    for (Writer writer : kWriters) {
      if ((failure = writer(names, env, folder))) break;
      ++written;
    }
    if (failure) {
      std::vector<platform::Error> failures = {*failure};
      // Stopped before the compile: the sources it wrote would stay behind.
      if (platform::Status removal = remove_written_sources(env, folder, names, written))
        failures.push_back(*removal);
      exit_status = report_failures(ui, err, failures);
    } else {
      exit_status = compile_and_report(env, ui, folder, err);
    }
  }
  ui.close_waiting();
  return exit_status;
}

}  // namespace run
