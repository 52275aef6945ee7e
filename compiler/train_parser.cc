// The train pass: reads the train source as a flat sequence of keyword
// entries after "[generale]", hands each to its entry, and ends with the
// profile tails and the check of the kilometric references.
#include <string>
#include <string_view>

#include "compiler/entry_checks.h"
#include "compiler/fault.h"
#include "compiler/field_reference.h"
#include "compiler/pass_driver.h"
#include "compiler/passes.h"
#include "compiler/read_failure.h"
#include "compiler/train_pass.h"
#include "model/status_codes.h"

namespace compiler {
namespace train {
namespace {

// The fields up to the first that holds "[generale]"; at least one is read.
// Nothing in them is read as an entry, which the warnings say.
void skip_head(Pass& pass) {
  HeadScan head(model::FileKind::kTrainSource);
  bool found = false;
  do {
    pass.cursor.read_keyword();
    found = ends_head(pass.cursor.keyword());
    if (!found) head.look_at(pass.cursor.keyword(), pass.cursor.keyword_at());
  } while (!found && !pass.cursor.at_end());
  if (!found) {
    pass.state.diagnostics.push_back(head.missing_header());
    return;
  }
  for (Diagnostic& w : head.passed_over()) pass.state.diagnostics.push_back(std::move(w));
}

// The cells from a profile's cursor up to the third-last cell get the value of
// the last entry; at least the cell at the cursor is written, but never a
// cell beyond the table.
template <class Store>
void tail(const model::Scenario& model, int32_t cursor, Store store) {
  do {
    if (cursor > model.cell_last) return;
    store(cursor);
    ++cursor;
  } while (cursor < model.cell_last - 2);
}

// Status 2 at the first number of a progressive entry that is not a multiple
// of 50, with a note at each further one.
Diagnostic progressive_fault(const SourceRecord& record) {
  Diagnostic d = fault_diagnostic(model::status::kProgressiveNotMultiple, std::nullopt,
                                  Location::whole_file(model::FileKind::kLineSource));
  bool located = false;
  for (int i = 0; i < static_cast<int>(record.entries().size()); ++i) {
    const SourceEntry& e = record.entry(i);
    if (e.kind != EntryKind::kProgressive) continue;
    for (size_t n = 0; n < 2 && n < e.numbers.size(); ++n) {
      if (e.numbers[n] % 50 == 0) continue;
      if (!located)
        d.at = e.fields[n];
      else
        d.notes.push_back({e.fields[n], "also not a multiple of 50"});
      located = true;
    }
  }
  return d;
}

void end_of_pass(Pass& pass) {
  model::Scenario& model = pass.model;
  tail(model, pass.speed_cursor,
       [&](int32_t c) { model.cell(c).speed_limit = speed_limit_of(pass.previous_speed); });
  const uint8_t adhesion = static_cast<uint8_t>(pass.previous_adhesion);  // its low 8 bits
  tail(model, pass.adhesion_cursor, [&](int32_t c) { model.cell(c).adhesion = adhesion; });

  for (int r = model::kProgressiveTre; r < model::kProgressiveTre + 3; ++r) {
    const model::ServiceRecord& record = model.service_table[static_cast<size_t>(r)];
    if (record.start_m % 50 != 0 || record.end_m % 50 != 0) {
      pass.state.fail(progressive_fault(pass.state.record));
      break;
    }
  }
}

}  // namespace

}  // namespace train

void parse_train_source(model::Scenario& model, CompileState& state, std::string_view text) {
  if (!model.has_cell_track() ||
      model.cell_track.size() != static_cast<size_t>(model.cell_last) + 1)
    throw ReadFailure("the train source needs the cell track sized by the line source");
  SourceCursor cursor(text, model::FileKind::kTrainSource, state.record, state.diagnostics);
  train::Pass pass{{model, state, cursor}};
  try {
    train::skip_head(pass);
    cursor.start_warning();
    if (read_section(pass, Section::kTrain) == PassOutcome::kAbort) {
      cursor.finish_entry();
      return;
    }
    cursor.finish();
    train::end_of_pass(pass);
  } catch (ReadFailure& failure) {
    failure.locate(cursor.failure_location(failure.line(), failure.column()), state.record,
                   cursor.entry(), text);
    cursor.finish_entry(failure.tells_layout());
    throw;
  }
}

}  // namespace compiler
