// The line pass: reads the line source into the settings records, the cell
// track and the track plan.
//
// The source has three parts: a head up to the field holding "[generale]",
// the general part up to the next section header, and the feature part to the
// end of the file. Which keywords each part knows, and how they are tested,
// is the grammar's (field_reference.h); the entries are in line_entries.cc.
#include <string_view>

#include "compiler/entry_checks.h"
#include "compiler/fault.h"
#include "compiler/field_reference.h"
#include "compiler/line_builders.h"
#include "compiler/line_geometry.h"
#include "compiler/line_pass.h"
#include "compiler/pass_driver.h"
#include "compiler/passes.h"
#include "compiler/read_failure.h"
#include "model/status_codes.h"

namespace compiler {
namespace {

// The fields up to the first that holds "[generale]"; false, with status 102,
// when the end of the file comes first.
// Entries before it are passed over, which the warnings say.
bool read_head(line::Pass& pass) {
  HeadScan head(model::FileKind::kLineSource);
  for (;;) {
    pass.cursor.read_keyword();
    if (pass.cursor.at_end()) {
      Diagnostic fault = fault_diagnostic(model::status::kNoGeneralSection, std::nullopt,
                                          Location::whole_file(model::FileKind::kLineSource));
      if (!ends_head(pass.cursor.keyword()))
        head.look_at(pass.cursor.keyword(), pass.cursor.keyword_at());
      if (std::optional<Note> like = head.likest_header()) fault.notes.push_back(std::move(*like));
      pass.state.fail(std::move(fault));
      return false;
    }
    if (ends_head(pass.cursor.keyword())) {
      for (Diagnostic& w : head.passed_over()) pass.state.diagnostics.push_back(std::move(w));
      return true;
    }
    head.look_at(pass.cursor.keyword(), pass.cursor.keyword_at());
  }
}

void start_features(line::Pass& pass) {
  pass.state.tunnel_count = 0;
  pass.state.sign_text_cursor = model::kFirstSignTextRecord;
  pass.gradient_cursor = 0;
  if (pass.state.build_line_file) start_plan(pass.model.line_table);
  pass.plan_cursor = kFirstComputedMetre;
}

// Reached at the end of the file or after a refused entry.
void wrap_up(line::Pass& pass) {
  model::Scenario& model = pass.model;
  // The last three cells keep gradient 0 unless the cursor already reached
  // them; the cursor never writes past the track.
  if (pass.gradient_cursor <= model.cell_last)
    line::fill_gradient(pass, int64_t{model.cell_last} - 2);
  if (pass.state.build_line_file)
    extend_straight(model.line_table, pass.plan_cursor, int64_t{model.line_span} - 2,
                    kNoCursorLimit);
}

// Whether the train pass follows.
bool read_all(line::Pass& pass) {
  if (!read_head(pass)) return false;
  pass.cursor.start_warning();
  if (read_section(pass, Section::kGeneral) == PassOutcome::kAbort) return false;
  if (!pass.model.has_cell_track()) throw ReadFailure("the line source gives no line length");
  order_progressives(pass.model);
  start_features(pass);
  if (read_section(pass, Section::kFeatures) == PassOutcome::kAbort) return false;
  pass.cursor.finish();
  wrap_up(pass);
  return true;
}

}  // namespace

bool parse_line_source(model::Scenario& model, CompileState& state, std::string_view text) {
  model.service_table[model::kScenarioRecord].text = model.scenario_name;
  model.service_table[model::kTrainRecord].text = model.train_number;
  // The tables exist only once this source has sized them.
  model.line_span = 0;
  model.cell_last = -1;
  model.cell_track.clear();
  model.line_table = model::LineTable{};
  state.record.reset_cells(0);

  SourceCursor cursor(text, model::FileKind::kLineSource, state.record, state.diagnostics);
  line::Pass pass{{model, state, cursor}};
  try {
    const bool train_pass_follows = read_all(pass);
    if (!train_pass_follows) cursor.finish_entry();
    return train_pass_follows;
  } catch (ReadFailure& failure) {
    failure.locate(cursor.failure_location(failure.line(), failure.column()), state.record,
                   cursor.entry(), text);
    cursor.finish_entry(failure.tells_layout());
    throw;
  }
}

}  // namespace compiler
