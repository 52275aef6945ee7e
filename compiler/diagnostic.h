// What the compiler says about a source: located errors and the notes that
// name the other entries and cells involved. Positions are those of the
// decoded source text (UTF-8), so a renderer can show the line and count
// characters or UTF-16 units as its reader needs.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "model/file_names.h"

namespace compiler {

// Where in which source a field stands. `line` 0 means the diagnostic
// belongs to the file as a whole; `in_source` false, to no file at all.
struct Location {
  bool in_source = false;
  model::FileKind file = model::FileKind::kLineSource;
  int line = 0;       // 1-based
  int column = 0;     // 1-based, in bytes of the line's decoded text
  size_t offset = 0;  // in bytes of the decoded text
  size_t length = 0;  // of the field, in bytes

  static Location whole_file(model::FileKind file) { return Location{true, file}; }
};

struct Note {
  Location at;
  std::string message;
};

struct Diagnostic {
  enum class Severity { kError, kWarning };
  Severity severity = Severity::kError;
  int32_t code = 0;  // the status code the fault records
  Location at;
  std::string message;
  std::vector<Note> notes;
  // Found by reading on past the fault that stopped the compile: the
  // compile itself never reached it, and it changes no status.
  bool past_the_stop = false;
};

}  // namespace compiler
