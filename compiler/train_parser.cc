// The train pass: reads the train source as a flat sequence of keyword
// entries after "[generale]", hands each to its entry, and ends with the
// profile tails and the check of the kilometric references.
#include <string>
#include <string_view>

#include "compiler/fault.h"
#include "compiler/keyword.h"
#include "compiler/passes.h"
#include "compiler/read_failure.h"
#include "compiler/train_pass.h"
#include "model/status_codes.h"

namespace compiler {
namespace train {
namespace {

// A keyword test and its entry. Every test is applied to the same field, in
// this order; a field that passes two tests reads both entries.
struct Keyword {
  std::string_view word;
  std::string_view also;  // a second word the field must hold, or empty
  EntryKind kind;
  PassOutcome (*entry)(Pass&);
};

constexpr Keyword kKeywords[] = {
    {"frenata", "massa", EntryKind::kBrakedMass, braked_mass_entry},
    {"vetture", "", EntryKind::kCoaches, coaches_entry},
    {"velocit", "", EntryKind::kSpeed, speed_entry},
    {"aderenza", "", EntryKind::kAdhesion, adhesion_entry},
    {"orologio", "", EntryKind::kClock, clock_entry},
    {"sabbia", "", EntryKind::kSand, sand_entry},
    {"segnale", "", EntryKind::kSignal, signal_entry},
    {"rallentamento", "", EntryKind::kSlowdown, slowdown_entry},
    {"abbattimento", "", EntryKind::kAbbattimento, abbattimento_entry},
    {"stazione", "", EntryKind::kStation, station_entry},
};

// At most this many comment fields are passed over in a row.
constexpr int kComments = 2;

// The fields up to the first that holds "[generale]"; at least one is read.
void skip_head(Pass& pass) {
  do {
    pass.cursor.read_keyword();
  } while (!contains_ignoring_case(pass.cursor.keyword(), "[generale]") && !pass.cursor.at_end());
}

PassOutcome main_loop(Pass& pass) {
  // The last field of the file is never examined: the loop ends as soon as
  // the end follows a field just read.
  while (!pass.cursor.at_end()) {
    pass.cursor.read_keyword();
    if (pass.cursor.at_end()) return PassOutcome::kEndOfPass;
    if (!pass.cursor.skip_comments(kComments, /*stop_at_end=*/true)) return PassOutcome::kEndOfPass;
    const std::string field = pass.cursor.keyword();
    for (const Keyword& keyword : kKeywords) {
      if (!contains_ignoring_case(field, keyword.word) ||
          !contains_ignoring_case(field, keyword.also))
        continue;
      pass.cursor.begin_entry(keyword.kind);
      if (PassOutcome outcome = keyword.entry(pass); outcome != PassOutcome::kGoOn) return outcome;
    }
  }
  return PassOutcome::kEndOfPass;
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

PassOutcome out_of_range(Pass& pass, int32_t p, Note why) {
  abort_with(pass, model::status::kOutOfRange, p, 1, {std::move(why)});
  return PassOutcome::kEndOfPass;
}

PassOutcome abort_with(Pass& pass, int32_t code, std::optional<int32_t> position, int field,
                       std::vector<Note> notes) {
  Diagnostic d = fault_diagnostic(code, position, pass.field(field));
  d.notes = std::move(notes);
  if (position) pass.state.error_position = *position;
  pass.state.fail(std::move(d));
  return PassOutcome::kAbort;
}

}  // namespace train

void parse_train_source(model::Scenario& model, CompileState& state, std::string_view text) {
  if (!model.has_cell_track() ||
      model.cell_track.size() != static_cast<size_t>(model.cell_last) + 1)
    throw ReadFailure("the train source needs the cell track sized by the line source");
  SourceCursor cursor(text, model::FileKind::kTrainSource, state.record, state.diagnostics);
  train::Pass pass{model, state, cursor};
  try {
    train::skip_head(pass);
    cursor.start_warning();
    if (train::main_loop(pass) == PassOutcome::kAbort) {
      cursor.finish_entry();
      return;
    }
    cursor.finish();
    train::end_of_pass(pass);
  } catch (ReadFailure& failure) {
    failure.locate(cursor.failure_location(failure.line(), failure.column()), state.record,
                   cursor.entry(), text);
    cursor.finish_entry();
    throw;
  }
}

}  // namespace compiler
