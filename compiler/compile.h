// The scenario compiler as a library: one call compiles the two sources of a
// folder and returns one result. The installer, scenarioc (check, compile,
// plot), the fuzz targets and the benchmarks all call it.
//
// The call reads the line source and then the train source, builds the
// scenario model, places the marker cells and runs the output step: the
// reserved-slot checks, the fixed values, the competition codes and the
// three binary files. No exception leaves it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "compiler/diagnostic.h"
#include "compiler/source_record.h"
#include "model/file_names.h"
#include "model/scenario.h"
#include "platform/env.h"
#include "platform/status.h"

namespace compiler {

struct CompileRequest {
  std::string folder;
  std::string scenario_name;
  std::string train_number;
  // Build the track plan (curve entries are read only then) and write the
  // line geometry file; without it, that file is not created, replaced or
  // deleted.
  bool build_line_file = true;
  // When the sources are deleted, if ever. The installer carries its own
  // sources and deletes each once its pass has read it; an author's sources
  // go only once the binary files are durably in place.
  enum class SourceDeletion { kKeep, kOnceRead, kOnceWritten };
  SourceDeletion delete_sources = SourceDeletion::kOnceRead;
  // Write the binary files. Without it the output step still runs, to the
  // last check, but the folder is left as it is.
  bool write_files = true;
  // Where the binary files go; `folder` when empty.
  std::string output_folder;
};

struct CompileResult {
  // The status code: 0, the code of the last fault the compile recorded, or
  // 1250/1251 from the reserved-slot checks.
  int32_t status = 0;
  // Metres, for the codes that have a position.
  int32_t error_position = 0;
  bool has_position = false;
  // The compile stopped before any binary file could be written: a fault
  // before the line length sized the cell track (101, 102, 1, or 25 that
  // early), or a reserved slot already taken (1250, 1251). The installer
  // shows " Errore n. " with the status.
  bool ended_early = false;
  // A file operation the system refused: a name too long for the temporary
  // files of the binary files (nothing was read), a source that could not be
  // opened or read (nothing was then deleted or written), a source that could
  // not be deleted (the binary files are written all the same), or a binary
  // file that could not be written.
  platform::Status failure;
  // Whether the binary files were written (all that the compile writes) and
  // put in place; with a failure, the folder's sync or a source's deletion
  // failed after that.
  bool files_written = false;

  // Every fault found, in order, each located at its entry and field, with
  // notes naming the other entries and cells involved.
  std::vector<Diagnostic> diagnostics;
  // Every entry read, and which entry claimed each cell and record.
  SourceRecord record;
  // The decoded text of each source as read (empty when it was not read).
  std::string line_source_text;
  std::string train_source_text;
  // The paths of the two sources.
  std::string line_source_path;
  std::string train_source_path;

  // The model as the output step left it: what the binary files hold.
  model::Scenario model;

  bool ok() const { return status == 0 && !failure; }
  const std::string& source_text(model::FileKind file) const {
    return file == model::FileKind::kTrainSource ? train_source_text : line_source_text;
  }
  const std::string& source_path(model::FileKind file) const {
    return file == model::FileKind::kTrainSource ? train_source_path : line_source_path;
  }
};

CompileResult compile(platform::Env& env, const CompileRequest& request);

// The folders the compile reads from or writes into: those a run locks.
std::vector<std::string> folders_written(const CompileRequest& request);

// The largest source read, far beyond any: the longest line's sources take
// a few hundred KB. Its callers that read sources themselves keep to it.
inline constexpr size_t kLargestSource = size_t{64} << 20;

// The longest name a file may have on the systems the program runs on, in
// bytes of UTF-8 (Windows counts UTF-16 units, never more than these).
inline constexpr size_t kLongestFileName = 255;

// Refuses names whose binary files, or the temporary files written beside
// them, would pass kLongestFileName: the failure names the longest file.
platform::Status check_output_names(const CompileRequest& request);

}  // namespace compiler
