// The entries of the line source: the settings of the general part, and the
// gradients, curves, tunnels and boards of the feature part.
#include <string>

#include "compiler/fault.h"
#include "compiler/fault_notes.h"
#include "compiler/keyword.h"
#include "compiler/keyword_fields.h"
#include "compiler/line_builders.h"
#include "compiler/line_pass.h"
#include "compiler/read_failure.h"
#include "compiler/warnings.h"
#include "model/rounding.h"
#include "model/status_codes.h"

namespace compiler::line {
namespace {

namespace status = model::status;

constexpr int32_t kLongestLine = 1000000;
constexpr int32_t kSpanBeyondLine = 7000;
// The plan cursor may not pass this metre while a curve is laid.
constexpr int64_t kLastCurveMetre = 1000000;

// The gradient byte of a cell: the gradient + 100, which must fit.
uint8_t gradient_byte(const Pass& pass) {
  return checked<uint8_t>(int64_t{pass.previous_gradient} + 100, "a cell's gradient");
}

// A point feature at metre `p` (field `position_field`) that found its cell
// taken.
PassOutcome taken(Pass& pass, int position_field, int32_t code, int32_t p, int64_t cell) {
  return abort_with(pass, code, p, position_field,
                    {cell_note(pass.model, pass.state.record, cell)});
}

}  // namespace

// Sizes the cell track and the plan; a second length entry makes both anew.
PassOutcome line_length_entry(Pass& pass) {
  constexpr int kLength = field_number(kLineLengthFields, "L");
  model::Scenario& model = pass.model;
  const int32_t length = pass.cursor.read_long();
  model.service_table[model::kTrainSettingsRecord].end_m = length;
  if (length > kLongestLine) return abort_with(pass, status::kLineTooLong, std::nullopt, kLength);
  if (length < 0)
    throw ReadFailure("negative line length", pass.field(kLength).line, pass.field(kLength).column);
  model.line_span = length + kSpanBeyondLine;
  model.cell_last = static_cast<int32_t>(model::round_half_even(model.line_span / 50.0));
  model.cell_track.assign(static_cast<size_t>(model.cell_last) + 1, model::Cell{});
  pass.state.record.reset_cells(model.cell_track.size());
  if (pass.state.build_line_file)
    model.line_table.allocate(model.line_span);
  else
    model.line_table = model::LineTable{};
  return PassOutcome::kGoOn;
}

// Variants "tre", "due", "uno": records 81, 82, 83.
PassOutcome progressive_entry(Pass& pass, int variant) {
  model::ServiceRecord& record =
      pass.model.service_table[static_cast<size_t>(model::kProgressiveTre + variant)];
  record.start_m = pass.cursor.read_long();
  record.end_m = pass.cursor.read_long();
  record.position_m = pass.cursor.read_long();
  return PassOutcome::kGoOn;
}

// Variants "uno", "due", "tre": three numbers of record 85.
PassOutcome background_entry(Pass& pass, int variant) {
  model::ServiceRecord& backgrounds = pass.model.service_table[model::kScenarioRecord];
  int32_t* const slots[] = {&backgrounds.start_m, &backgrounds.position_m, &backgrounds.end_m};
  *slots[variant] = pass.cursor.read_long();
  return PassOutcome::kGoOn;
}

// Both numbers are stored as soon as they are read, before either is
// checked; the code stands in the keyword field.
PassOutcome signal_repetition_entry(Pass& pass) {
  constexpr int kStart = field_number(kSignalRepetitionFields, "a");
  constexpr int kEnd = field_number(kSignalRepetitionFields, "b");
  const std::string& keyword = pass.cursor.keyword();
  model::ServiceRecord& record = pass.model.service_table[model::kTrainRecord];
  record.start_m = pass.cursor.read_long();
  record.end_m = pass.cursor.read_long();
  if (record.start_m % 50 != 0)
    return abort_with(pass, status::kRepeatFirstNotMultiple, std::nullopt, kStart);
  if (record.end_m % 50 != 0)
    return abort_with(pass, status::kRepeatSecondNotMultiple, std::nullopt, kEnd);
  if (contains(keyword, "4"))
    record.position_m = 4;
  else if (contains(keyword, "9"))
    record.position_m = 9;
  else
    return abort_with(pass, status::kRepeatNoCode, std::nullopt, kKeywordField);
  if (record.end_m == 0) record.position_m = 0;
  return PassOutcome::kGoOn;
}

void fill_gradient(Pass& pass, int64_t end) {
  const uint8_t gradient = gradient_byte(pass);
  do {
    pass.model.cell(pass.gradient_cursor).gradient = gradient;
    ++pass.gradient_cursor;
  } while (pass.gradient_cursor < end);
}

PassOutcome gradient_entry(Pass& pass) {
  const int32_t p = pass.cursor.read_long();
  const int32_t g = pass.cursor.read_long();
  pass.set_position(p);
  if (!within_range(pass.model, p)) return out_of_range(pass, p);
  const int64_t c = model::stretch_cell(p);
  if (c > 0) {
    // Entries at repeated positions push the cursor on by one cell each.
    if (pass.gradient_cursor > pass.model.cell_last)
      return out_of_range(pass, p,
                          Note{{}, "the gradient entries before it already reach the last cell"});
    fill_gradient(pass, c);
  }
  pass.previous_gradient = g;
  return PassOutcome::kGoOn;
}

// The class digit and the side stand in the keyword field itself.
PassOutcome curve_entry(Pass& pass) {
  constexpr int kLength = field_number(kCurveFields, "n");
  const std::string& keyword = pass.cursor.keyword();
  const int32_t s = pass.cursor.read_long();
  const int32_t n = pass.cursor.read_long();
  pass.set_position(s);
  if (!within_range(pass.model, s)) return out_of_range(pass, s);
  const int64_t end = int64_t{s} + n;
  if (end > pass.model.line_span)
    return out_of_range(pass, s,
                        Note{{},
                             "the curve would run past the end of the plan, metre " +
                                 std::to_string(pass.model.line_span)});
  const std::optional<double> k = curve_curvature(keyword);
  if (!k) return abort_with(pass, status::kBadCurve, std::nullopt, kKeywordField);
  if (std::optional<Diagnostic> w = curve_side(pass.state.record.entry(pass.cursor.entry())))
    pass.state.diagnostics.push_back(std::move(*w));
  model::LineTable& plan = pass.model.line_table;
  if (!extend_straight(plan, pass.plan_cursor, s, kLastCurveMetre) ||
      !extend_curve(plan, pass.plan_cursor, end, *k, kLastCurveMetre))
    return abort_with(pass, status::kBadCurve, std::nullopt, kLength);
  return PassOutcome::kGoOn;
}

PassOutcome tunnel_entry(Pass& pass) {
  constexpr int kType = field_number(kTunnelFields, "type");
  TunnelEntry tunnel;
  tunnel.start = pass.cursor.read_long();
  tunnel.end = pass.cursor.read_long();
  tunnel.type = pass.cursor.read_long();
  pass.set_position(tunnel.start);
  if (!within_range(pass.model, tunnel.start)) return out_of_range(pass, tunnel.start);
  const int64_t type = tunnel.type > 10 ? int64_t{tunnel.type} - 10 : tunnel.type;
  if (type < 0 || type > 255)
    pass.warn_stored(kType,
                     "stored as its low 8 bits, " + std::to_string(static_cast<uint8_t>(type)));
  // The only fault it reports is a refusal.
  if (const Fault f = record_tunnel(pass.model, pass.state, tunnel))
    return out_of_range(pass, tunnel.start,
                        Note{{},
                             f.cell < 0 ? "a line holds at most 80 tunnels"
                                        : "the tunnel would cover cells outside the cell track"});
  return PassOutcome::kGoOn;
}

PassOutcome speed_board_entry(Pass& pass) {
  constexpr int kPosition = field_number(kSpeedBoardFields, "p");
  constexpr int kFirstStripes = field_number(kSpeedBoardFields, "stripes");
  SourceCursor& cursor = pass.cursor;
  SpeedBoardEntry board;
  board.position = cursor.read_long();
  board.first_speed_a = cursor.read_long();
  board.first_speed_b = cursor.read_long();
  board.first_speed_c = cursor.read_long();
  board.first_stripes = cursor.read_long();
  board.second_speed_a = cursor.read_long();
  board.second_speed_b = cursor.read_long();
  board.second_speed_c = cursor.read_long();
  board.second_stripes = cursor.read_long();
  pass.set_position(board.position);
  if (!within_range(pass.model, board.position)) return out_of_range(pass, board.position);
  const int64_t stripes = int64_t{board.first_stripes} * 10 + board.second_stripes;
  if (stripes < 0 || stripes > 65535)
    pass.warn_stored(kFirstStripes,
                     "the stripes are stored as the low 16 bits of " + std::to_string(stripes));
  const Fault f = place_speed_board(pass.model, board, pass.claim());
  if (f.code == status::kOutOfRange)
    return out_of_range(pass, board.position,
                        Note{{}, "its cell would lie outside the cell track"});
  if (f) return taken(pass, kPosition, f.code, board.position, f.cell);
  return PassOutcome::kGoOn;
}

PassOutcome name_board_entry(Pass& pass) {
  constexpr int kPosition = field_number(kNameBoardFields, "p");
  model::Scenario& model = pass.model;
  CompileState& state = pass.state;
  const int entry = pass.cursor.entry();
  const int32_t p = pass.cursor.read_long();
  const std::string text = pass.cursor.read_record_text();
  pass.set_position(p);
  state.record.entry(entry).name = text;
  if (!within_range(model, p)) return out_of_range(pass, p);
  const int64_t c = model::point_cell(p);
  // Record 0 is never used, so 80 boards at most.
  if (!model.valid_cell(c))
    return out_of_range(pass, p, Note{{}, "its cell would lie outside the cell track"});
  if (state.sign_text_cursor < 1)
    return out_of_range(pass, p, Note{{}, "a line holds at most 80 name boards"});
  model::Cell& cell = model.cell(static_cast<int32_t>(c));
  if (!model::is_free(cell)) return taken(pass, kPosition, status::kNameBoardCellTaken, p, c);
  cell.kind = model::kind::kNameBoard;
  cell.value_a = static_cast<int16_t>(state.sign_text_cursor);
  state.record.claim_cell(c, entry);
  model.service_table[static_cast<size_t>(state.sign_text_cursor)].text = text;
  state.record.claim_record(state.sign_text_cursor, entry);
  --state.sign_text_cursor;
  return PassOutcome::kGoOn;
}

}  // namespace compiler::line
