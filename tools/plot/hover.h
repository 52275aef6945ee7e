// What hovering an object of the plot shows. Drawn from the sources, it is
// the entry that put the object there: its keyword, its values by field name
// and its file:line, all from the compiler's record. Drawn from the binary
// files, it is what the cell or service record holds.
#pragma once

#include <cstddef>
#include <string>

#include "compiler/compile.h"
#include "model/scenario.h"

namespace tools {

// Where station record `record` stands: "35000 m (cell 702)", its metres as
// written (the record keeps them) with its marker cell; the metres alone
// for a station without a marker.
std::string station_place(const model::Scenario& m, int record);

class Hover {
 public:
  // `compiled` is null when the scenario was read from the binary files.
  Hover(const model::Scenario& m, const compiler::CompileResult* compiled)
      : model_(m), compiled_(compiled) {}

  bool from_sources() const { return compiled_ != nullptr; }

  // `what`, then the entry that claimed the cell, or else the cell's values.
  std::string cell(size_t index, const std::string& what) const;
  // Where the object in a cell stands: "1500 m (cell 31)", the metres its
  // entry wrote, when the entry put it in this very cell; else the cell's
  // span, "cell 31 (1550 to 1600 m)".
  std::string place(size_t index) const;
  // Whether an entry of `kind` claimed the cell.
  bool cell_is(size_t index, compiler::EntryKind kind) const;
  // `what`, then the entry that wrote the service record, or else its values.
  std::string record(int index, const std::string& what) const;
  // `what`, then the entry of `kind` that starts nearest `metre`, no farther
  // than `within` metres, when there is one. For stretches (gradients,
  // speeds, curves, tunnels), whose cells the record does not tie to one
  // entry.
  std::string stretch(compiler::EntryKind kind, double metre, double within,
                      const std::string& what) const;

 private:
  int nearest_entry(compiler::EntryKind kind, double metre, double within) const;
  std::string entry_text(int index) const;

  const model::Scenario& model_;
  const compiler::CompileResult* compiled_;
};

}  // namespace tools
