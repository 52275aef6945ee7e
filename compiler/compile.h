// The scenario compiler as a library: one pure call turns the two decoded
// sources into the finished scenario model, its status and its diagnostics.
// It reads no file and writes none; output/ encodes the model into the three
// binary files, and job/ owns the folder (the lock, the reads, the deletions,
// the writes). The installer, scenarioc, its language server, the fuzz
// targets and the benchmarks all call it.
//
// The call runs the line pass and then the train pass, places the marker
// cells and finishes the model: the reserved-slot checks, the fixed values
// and the competition codes. No exception leaves it but std::bad_alloc, which
// the callers that read a folder (job/) turn into a failure.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "compiler/diagnostic.h"
#include "compiler/source_record.h"
#include "model/file_names.h"
#include "model/scenario.h"

namespace compiler {

// One source as the compile reads it: its decoded text.
struct SourceText {
  std::string text;
  // What decoding the file's bytes found: warnings about the encoding (UTF-8
  // text, a byte-order mark), and the first byte that is no Windows-1252
  // text, which stops the compile with status 25 where the source is read.
  std::vector<Diagnostic> warnings;
  std::optional<Diagnostic> undecodable;
};

// Decodes a source file's Windows-1252 bytes.
SourceText decode_source(std::string_view bytes, model::FileKind file);
// A source held as text (an editor's buffer). Its encoding warnings are
// those of the file it would be saved as, when every character has a
// Windows-1252 byte.
SourceText text_source(std::string text, model::FileKind file);

struct Sources {
  std::string scenario_name;
  std::string train_number;
  // The names the messages give the two sources.
  std::string line_source_path;
  std::string train_source_path;
  // A line source that is not there is status 101. A train source that is
  // not there stops the compile where the line pass would hand over to it
  // (see CompileResult::train_source_missing).
  std::optional<SourceText> line;
  std::optional<SourceText> train;
};

struct CompileOptions {
  // Build the track plan (curve entries are read only then) for the line
  // geometry file.
  bool build_line_file = true;
  // Diagnose every fault, not only the first: after the compile, a
  // diagnostic pass reads on past each fault (passing over its entry) and
  // adds what it finds to the diagnostics, marked past_the_stop. The
  // status, the position, the model and the compile's own diagnostics stay
  // exactly those of the compile.
  bool every_fault = false;
  // Keep the track plan in the result's model. A caller that writes no
  // line geometry file (the editor) leaves it out: the plan is still built,
  // since curves are read with it, but let go as soon as the compile ends,
  // so that the diagnostic pass never holds a second one beside it (two
  // plans of a long line are tens of MB of fresh pages).
  bool keep_track_plan = true;
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
  // The line pass handed over to the train pass, but no train source was
  // given: nothing after the line pass ran, and nothing can be written.
  bool train_source_missing = false;
  // Whether the installer's passes consumed the train source: the train
  // pass read it, or a source that could not be decoded ended the compile
  // (the fault's clean-up takes both sources). The line source is consumed
  // whenever it was there.
  bool train_source_consumed = false;

  // Every fault found, in order, each located at its entry and field, with
  // notes naming the other entries and cells involved; and the warnings.
  std::vector<Diagnostic> diagnostics;
  // Every entry read, and which entry claimed each cell and record.
  SourceRecord record;
  // The decoded text of each source (empty when it was not given).
  std::string line_source_text;
  std::string train_source_text;
  // The names of the two sources.
  std::string line_source_path;
  std::string train_source_path;

  // The finished model: what the binary files hold.
  model::Scenario model;

  // The binary files can be written: the compile reached the output step.
  bool writable() const { return !ended_early && !train_source_missing && model.has_cell_track(); }
  bool ok() const { return status == 0 && !train_source_missing; }
  const std::string& source_text(model::FileKind file) const {
    return file == model::FileKind::kTrainSource ? train_source_text : line_source_text;
  }
  const std::string& source_path(model::FileKind file) const {
    return file == model::FileKind::kTrainSource ? train_source_path : line_source_path;
  }
};

CompileResult compile_sources(Sources sources, const CompileOptions& options = {});

// The largest source read, far beyond any: the longest line's sources take
// a few hundred KB. Every caller that reads a source keeps to it.
inline constexpr size_t kLargestSource = size_t{64} << 20;

}  // namespace compiler
