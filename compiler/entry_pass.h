// What every entry of either source works with while its pass reads it: the
// model, the compile's state and the cursor standing on the entry, and the
// ways an entry reports. Each source's pass adds its own cursors
// (line_pass.h, train_pass.h).
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "compiler/compile_state.h"
#include "compiler/diagnostic.h"
#include "compiler/pass_outcome.h"
#include "compiler/range_rule.h"
#include "compiler/source_cursor.h"
#include "model/scenario.h"

namespace compiler {

// Field 0 of an entry: its keyword field.
inline constexpr int kKeywordField = 0;

struct EntryPass {
  model::Scenario& model;
  CompileState& state;
  SourceCursor& cursor;

  // Where field `n` of the entry being read stands (kKeywordField, or a
  // number from keyword_fields.h).
  Location field(int n) const { return state.record.field(cursor.entry(), n); }
  Claim claim() { return Claim{&state.record, cursor.entry()}; }
  // Records the entry's position, and warns when it lies past the line's end.
  void set_position(int32_t p, int margin = kRangeMargin);
  // Warns that field `n` of the entry is stored other than as written.
  void warn_stored(int n, const std::string& how);
};

// Records a fault located at field `field` of the entry being read, with or
// without a position; the pass ends without its closing work.
PassOutcome abort_with(EntryPass& pass, int32_t code, std::optional<int32_t> position, int field,
                       std::vector<Note> notes = {});

// Refuses the entry at metre `p` (status 15, at its first field): the pass
// ends as at the end of its file. The note says why.
PassOutcome out_of_range(EntryPass& pass, int32_t p, Note why);
// The same, for an entry that breaks the range rule with `margin`.
PassOutcome out_of_range(EntryPass& pass, int32_t p, int margin = kRangeMargin);

}  // namespace compiler
