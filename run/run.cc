#include "run/run.h"

#include <ostream>
#include <vector>

#include "output/output_step.h"
#include "run/failure_report.h"
#include "writers/writers.h"

namespace run {

void errore(platform::Ui& ui, const std::string& a) {
  ui.message_box(" Errore n. " + a);
  throw RunEnded{static_cast<int32_t>(std::stol(a))};
}

platform::Status memorizza_percorso(model::Scenario& model, platform::Env& env, platform::Ui& ui,
                                    const std::string& folder, int32_t j,
                                    compiler::ParseState* state) {
  model.write_line_file = j;
  model.status_code = 0;
  for (model::ServiceRecord& record : model.service_table) record = model::ServiceRecord{};
  compiler::memorizza_dati(model, env, folder, state);
  // Without a cell track there is nothing to post-process or write; the
  // output step also needs cell 1 for its fixed values.
  if (model.cell_track.size() < 2) errore(ui, std::to_string(model.status_code));
  compiler::post_process(model);
  output::OutputOutcome outcome = output::output_step(model, env, folder);
  if (outcome.reserved_slot_code != 0) errore(ui, std::to_string(outcome.reserved_slot_code));
  return outcome.failure;
}

int Form_Load(platform::Env& env, platform::Ui& ui, const std::string& folder, std::ostream& err) {
  model::Scenario model;
  model.scenario_name = kScenarioName;
  model.train_number = kTrainNumber;
  ui.show_waiting(kWaitingLabel);

  using Writer = platform::Status (*)(const model::Scenario&, platform::Env&, const std::string&);
  constexpr Writer kWriters[] = {writers::dati_linea, writers::dati_treno, writers::dati_note,
                                 writers::dati_rallentamenti, writers::dati_scheda};
  int exit_status = kExitOk;
  // Another installer in this folder would delete the sources this one is
  // about to read, and put a half-read scenario in place of a whole one.
  const std::unique_ptr<platform::FolderLock> lock = env.lock_folder(folder);
  try {
    platform::Status failure;
    size_t written = 0;
    for (Writer writer : kWriters) {
      if ((failure = writer(model, env, folder))) break;
      ++written;
    }
    std::vector<platform::Error> failures;
    if (failure) {
      failures.push_back(*failure);
      // Stopped before the compile: the sources it wrote would stay behind.
      if (platform::Status removal = remove_written_sources(env, folder, model, written))
        failures.push_back(*removal);
    } else if ((failure = memorizza_percorso(model, env, ui, folder, 1))) {
      failures.push_back(*failure);
    }
    if (!failures.empty()) {
      for (const platform::Error& f : failures)
        err << "fiumicino_roma_3291: " << f.message() << std::endl;
      ui.report_failure(failure_box_text(failures));
      exit_status = kExitPlatform;
    }
  } catch (const RunEnded&) {
    exit_status = kExitErrore;
  }
  ui.close_waiting();
  return exit_status;
}

}  // namespace run
