// The installer's run: the waiting window, the five writers, the compile,
// the end. The compile itself is the compiler library's one call; the run
// maps its result to the " Errore n. " message and to the exit status.
#pragma once

#include <iosfwd>
#include <string>

#include "job/outcome.h"
#include "platform/env.h"
#include "platform/ui.h"
#include "run/installer_scenario.h"
#include "writers/writers.h"

namespace run {

using writers::kScenarioName;
using writers::kTrainNumber;
inline constexpr char kWaitingLabel[] = "Attendere";
// Under the label while another run holds the folder's lock.
inline constexpr char kWaitingForOtherRun[] =
    "Un'altra installazione \u00e8 in corso in questa cartella: attendere che finisca.";

// The installer's exit statuses (job/outcome.h maps outcomes to them).
using job::kExitErrore;
using job::kExitInstalledWithProblem;
using job::kExitOk;
using job::kExitPlatform;

// Shows " Errore n. " followed by `code` in a message box with one OK
// button; the caller then ends the run.
void show_error_message(platform::Ui& ui, const std::string& code);

// The installer's compile job over the sources in `folder`, mapped to what the
// user sees: " Errore n. " for a compile that ended early, the failing file
// operation on `err`. Returns the exit status.
// `unguarded`: the folder's lock that the system refused, when the run went
// on without it.
int compile_and_report(platform::Env& env, platform::Ui& ui, const std::string& folder,
                       std::ostream& err, const platform::Status& unguarded = {});
// The same for a scenario of other names.
int compile_and_report(platform::Env& env, platform::Ui& ui, const std::string& folder,
                       const std::string& scenario_name, const std::string& train_number,
                       std::ostream& err, const platform::Status& unguarded = {});

// The whole installer run of the built-in scenario in `folder`. Returns the
// process exit status; a platform failure is described on `err`.
// Another run holding the folder's lock is waited for as `wait` says, and
// never silently; a folder the system cannot lock is said on `err`.
int run_installer(platform::Env& env, platform::Ui& ui, const std::string& folder,
                  std::ostream& err, const platform::LockWait& wait = {});
// The same for any scenario.
int run_installer(platform::Env& env, platform::Ui& ui, const std::string& folder,
                  const InstallerScenario& scenario, std::ostream& err,
                  const platform::LockWait& wait = {});

// The installer at `program_path`, started: it chooses its scenario, refuses
// a damaged payload (the box, exit status 2, nothing written) and installs
// the scenario into its own folder.
int run_program(platform::Env& env, platform::Ui& ui, const std::string& program_path,
                std::ostream& err);

}  // namespace run
