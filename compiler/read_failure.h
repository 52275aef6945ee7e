// The one failure that ends the source passes through their fault handler
// (status 25): a read past the end of a source, a number that does not fit its
// target, or a value that does not convert. Internal to the compiler: the
// compile turns it into a status and a diagnostic, and never lets it out.
#pragma once

#include <limits>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "compiler/diagnostic.h"
#include "compiler/source_record.h"

namespace compiler {

class ReadFailure : public std::runtime_error {
 public:
  explicit ReadFailure(const std::string& what, int line = 0, int column = 0)
      : std::runtime_error(what), line_(line), column_(column) {}
  // Where in the source the failing field starts (1-based); 0 when unknown.
  int line() const { return line_; }
  int column() const { return column_; }

  // Where the pass that caught it placed it in its source.
  const std::optional<Location>& location() const { return location_; }
  void locate(const Location& at) { location_ = at; }
  // The same, with the entry and field it failed in: "'stazione' field
  // kind: ...".
  void locate(const Location& at, const SourceRecord& record, int entry, std::string_view text);
  // What to tell the author: the entry's keyword and field when known, and
  // what was found there.
  const std::string& detail() const { return detail_; }
  // The other places involved: where a field sought past its entry's line
  // was read.
  const std::vector<Note>& notes() const { return notes_; }
  // The detail tells how the entry's fields were laid out over its lines.
  bool tells_layout() const { return !notes_.empty(); }

 private:
  int line_;
  int column_;
  std::optional<Location> location_;
  std::string detail_ = what();
  std::vector<Note> notes_;
};

// The fault a read failure records (status 25), at its place with its notes.
Diagnostic read_failure_diagnostic(const ReadFailure& failure);

// A computed value stored into a narrower field: it must fit, or the parse
// fails as a conversion failure.
template <class Target, class Source>
Target checked(Source value, const char* what) {
  if (value < static_cast<Source>(std::numeric_limits<Target>::min()) ||
      value > static_cast<Source>(std::numeric_limits<Target>::max()))
    throw ReadFailure(std::string("value out of range for ") + what);
  return static_cast<Target>(value);
}

}  // namespace compiler
