// The run: the waiting window, the five writers, the compile step, the end.
#pragma once

#include <cstdint>
#include <iosfwd>
#include <string>

#include "compiler/compile.h"
#include "model/scenario.h"
#include "platform/env.h"
#include "platform/ui.h"

namespace run {

inline constexpr char kScenarioName[] = "Fiumicino Aeroporto_Roma";
inline constexpr char kTrainNumber[] = "3291";
inline constexpr char kWaitingLabel[] = "Attendere";

// Process exit statuses of the installer and of scenarioc.
inline constexpr int kExitOk = 0;
inline constexpr int kExitStatus = 1;    // the compile recorded a status code
inline constexpr int kExitPlatform = 2;  // a file operation failed, or bad usage
inline constexpr int kExitErrore = 3;    // the run ended through `errore`

// Thrown by `errore` once its message box is closed: the run ends at once.
struct RunEnded {
  int32_t code;
};

// Shows " Errore n. " followed by `a`, then ends the run.
[[noreturn]] void errore(platform::Ui& ui, const std::string& a);

// The compile step: resets the model's status and service table, parses both
// sources, post-processes the cells and writes the binary files. Throws
// RunEnded through `errore` for codes 1250 and 1251, and for a fault found
// before the cell track exists. Returns a failing file operation of the
// output step.
platform::Status memorizza_percorso(model::Scenario& model, platform::Env& env,
                                    platform::Ui& ui, const std::string& folder, int32_t j,
                                    compiler::ParseState* state = nullptr);

// The whole installer run in `folder`. Returns the process exit status; a
// platform failure is described on `err`.
int Form_Load(platform::Env& env, platform::Ui& ui, const std::string& folder,
              std::ostream& err);

}  // namespace run
