// The train pass: reads the train source as a flat sequence of keyword
// entries after "[generale]", hands each to its entry, and ends with the
// profile tails and the check of the kilometric references.
#include <string>
#include <string_view>

#include "compiler/compile.h"
#include "compiler/field_reader.h"
#include "compiler/keyword.h"
#include "compiler/read_failure.h"
#include "compiler/train_pass.h"
#include "model/file_names.h"
#include "model/status_codes.h"

namespace compiler {
namespace train {
namespace {

// A keyword test and its entry. Every test is applied to the same field, in
// this order; a field that passes two tests reads both entries.
struct Keyword {
  std::string_view word;
  std::string_view also;  // a second word the field must hold, or empty
  Outcome (*entry)(Pass&);
};

constexpr Keyword kKeywords[] = {
    {"frenata", "massa", braked_mass_entry},
    {"vetture", "", coaches_entry},
    {"velocit", "", speed_entry},
    {"aderenza", "", adhesion_entry},
    {"orologio", "", clock_entry},
    {"sabbia", "", sand_entry},
    {"segnale", "", signal_entry},
    {"rallentamento", "", slowdown_entry},
    {"abbattimento", "", abbattimento_entry},
    {"stazione", "", station_entry},
};

// At most this many fields holding a dash are passed over in a row.
constexpr int kDashedFieldsDropped = 2;

void read_keyword(Pass& pass) {
  pass.model.source_line = pass.reader.read_text();
  pass.state.entry = {model::FileKind::kTrainSource, pass.reader.field_line(),
                      pass.reader.field_column()};
}

// The fields up to the first that holds "[generale]"; at least one is read.
void skip_head(Pass& pass) {
  do {
    read_keyword(pass);
  } while (!contains_ignoring_case(pass.model.source_line, "[generale]") && !pass.reader.at_end());
}

Outcome main_loop(Pass& pass) {
  // The last field of the file is never examined: the loop ends as soon as
  // the end follows a field just read.
  while (!pass.reader.at_end()) {
    read_keyword(pass);
    if (pass.reader.at_end()) return Outcome::kEndOfPass;
    for (int dropped = 0;
         dropped < kDashedFieldsDropped && pass.model.source_line.find('-') != std::string::npos;
         ++dropped) {
      read_keyword(pass);
      if (pass.reader.at_end()) return Outcome::kEndOfPass;
    }
    for (const Keyword& keyword : kKeywords) {
      const std::string& field = pass.model.source_line;
      if (!contains_ignoring_case(field, keyword.word) ||
          !contains_ignoring_case(field, keyword.also))
        continue;
      if (Outcome outcome = keyword.entry(pass); outcome != Outcome::kGoOn) return outcome;
    }
  }
  return Outcome::kEndOfPass;
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

void end_of_pass(Pass& pass) {
  model::Scenario& model = pass.model;
  tail(model, pass.speed_cursor,
       [&](int32_t c) { model.cell(c).speed_limit = speed_limit_of(pass.previous_speed); });
  const uint8_t adhesion = static_cast<uint8_t>(pass.previous_adhesion);  // its low 8 bits
  tail(model, pass.adhesion_cursor, [&](int32_t c) { model.cell(c).adhesion = adhesion; });

  for (int r = model::kProgressiveTre; r < model::kProgressiveTre + 3; ++r) {
    const model::ServiceRecord& record = model.service_table[r];
    if (record.start_m % 50 != 0 || record.end_m % 50 != 0) {
      model.fail(model::status::kProgressiveNotMultiple);
      break;
    }
  }
}

}  // namespace

bool within_range(const model::Scenario& model, int64_t p, int margin) {
  return (static_cast<double>(p) + margin) / 50.0 <= model.cell_last;
}

Outcome out_of_range(model::Scenario& model, int32_t p) {
  model.fail(model::status::kOutOfRange, p);
  return Outcome::kEndOfPass;
}

Outcome abort_with(model::Scenario& model, int32_t code) {
  model.fail(code);
  return Outcome::kAbort;
}

Outcome abort_with(model::Scenario& model, int32_t code, int32_t position) {
  model.fail(code, position);
  return Outcome::kAbort;
}

}  // namespace train

void parse_train_source(model::Scenario& model, platform::Env& env, const std::string& folder,
                        ParseState& state) {
  // Until the first field is read, a failure belongs to the train source as a
  // whole (a missing or undecodable file).
  state.entry = {model::FileKind::kTrainSource, 0, 0};
  if (!model.has_cell_track() ||
      model.cell_track.size() != static_cast<size_t>(model.cell_last) + 1)
    throw ReadFailure("the train source needs the cell track sized by the line source");

  const std::string path = model::file_path(folder, model::FileKind::kTrainSource, model);
  const std::string text = load_source(env, path);
  FieldReader reader(text);
  train::Pass pass{model, reader, state};
  train::skip_head(pass);
  const train::Outcome outcome = train::main_loop(pass);
  // The source was read whole when opened: closing it is nothing more.
  delete_source(env, path);
  if (outcome == train::Outcome::kAbort) return;
  train::end_of_pass(pass);
}

}  // namespace compiler
