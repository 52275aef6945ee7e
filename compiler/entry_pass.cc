#include "compiler/entry_pass.h"

#include "compiler/fault.h"
#include "compiler/fault_notes.h"
#include "compiler/warnings.h"
#include "model/status_codes.h"

namespace compiler {
namespace {

// A refusal points at the entry's first field, which holds its position.
constexpr int kPositionField = 1;

}  // namespace

void EntryPass::set_position(int32_t p, int margin) {
  SourceEntry& entry = state.record.entry(cursor.entry());
  entry.position = p;
  if (std::optional<Diagnostic> w = past_line_end(model, entry, margin))
    state.diagnostics.push_back(std::move(*w));
}

void EntryPass::warn_stored(int n, const std::string& how) {
  state.diagnostics.push_back(stored_otherwise(state.record.entry(cursor.entry()), n, how));
}

PassOutcome abort_with(EntryPass& pass, int32_t code, std::optional<int32_t> position, int field,
                       std::vector<Note> notes) {
  Diagnostic d = fault_diagnostic(code, position, pass.field(field));
  d.notes = std::move(notes);
  if (position) pass.state.error_position = *position;
  pass.state.fail(std::move(d));
  return PassOutcome::kAbort;
}

PassOutcome out_of_range(EntryPass& pass, int32_t p, Note why) {
  abort_with(pass, model::status::kOutOfRange, p, kPositionField, {std::move(why)});
  return PassOutcome::kEndOfPass;
}

PassOutcome out_of_range(EntryPass& pass, int32_t p, int margin) {
  return out_of_range(pass, p, range_note(pass.model, margin));
}

}  // namespace compiler
