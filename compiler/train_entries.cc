// The entries of the train source but the station: general train data, the
// speed and adhesion profiles, signals, slowdowns and abbattimento cells.
#include <cmath>

#include "compiler/fault.h"
#include "compiler/fault_notes.h"
#include "compiler/keyword_fields.h"
#include "compiler/range_rule.h"
#include "compiler/read_failure.h"
#include "compiler/train_builders.h"
#include "compiler/train_pass.h"
#include "compiler/warnings.h"
#include "model/rounding.h"
#include "model/status_codes.h"

namespace compiler::train {

uint8_t speed_limit_of(int32_t previous_speed) {
  const auto fifth = static_cast<int64_t>(model::round_half_even(previous_speed / 5.0));
  return checked<uint8_t>(fifth, "a cell's speed limit (speed / 5)");
}

PassOutcome braked_mass_entry(Pass& pass) {
  pass.model.service_table[model::kTrainSettingsRecord].start_m = pass.cursor.read_long();
  return PassOutcome::kGoOn;
}

PassOutcome coaches_entry(Pass& pass) {
  pass.model.service_table[model::kTrainSettingsRecord].position_m = pass.cursor.read_long();
  return PassOutcome::kGoOn;
}

PassOutcome clock_entry(Pass& pass) {
  model::ServiceRecord& record = pass.model.service_table[model::kTrainRecord];
  record.word_c = pass.cursor.read_integer();
  record.word_d = pass.cursor.read_integer();
  record.word_e = pass.cursor.read_integer();
  return PassOutcome::kGoOn;
}

PassOutcome sand_entry(Pass& pass) {
  pass.model.service_table[model::kTrainRecord].word_a = pass.cursor.read_integer();
  return PassOutcome::kGoOn;
}

// Each speed entry gives the speed from its own position on: the cells from
// the cursor up to its position get the speed of the entry before.
PassOutcome speed_entry(Pass& pass) {
  constexpr int kSpeed = field_number(kSpeedFields, "v");
  model::Scenario& model = pass.model;
  const int32_t p = pass.cursor.read_long();
  const int32_t v = pass.cursor.read_long();
  pass.set_position(p);
  if (!within_range(model, p)) return out_of_range(pass, p, range_note(model, kRangeMargin));
  if (v % 5 != 0)
    pass.warn_stored(kSpeed,
                     "stored as " +
                         std::to_string(static_cast<int64_t>(model::round_half_even(v / 5.0)) * 5) +
                         " km/h: speeds are kept in steps of 5");
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
  return PassOutcome::kGoOn;
}

// As the speed entry, but the value is stored as its low 8 bits, and the
// repeat has no stop of its own: entries at one position push the cursor on
// by one each, and one that would write beyond the table is refused.
PassOutcome adhesion_entry(Pass& pass) {
  constexpr int kAdhesion = field_number(kAdhesionFields, "a");
  model::Scenario& model = pass.model;
  const int32_t p = pass.cursor.read_long();
  const int32_t a = pass.cursor.read_long();
  pass.set_position(p);
  if (!within_range(model, p)) return out_of_range(pass, p, range_note(model, kRangeMargin));
  if (a < 0 || a > 255)
    pass.warn_stored(kAdhesion,
                     "stored as its low 8 bits, " + std::to_string(static_cast<uint8_t>(a)));
  const int64_t q = model::stretch_cell(p);
  if (q > 0) {
    if (pass.adhesion_cursor > model.cell_last)
      return out_of_range(pass, p,
                          {{}, "the adhesion entries before it already reach the last cell"});
    do {
      model.cell(pass.adhesion_cursor).adhesion = static_cast<uint8_t>(pass.previous_adhesion);
      ++pass.adhesion_cursor;
    } while (pass.adhesion_cursor < q);
  }
  pass.previous_adhesion = a;
  return PassOutcome::kGoOn;
}

// The pass stopped at this entry only because the line pass left its status
// set: the fault that counts is the earlier one.
PassOutcome stop_for_carried_status(Pass& pass, int32_t position) {
  pass.state.error_position = position;
  if (!pass.state.diagnostics.empty())
    pass.state.diagnostics.back().notes.push_back(
        {pass.field(kKeywordField),
         "the train pass went on with the status set and stopped here; the "
         "compile records this entry's position, " +
             std::to_string(position) + " m"});
  return PassOutcome::kAbort;
}

PassOutcome signal_entry(Pass& pass) {
  constexpr int kPosition = field_number(kSignalFields, "p");
  constexpr int kTempo = field_number(kSignalFields, "tempo");
  model::Scenario& model = pass.model;
  SourceCursor& cursor = pass.cursor;
  SignalEntry signal;
  signal.position = cursor.read_long();
  signal.sx = cursor.read_long();
  signal.s1 = cursor.read_long();
  signal.s2 = cursor.read_long();
  signal.s3 = cursor.read_long();
  signal.rapp = cursor.read_long();
  signal.dx = cursor.read_long();
  signal.d1 = cursor.read_long();
  signal.d2 = cursor.read_long();
  signal.d3 = cursor.read_long();
  signal.tempo = cursor.read_long();
  const int32_t p = signal.position;
  pass.set_position(p);
  if (!within_range(model, p)) return out_of_range(pass, p, range_note(model, kRangeMargin));
  // A signal too near the start would put its repeat codes before cell 0.
  if (!signal_fits(model, p))
    return out_of_range(pass, p,
                        {{},
                         "its repeat codes, 2 to 8 cells before it, would fall "
                         "before cell 0: a signal needs at least 325 m"});
  const int32_t tempo = signal.tempo;
  if (const Fault f = place_signal(model, signal, pass.claim()))
    return abort_with(pass, f.code, p, kPosition, {cell_note(model, pass.state.record, f.cell)});
  // With sx other than 2 the time is dropped altogether, which the entry
  // checks say.
  if (signal.tempo != tempo && signal.sx == 2)
    pass.warn_stored(kTempo, "stored as " + std::to_string(signal.tempo) +
                                 ": the shortest time a signal keeps is 101");
  // Also a status left by the line pass (15) stops the pass here, after the
  // signal has been written.
  if (pass.state.status_code > 0) return stop_for_carried_status(pass, p);
  return PassOutcome::kGoOn;
}

PassOutcome slowdown_entry(Pass& pass) {
  constexpr int kStart = field_number(kSlowdownFields, "start");
  model::Scenario& model = pass.model;
  SourceCursor& cursor = pass.cursor;
  SlowdownEntry slowdown;
  slowdown.start = cursor.read_long();
  slowdown.speed = cursor.read_long();
  slowdown.length = cursor.read_long();
  slowdown.f_tt = cursor.read_long();
  slowdown.f_ta = cursor.read_long();
  slowdown.d_v = cursor.read_long();
  const int32_t p = slowdown.start;
  pass.set_position(p);
  // The range rule checks the start only; the end and the boards before the
  // start must lie in the table as well.
  if (!within_range(model, p)) return out_of_range(pass, p, range_note(model, kRangeMargin));
  if (!slowdown_fits(model, slowdown))
    return out_of_range(pass, p,
                        {{},
                         "its end or the boards before its start would lie "
                         "outside the cell track"});
  if (const Fault f = place_slowdown(model, slowdown, pass.claim()))
    return abort_with(pass, f.code, p, kStart, {cell_note(model, pass.state.record, f.cell)});
  if (pass.state.status_code > 0) return stop_for_carried_status(pass, p);
  return PassOutcome::kGoOn;
}

PassOutcome abbattimento_entry(Pass& pass) {
  constexpr int kPosition = field_number(kAbbattimentoFields, "p");
  constexpr int kValue = field_number(kAbbattimentoFields, "w");
  model::Scenario& model = pass.model;
  const int32_t p = pass.cursor.read_long();
  const int32_t w = pass.cursor.read_long();
  pass.set_position(p);
  if (!within_range(model, p)) return out_of_range(pass, p, range_note(model, kRangeMargin));
  const int64_t c = model::stretch_cell(p);
  if (!model.valid_cell(c)) return out_of_range(pass, p, {{}, "its cell would lie before cell 0"});
  model::Cell& cell = model.cell(static_cast<int32_t>(c));
  if (!model::is_free(cell))
    return abort_with(pass, model::status::kAbbattimentoCellTaken, p, kPosition,
                      {cell_note(model, pass.state.record, c)});
  if (w > 65535)
    pass.warn_stored(kValue, "stored as its low 16 bits, " + std::to_string(w & 0xFFFF));
  if (w > 0) {
    cell.kind = model::kind::kMarker;
    cell.value_a = static_cast<int16_t>(static_cast<uint16_t>(w));  // its low 16 bits
  } else {
    cell.kind = model::kind::kAbbattimento;
  }
  pass.state.record.claim_cell(c, pass.cursor.entry());
  return PassOutcome::kGoOn;
}

}  // namespace compiler::train
