// The entries of the train source but the station: general train data, the
// speed and adhesion profiles, signals, slowdowns and abbattimento cells.
#include <cmath>

#include "compiler/read_failure.h"
#include "compiler/train_builders.h"
#include "compiler/train_pass.h"
#include "model/rounding.h"
#include "model/status_codes.h"

namespace compiler::train {

uint8_t speed_limit_of(int32_t previous_speed) {
  const auto fifth = static_cast<int64_t>(model::round_half_even(previous_speed / 5.0));
  return checked<uint8_t>(fifth, "a cell's speed limit (speed / 5)");
}

Outcome braked_mass_entry(Pass& pass) {
  pass.model.service_table[model::kTrainSettingsRecord].start_m = pass.reader.read_long();
  return Outcome::kGoOn;
}

Outcome coaches_entry(Pass& pass) {
  pass.model.service_table[model::kTrainSettingsRecord].position_m = pass.reader.read_long();
  return Outcome::kGoOn;
}

Outcome clock_entry(Pass& pass) {
  model::ServiceRecord& record = pass.model.service_table[model::kTrainRecord];
  record.word_c = pass.reader.read_integer();
  record.word_d = pass.reader.read_integer();
  record.word_e = pass.reader.read_integer();
  return Outcome::kGoOn;
}

Outcome sand_entry(Pass& pass) {
  pass.model.service_table[model::kTrainRecord].word_a = pass.reader.read_integer();
  return Outcome::kGoOn;
}

// Each speed entry gives the speed from its own position on: the cells from
// the cursor up to its position get the speed of the entry before.
Outcome speed_entry(Pass& pass) {
  model::Scenario& model = pass.model;
  const int32_t p = pass.reader.read_long();
  const int32_t v = pass.reader.read_long();
  if (!within_range(model, p, 100)) return out_of_range(model, p);
  const int64_t q = model::stretch_cell(p);
  if (q > 0) {
    // At least one cell, also when the cursor already stands at or beyond q.
    do {
      if (pass.speed_cursor >= model.cell_last) break;
      model.cell(pass.speed_cursor).speed_limit = speed_limit_of(pass.previous_speed);
      ++pass.speed_cursor;
    } while (pass.speed_cursor < q);
  }
  pass.previous_speed = v;
  return Outcome::kGoOn;
}

// As the speed entry, but the value is stored as its low 8 bits, and the
// repeat has no stop of its own: entries at one position push the cursor on
// by one each, and one that would write beyond the table is refused.
Outcome adhesion_entry(Pass& pass) {
  model::Scenario& model = pass.model;
  const int32_t p = pass.reader.read_long();
  const int32_t a = pass.reader.read_long();
  if (!within_range(model, p, 100)) return out_of_range(model, p);
  const int64_t q = model::stretch_cell(p);
  if (q > 0) {
    if (pass.adhesion_cursor > model.cell_last) return out_of_range(model, p);
    do {
      model.cell(pass.adhesion_cursor).adhesion = static_cast<uint8_t>(pass.previous_adhesion);
      ++pass.adhesion_cursor;
    } while (pass.adhesion_cursor < q);
  }
  pass.previous_adhesion = a;
  return Outcome::kGoOn;
}

Outcome signal_entry(Pass& pass) {
  model::Scenario& model = pass.model;
  FieldReader& reader = pass.reader;
  const int32_t posizione = reader.read_long();
  const int32_t sx = reader.read_long();
  const int32_t s1 = reader.read_long();
  const int32_t s2 = reader.read_long();
  const int32_t s3 = reader.read_long();
  const int32_t rapp = reader.read_long();
  const int32_t dx = reader.read_long();
  const int32_t d1 = reader.read_long();
  const int32_t d2 = reader.read_long();
  const int32_t d3 = reader.read_long();
  int32_t tempo = reader.read_long();
  // A signal too near the start would put its repeat codes before cell 0.
  if (!within_range(model, posizione, 100) || !segnale_fits(model, posizione))
    return out_of_range(model, posizione);
  memo_segnale(model, posizione, sx, s1, s2, s3, rapp, dx, d1, d2, d3, tempo);
  // Also a status left by the line pass (15) stops the pass here, after the
  // signal has been written.
  if (model.status_code > 0) return abort_with(model, model.status_code, posizione);
  return Outcome::kGoOn;
}

Outcome slowdown_entry(Pass& pass) {
  model::Scenario& model = pass.model;
  FieldReader& reader = pass.reader;
  const int32_t inizio = reader.read_long();
  const int32_t v = reader.read_long();
  const int32_t l = reader.read_long();
  const int32_t f_tt = reader.read_long();
  const int32_t f_ta = reader.read_long();
  const int32_t d_v = reader.read_long();
  // The range rule checks the start only; the end and the boards before the
  // start must lie in the table as well.
  if (!within_range(model, inizio, 100) || !rallentamento_fits(model, inizio, l, f_ta))
    return out_of_range(model, inizio);
  memo_rallentamento(model, inizio, v, l, f_tt, f_ta, d_v);
  if (model.status_code > 0) return abort_with(model, model.status_code, inizio);
  return Outcome::kGoOn;
}

Outcome abbattimento_entry(Pass& pass) {
  model::Scenario& model = pass.model;
  const int32_t p = pass.reader.read_long();
  const int32_t w = pass.reader.read_long();
  if (!within_range(model, p, 100)) return out_of_range(model, p);
  const int64_t c = model::stretch_cell(p);
  if (!model.valid_cell(c)) return out_of_range(model, p);
  model::Cell& cell = model.cell(static_cast<int32_t>(c));
  if (!model::is_free(cell)) return abort_with(model, model::status::kAbbattimentoCellTaken, p);
  if (w > 0) {
    cell.kind = model::kind::kMarker;
    cell.value_a = static_cast<int16_t>(static_cast<uint16_t>(w));  // its low 16 bits
  } else {
    cell.kind = model::kind::kAbbattimento;
  }
  return Outcome::kGoOn;
}

}  // namespace compiler::train
