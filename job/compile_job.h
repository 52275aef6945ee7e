// The compile job: the one layer that owns the folder around the pure
// compile. It checks the names and the sources, takes the folders' locks,
// reads and decodes the sources, compiles them, deletes the sources when the
// job says so, and replaces the three binary files as one set. The
// installer and `scenarioc compile` run it; everything that only looks at a
// scenario compiles it without a job (job/sources.h).
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "compiler/compile.h"
#include "job/outcome.h"
#include "platform/env.h"
#include "platform/status.h"

namespace job {

struct JobRequest {
  std::string folder;
  std::string scenario_name;
  std::string train_number;
  // Build the track plan and write the line geometry file; without it, that
  // file is not created, replaced or deleted.
  bool build_line_file = true;
  // When the sources are deleted, if ever. The installer carries its own
  // sources and deletes each once its pass has read it; an author's sources
  // go only once the binary files are durably in place.
  enum class SourceDeletion { kKeep, kOnceRead, kOnceWritten };
  SourceDeletion delete_sources = SourceDeletion::kOnceRead;
  // Where the binary files go; `folder` when empty.
  std::string output_folder;
  // Stop, having read and deleted nothing, when either source is missing: a
  // typo in a name must not cost the author the other source. The
  // installer wrote both a moment ago and lets the compile say 101.
  bool require_both_sources = false;
};

struct JobResult {
  compiler::CompileResult compile;
  // A file operation the system refused: a name too long for the temporary
  // files of the binary files (nothing was read), the lock's wait given up,
  // a source that could not be opened or read (nothing was then deleted or
  // written), a source that could not be deleted (the binary files are
  // written all the same), or a binary file that could not be written.
  platform::Status failure;
  // A source that `require_both_sources` found missing; nothing was read.
  std::string missing_source;
  // The binary files are in place; with a failure, the folder's sync or a
  // source's deletion failed after that.
  bool files_written = false;
  // The folders' locks run_locked_job took: held until the result is
  // dropped, so that the caller's clean-up after a failure is still this
  // run's alone.
  std::vector<std::unique_ptr<platform::FolderLock>> locks;

  Outcome outcome() const;
};

// The folders the job reads from or writes into: those it locks.
std::vector<std::string> folders_written(const JobRequest& request);

// The longest name a file may have on the systems the program runs on, in
// bytes of UTF-8 (Windows counts UTF-16 units, never more than these).
inline constexpr size_t kLongestFileName = 255;

// Refuses names whose binary files, or the temporary files written beside
// them, would pass kLongestFileName: the failure names the longest file.
platform::Status check_output_names(const std::string& output_folder,
                                    const std::string& scenario_name,
                                    const std::string& train_number);
platform::Status check_output_names(const JobRequest& request);

// Runs the job; the caller holds the folders' locks.
JobResult run_job(platform::Env& env, const JobRequest& request);

// How the job takes its locks: another run holding one is waited for as
// `wait` says and said to `observer`.
struct Locking {
  platform::LockWait wait;
  platform::LockObserver* observer = nullptr;
};

// Takes the lock of every folder the job writes, runs `prepare` under it
// (the installer writes its files there; a failure it returns ends the job
// before the compile), then the job. A lock not taken in time is the
// failure, with nothing written. The result holds the locks.
JobResult run_locked_job(platform::Env& env, const JobRequest& request, const Locking& locking,
                         const std::function<platform::Status()>& prepare = {});

}  // namespace job
