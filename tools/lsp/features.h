// What the server answers about a compiled scenario, as protocol JSON:
// diagnostics, the outline, where a conflict's other entry stands, and which
// field the cursor is on (hover and completion are in tools/lsp/hover.h).
#pragma once

#include <functional>
#include <nlohmann/json.hpp>
#include <string>

#include "model/file_names.h"
#include "tools/lsp/positions.h"
#include "tools/lsp/scenario.h"

namespace tools::lsp {

// Turns the compiler's locations into protocol ranges and locations.
class Locator {
 public:
  // `uri_of` gives the URI of a source of the pair (the client's own for an
  // open document).
  Locator(const ScenarioCompile& compile, PositionEncoding encoding,
          std::function<std::string(model::FileKind)> uri_of);

  // The range of a located field; the start of the file for a location with
  // no line.
  nlohmann::json range(const compiler::Location& at) const;
  nlohmann::json location(const compiler::Location& at) const;
  // The range of bytes [start, end) of the editor's own text of a source.
  nlohmann::json buffer_range(model::FileKind file, size_t start, size_t end) const;
  // The compiled offset of a client position in one source.
  size_t offset(model::FileKind file, Position position) const;
  std::string uri(model::FileKind file) const { return uri_of_(file); }
  const ScenarioCompile& compile() const { return compile_; }

 private:
  const LineIndex& index(model::FileKind file) const;

  const ScenarioCompile& compile_;
  std::function<std::string(model::FileKind)> uri_of_;
  LineIndex line_index_;
  LineIndex train_index_;
};

// The diagnostics to publish for one source of the pair. Faults that lie in
// the other source when that one is not open (or exists in no file), and
// faults of no file, are shown at the start of this one, naming where they
// are.
nlohmann::json diagnostics(const Locator& locator, model::FileKind file);

// The sections and entries of one source, nested (DocumentSymbol[]).
nlohmann::json document_symbols(const Locator& locator, model::FileKind file);

// The other entries of the conflicts whose field holds `position`
// (Location[]; empty when there is none).
nlohmann::json definition(const Locator& locator, model::FileKind file, Position position);

// The entry of the source record whose keyword or field holds the offset,
// and which of them (0: the keyword); nothing when none does.
struct FieldAt {
  int entry = compiler::SourceRecord::kNone;
  int field = 0;
};
std::optional<FieldAt> field_at(const compiler::SourceRecord& record, model::FileKind file,
                                size_t offset);

}  // namespace tools::lsp
