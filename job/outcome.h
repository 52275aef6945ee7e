// How a compile or a compile job ended, and the exit status each program
// gives it: the one place where results become exit statuses.
#pragma once

namespace job {

inline constexpr int kExitOk = 0;
inline constexpr int kExitStatus = 1;    // scenarioc: the compile recorded a status code
inline constexpr int kExitPlatform = 2;  // a file operation failed (scenarioc: or bad usage)
inline constexpr int kExitErrore = 3;    // the compile ended through " Errore n. "
// The installer: everything is installed, but a source or an old file could
// not be deleted, or the folder could not be synced.
inline constexpr int kExitInstalledWithProblem = 4;

enum class Outcome {
  kClean,               // status 0
  kStatusRecorded,      // a status the binary files record, as the simulator expects
  kEndedEarly,          // " Errore n. ": nothing could be written
  kFailed,              // a file operation failed; the binary files are not in place
  kWrittenWithProblem,  // the binary files are in place, then a file operation failed
};

enum class Program { kInstaller, kScenarioc };

constexpr int exit_status(Outcome outcome, Program program) {
  switch (outcome) {
    case Outcome::kClean:
      return kExitOk;
    case Outcome::kStatusRecorded:
      return program == Program::kInstaller ? kExitOk : kExitStatus;
    case Outcome::kEndedEarly:
      return kExitErrore;
    case Outcome::kFailed:
      return kExitPlatform;
    case Outcome::kWrittenWithProblem:
      return program == Program::kInstaller ? kExitInstalledWithProblem : kExitPlatform;
  }
  return kExitPlatform;
}

}  // namespace job
