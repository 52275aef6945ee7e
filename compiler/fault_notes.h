// The notes that explain a fault: what takes a cell, and how far the range
// rule reaches on this line.
#pragma once

#include <cstdint>
#include <string>

#include "compiler/diagnostic.h"
#include "compiler/source_record.h"
#include "model/scenario.h"

namespace compiler {

// "cell 31<detail> is taken by the signal at 1500 m", at the entry that took
// it; or what the cell holds when no entry of the sources put it there.
Note cell_note(const model::Scenario& model, const SourceRecord& record, int64_t cell,
               const std::string& detail = "");

// "the range rule accepts positions up to 41800 m on this line (last cell 840)".
Note range_note(const model::Scenario& model, int margin);

}  // namespace compiler
