// The station entry: sixteen numbers and a name into the next station record,
// then the station's extent, its approach codes and its marker cell.
#include <cstdint>

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

}  // namespace

Outcome station_entry(Pass& pass) {
  model::Scenario& model = pass.model;
  FieldReader& reader = pass.reader;
  const int32_t n = pass.station;
  // Only a line pass that left no record free below its name board texts gets
  // here with no room: the station must not overwrite a board text.
  if (n >= pass.state.sign_text_cursor || n > model::kFirstSignTextRecord)
    return abort_with(model, model::status::kStationsMeetSignTexts);
  model::ServiceRecord& r = model.service_table[n];

  r.position_m = reader.read_long();
  const int32_t position = r.position_m;
  if (!within_range(model, position, 800)) return out_of_range(model, position);
  if (position % 50 != 0) return abort_with(model, model::status::kStationNotMultiple, position);
  r.kind = reader.read_byte();
  const int32_t length = reader.read_long();
  if (length % 100 != 0)
    return abort_with(model, model::status::kStationLengthNotMultiple, position);
  r.flag_a = reader.read_byte();
  r.byte_d = reader.read_byte();
  r.byte_c = reader.read_byte();
  r.word_a = reader.read_integer();
  r.word_b = reader.read_integer();
  r.byte_a = reader.read_byte();
  r.word_c = reader.read_integer();
  r.word_d = reader.read_integer();
  r.word_e = reader.read_integer();
  r.byte_b = reader.read_byte();
  const int64_t hours = reader.read_long();
  const int64_t minutes = reader.read_long();
  const int64_t seconds = reader.read_long();
  r.time_s = to_long((hours * 60 + minutes) * 60 + seconds, "a station's time");
  r.text = reader.read_text();

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
    return out_of_range(model, position);

  if (marked && r.kind != 5 && r.kind != 6) {
    // The four cells before the marker, nearest first, as far as they lie
    // above cell 1.
    for (int k = 1; k <= 4; ++k) {
      const double place = r.end_m / 50.0 - k - 1;
      if (place > 1)
        model.cell(static_cast<int32_t>(model::round_half_even(place))).repeat_code =
            static_cast<uint8_t>(80 + k);
    }
  }
  if (marked) {
    if (marker_place(r) <= 1) return abort_with(model, model::status::kStationTooEarly);
    // The marker claims its cell without a free-cell test.
    model::Cell& marker = model.cell(static_cast<int32_t>(model::round_half_even(marker_place(r))));
    marker.kind = model::kind::kStationMarker;
    marker.value_a = static_cast<int16_t>(n);
  }

  if (n > 1 && int64_t{r.start_m} - kStationGap < model.service_table[n - 1].end_m)
    return abort_with(model, model::status::kStationsTooClose, position);

  ++pass.station;
  if (pass.station >= pass.state.sign_text_cursor)
    return abort_with(model, model::status::kStationsMeetSignTexts);
  return Outcome::kGoOn;
}

}  // namespace compiler::train
