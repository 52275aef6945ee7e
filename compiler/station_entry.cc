// The station entry: sixteen numbers and a name into the next station record,
// then the station's extent, its approach codes and its marker cell.
#include <cstdint>

#include "compiler/fault_notes.h"
#include "compiler/keyword_fields.h"
#include "compiler/range_rule.h"
#include "compiler/read_failure.h"
#include "compiler/train_pass.h"
#include "model/rounding.h"
#include "model/status_codes.h"

namespace compiler::train {
namespace {

// Station kinds from this one on get neither approach codes nor a marker.
constexpr int kFirstUnmarkedKind = 25;
// A station must start at least this far after the end of the one before.
constexpr int64_t kStationGap = 350;

int32_t to_long(int64_t value, const char* what) { return checked<int32_t>(value, what); }

// The extent of the station from its position and length. Every field is
// stored as soon as it is known.
void set_extent(model::ServiceRecord& r, int32_t length) {
  const int64_t p = r.position_m;
  switch (r.kind) {
    case 5:
    case 6:
      r.start_m = to_long(p - length, "a station's start");
      r.end_m = to_long(p + 150, "a station's end");
      r.byte_c = 0;
      break;
    case 7:
    case 8:
      r.start_m = to_long(p - length, "a station's start");
      r.end_m = to_long(p + length, "a station's end");
      r.byte_c = 0;
      break;
    default: {
      const double half = length / 2.0;
      r.start_m =
          to_long(static_cast<int64_t>(model::round_half_even(p - half)), "a station's start");
      r.end_m = to_long(static_cast<int64_t>(model::round_half_even(p + half)), "a station's end");
      if (r.byte_c != 0) r.end_m = to_long(int64_t{r.end_m} + 50, "a station's end");
      break;
    }
  }
}

// end / 50 - 1: the station's marker cell before rounding.
double marker_place(const model::ServiceRecord& r) { return r.end_m / 50.0 - 1; }

// A note at the station entry that took record `n`.
Note station_note(const Pass& pass, int n, const std::string& what) {
  const int owner = pass.state.record.record_owner(n);
  if (owner == SourceRecord::kNone) return {{}, what};
  return {pass.state.record.field(owner, kKeywordField), what};
}

}  // namespace

PassOutcome station_entry(Pass& pass) {
  constexpr int kPosition = field_number(kStationFields, "position");
  constexpr int kLength = field_number(kStationFields, "length");
  model::Scenario& model = pass.model;
  SourceCursor& cursor = pass.cursor;
  const int32_t n = pass.station;
  // A station must not overwrite a name board text: refused before anything
  // is written only when record n already holds one.
  if (n > pass.state.sign_text_cursor || n > model::kFirstSignTextRecord)
    return abort_with(
        pass, model::status::kStationsMeetSignTexts, std::nullopt, kKeywordField,
        {{{}, "the 80 name boards of the line take every record a station could use"}});
  model::ServiceRecord& r = model.service_table[static_cast<size_t>(n)];
  pass.state.record.claim_record(n, cursor.entry());

  r.position_m = cursor.read_long();
  const int32_t position = r.position_m;
  pass.set_position(position, kStationRangeMargin);
  if (!within_range(model, position, kStationRangeMargin))
    return out_of_range(pass, position, range_note(model, kStationRangeMargin));
  if (position % 50 != 0)
    return abort_with(pass, model::status::kStationNotMultiple, position, kPosition);
  r.kind = cursor.read_byte();
  const int32_t length = cursor.read_long();
  if (length % 100 != 0)
    return abort_with(pass, model::status::kStationLengthNotMultiple, position, kLength);
  r.flag_a = cursor.read_byte();
  r.byte_d = cursor.read_byte();
  r.byte_c = cursor.read_byte();
  r.word_a = cursor.read_integer();
  r.word_b = cursor.read_integer();
  r.byte_a = cursor.read_byte();
  r.word_c = cursor.read_integer();
  r.word_d = cursor.read_integer();
  r.word_e = cursor.read_integer();
  r.byte_b = cursor.read_byte();
  const int64_t hours = cursor.read_long();
  const int64_t minutes = cursor.read_long();
  const int64_t seconds = cursor.read_long();
  r.time_s = to_long((hours * 60 + minutes) * 60 + seconds, "a station's time");
  r.text = cursor.read_record_text();
  pass.state.record.entry(cursor.entry()).name = r.text;

  set_extent(r, length);
  if (length < 600) r.byte_d = 0;
  if (n == 1) {
    // The lengthening of the extent above stays.
    r.byte_c = 0;
    r.byte_d = 0;
  }

  const bool marked = r.kind < kFirstUnmarkedKind;
  // A marker beyond the table is refused like an entry beyond the range rule,
  // before any cell is written.
  if (marked && model::round_half_even(marker_place(r)) > model.cell_last)
    return out_of_range(pass, position, {{}, "its marker cell would lie beyond the last cell"});

  if (marked && r.kind != 5 && r.kind != 6) {
    // The four cells before the marker, nearest first, as far as they lie
    // above cell 1.
    for (int k = 1; k <= 4; ++k) {
      const double place = r.end_m / 50.0 - k - 1;
      if (place > 1) {
        const auto cell = static_cast<int32_t>(model::round_half_even(place));
        const auto code = static_cast<uint8_t>(80 + k);
        model.cell(cell).repeat_code = code;
        pass.state.record.wrote_repeat_code(cell, code, cursor.entry());
      }
    }
  }
  if (marked) {
    if (marker_place(r) <= 1)
      return abort_with(pass, model::status::kStationTooEarly, std::nullopt, kPosition);
    // The marker claims its cell without a free-cell test.
    const int32_t c = static_cast<int32_t>(model::round_half_even(marker_place(r)));
    model::Cell& marker = model.cell(c);
    marker.kind = model::kind::kStationMarker;
    marker.value_a = static_cast<int16_t>(n);
    pass.state.record.claim_cell(c, cursor.entry());
  }

  if (n > 1 &&
      int64_t{r.start_m} - kStationGap < model.service_table[static_cast<size_t>(n) - 1].end_m)
    return abort_with(
        pass, model::status::kStationsTooClose, position, kPosition,
        {station_note(pass, n - 1,
                      "the station before it ends at " +
                          std::to_string(model.service_table[static_cast<size_t>(n) - 1].end_m) +
                          " m; this one starts at " + std::to_string(r.start_m) + " m")});

  ++pass.station;
  if (pass.station >= pass.state.sign_text_cursor)
    return abort_with(pass, model::status::kStationsMeetSignTexts, std::nullopt, kKeywordField,
                      {{{}, "the stations and the line's name boards meet in the service table"}});
  return PassOutcome::kGoOn;
}

}  // namespace compiler::train
