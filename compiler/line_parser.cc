// The line pass: reads the line source into the settings records, the cell
// track and the track plan.
//
// The source has three parts: a head up to the field holding "[generale]",
// the general part up to the next section header, and the feature part to the
// end of the file. Keywords are substrings of a field; a field that holds two
// keywords reads the numbers of both, in table order.
#include <string>
#include <string_view>

#include "compiler/fault.h"
#include "compiler/fault_notes.h"
#include "compiler/keyword.h"
#include "compiler/line_builders.h"
#include "compiler/line_geometry.h"
#include "compiler/pass_outcome.h"
#include "compiler/passes.h"
#include "compiler/range_rule.h"
#include "compiler/read_failure.h"
#include "compiler/source_cursor.h"
#include "compiler/warnings.h"
#include "model/rounding.h"
#include "model/status_codes.h"

namespace compiler {
namespace {

namespace status = model::status;

constexpr int32_t kLongestLine = 1000000;
constexpr int32_t kSpanBeyondLine = 7000;
// The plan cursor may not pass this metre while a curve is laid.
constexpr int64_t kLastCurveMetre = 1000000;
// Comment fields (holding "-") passed over in a row before a keyword is examined.
constexpr int kGeneralComments = 10;
constexpr int kFeatureComments = 2;

// A field holding "[" and "]" that does not begin with "-" ends the general
// part.
bool is_section_header(std::string_view field) {
  const size_t first = field.find_first_not_of(" \t");
  return contains(field, "[") && contains(field, "]") && field[first] != '-';
}

class LineParser {
 public:
  LineParser(model::Scenario& model, CompileState& state, std::string_view text)
      : model_(model),
        state_(state),
        text_(text),
        cursor_(text, model::FileKind::kLineSource, state.record, state.diagnostics) {}

  // Whether the train pass follows.
  bool run() {
    try {
      const bool train_pass_follows = read_all();
      if (!train_pass_follows) cursor_.finish_entry();
      return train_pass_follows;
    } catch (ReadFailure& failure) {
      failure.locate(cursor_.failure_location(failure.line(), failure.column()), state_.record,
                     cursor_.entry(), text_);
      cursor_.finish_entry();
      throw;
    }
  }

 private:
  bool read_all() {
    if (!read_head()) return false;
    cursor_.start_warning();
    if (general_part() == PassOutcome::kAbort) return false;
    if (!model_.has_cell_track()) throw ReadFailure("the line source gives no line length");
    order_progressives(model_);
    start_features();
    if (feature_part() == PassOutcome::kAbort) return false;
    cursor_.finish();
    wrap_up();
    return true;
  }

  PassOutcome fault(int32_t code, std::optional<int32_t> position, const Location& at,
                    std::vector<Note> notes = {}) {
    Diagnostic d = fault_diagnostic(code, position, at);
    d.notes = std::move(notes);
    if (position) state_.error_position = *position;
    state_.fail(std::move(d));
    return PassOutcome::kAbort;
  }
  Location field(int n) const { return state_.record.field(cursor_.entry(), n); }
  void warn_stored(int n, const std::string& how) {
    state_.diagnostics.push_back(stored_otherwise(state_.record.entry(cursor_.entry()), n, how));
  }
  void set_position(int32_t p) {
    SourceEntry& entry = state_.record.entry(cursor_.entry());
    entry.position = p;
    if (std::optional<Diagnostic> w = past_line_end(model_, entry, kRangeMargin))
      state_.diagnostics.push_back(std::move(*w));
  }

  // An entry refused (status 15) at metre `p`, by the range rule or for the
  // reason the note gives.
  PassOutcome refuse(int32_t p) { return refuse(p, range_note(model_, kRangeMargin)); }
  PassOutcome refuse(int32_t p, const std::string& why) { return refuse(p, Note{{}, why}); }
  PassOutcome refuse(int32_t p, Note why) {
    fault(status::kOutOfRange, p, field(1), {std::move(why)});
    return PassOutcome::kEndOfPass;
  }

  // A point feature that found its cell taken.
  PassOutcome taken(int32_t code, int32_t p, int64_t cell) {
    return fault(code, p, field(1), {cell_note(model_, state_.record, cell)});
  }

  bool read_head() {
    for (;;) {
      cursor_.read_keyword();
      if (cursor_.at_end()) {
        fault(status::kNoGeneralSection, std::nullopt,
              Location::whole_file(model::FileKind::kLineSource));
        return false;
      }
      if (contains_ignoring_case(cursor_.keyword(), "[generale]")) return true;
    }
  }

  PassOutcome general_part() {
    while (!cursor_.at_end()) {
      cursor_.read_keyword();
      if (cursor_.at_end()) break;
      cursor_.skip_comments(kGeneralComments, /*stop_at_end=*/false);
      const std::string field = cursor_.keyword();
      if (general_entry(field) == PassOutcome::kAbort) return PassOutcome::kAbort;
      if (is_section_header(field)) break;
    }
    return PassOutcome::kGoOn;
  }

  PassOutcome general_entry(const std::string& field) {
    auto& records = model_.service_table;
    if (contains_ignoring_case(field, "lunghezza") && contains_ignoring_case(field, "percorso")) {
      cursor_.begin_entry(EntryKind::kLineLength);
      if (line_length() == PassOutcome::kAbort) return PassOutcome::kAbort;
    }
    static constexpr struct {
      const char* word;
      int record;
    } kProgressives[] = {{"tre", model::kProgressiveTre},
                         {"due", model::kProgressiveTre + 1},
                         {"uno", model::kProgressiveTre + 2}};
    for (const auto& progressive : kProgressives)
      if (contains(field, progressive.word) && contains(field, "progressiva")) {
        cursor_.begin_entry(EntryKind::kProgressive);
        read_triple(records[static_cast<size_t>(progressive.record)]);
      }
    model::ServiceRecord& backgrounds = records[model::kScenarioRecord];
    const struct {
      const char* word;
      int32_t* slot;
    } kBackgrounds[] = {{"uno", &backgrounds.start_m},
                        {"due", &backgrounds.position_m},
                        {"tre", &backgrounds.end_m}};
    for (const auto& background : kBackgrounds)
      if (contains(field, "sfondo") && contains(field, background.word)) {
        cursor_.begin_entry(EntryKind::kBackground);
        *background.slot = cursor_.read_long();
      }
    if (contains(field, "segnali") && contains(field, "ripetizione")) {
      cursor_.begin_entry(EntryKind::kSignalRepetition);
      return signal_repetition(field);
    }
    return PassOutcome::kGoOn;
  }

  void read_triple(model::ServiceRecord& record) {
    record.start_m = cursor_.read_long();
    record.end_m = cursor_.read_long();
    record.position_m = cursor_.read_long();
  }

  // Sizes the cell track and the plan; a second length entry makes both anew.
  PassOutcome line_length() {
    const int32_t length = cursor_.read_long();
    model_.service_table[model::kTrainSettingsRecord].end_m = length;
    if (length > kLongestLine) return fault(status::kLineTooLong, std::nullopt, field(1));
    if (length < 0) throw ReadFailure("negative line length", field(1).line, field(1).column);
    model_.line_span = length + kSpanBeyondLine;
    model_.cell_last = static_cast<int32_t>(model::round_half_even(model_.line_span / 50.0));
    model_.cell_track.assign(static_cast<size_t>(model_.cell_last) + 1, model::Cell{});
    state_.record.reset_cells(model_.cell_track.size());
    if (state_.build_line_file)
      model_.line_table.allocate(model_.line_span);
    else
      model_.line_table = model::LineTable{};
    return PassOutcome::kGoOn;
  }

  // Both numbers are stored as soon as they are read, before either is
  // checked.
  PassOutcome signal_repetition(const std::string& field) {
    model::ServiceRecord& record = model_.service_table[model::kTrainRecord];
    record.start_m = cursor_.read_long();
    record.end_m = cursor_.read_long();
    if (record.start_m % 50 != 0)
      return fault(status::kRepeatFirstNotMultiple, std::nullopt, this->field(1));
    if (record.end_m % 50 != 0)
      return fault(status::kRepeatSecondNotMultiple, std::nullopt, this->field(2));
    if (contains(field, "4"))
      record.position_m = 4;
    else if (contains(field, "9"))
      record.position_m = 9;
    else
      return fault(status::kRepeatNoCode, std::nullopt, this->field(0));
    if (record.end_m == 0) record.position_m = 0;
    return PassOutcome::kGoOn;
  }

  void start_features() {
    state_.tunnel_count = 0;
    state_.sign_text_cursor = model::kFirstSignTextRecord;
    gradient_cursor_ = 0;
    if (state_.build_line_file) start_plan(model_.line_table);
    plan_cursor_ = kFirstComputedMetre;
  }

  // The last field of the file is never examined.
  PassOutcome feature_part() {
    while (!cursor_.at_end()) {
      cursor_.read_keyword();
      if (cursor_.at_end()) break;
      if (!cursor_.skip_comments(kFeatureComments, /*stop_at_end=*/true)) break;
      const PassOutcome next = feature_entry(cursor_.keyword());
      if (next != PassOutcome::kGoOn) return next;
    }
    return PassOutcome::kGoOn;
  }

  PassOutcome feature_entry(const std::string& field) {
    PassOutcome next = PassOutcome::kGoOn;
    if (contains_ignoring_case(field, "pendenza") &&
        (next = gradient_entry()) != PassOutcome::kGoOn)
      return next;
    if (contains_ignoring_case(field, "curva")) {
      // Curves only shape the plan: with no plan built they are passed over,
      // and are no unknown keyword.
      if (!state_.build_line_file)
        cursor_.pass_over_entry();
      else if ((next = curve_entry(field)) != PassOutcome::kGoOn)
        return next;
    }
    if (contains_ignoring_case(field, "montagna") && (next = tunnel_entry()) != PassOutcome::kGoOn)
      return next;
    if (contains_ignoring_case(field, "indicatori_v") &&
        (next = speed_board_entry()) != PassOutcome::kGoOn)
      return next;
    if (contains_ignoring_case(field, "indicat") && contains_ignoring_case(field, "cartello"))
      return name_board_entry();
    return PassOutcome::kGoOn;
  }

  // The gradient byte of a cell: the gradient + 100, which must fit.
  uint8_t gradient_byte() const {
    return checked<uint8_t>(int64_t{previous_gradient_} + 100, "a cell's gradient");
  }

  // Sets the cell at the cursor, then the following ones while the cursor is
  // below `end`: at least one cell, even when the cursor is already past it.
  void fill_gradient(int64_t end) {
    const uint8_t gradient = gradient_byte();
    do {
      model_.cell(gradient_cursor_).gradient = gradient;
      ++gradient_cursor_;
    } while (gradient_cursor_ < end);
  }

  PassOutcome gradient_entry() {
    cursor_.begin_entry(EntryKind::kGradient);
    const int32_t p = cursor_.read_long();
    const int32_t g = cursor_.read_long();
    set_position(p);
    if (!within_range(model_, p)) return refuse(p);
    const int64_t c = model::stretch_cell(p);
    if (c > 0) {
      // Entries at repeated positions push the cursor on by one cell each.
      if (gradient_cursor_ > model_.cell_last)
        return refuse(p, "the gradient entries before it already reach the last cell");
      fill_gradient(c);
    }
    previous_gradient_ = g;
    return PassOutcome::kGoOn;
  }

  PassOutcome curve_entry(const std::string& field) {
    cursor_.begin_entry(EntryKind::kCurve);
    const int32_t s = cursor_.read_long();
    const int32_t n = cursor_.read_long();
    set_position(s);
    if (!within_range(model_, s)) return refuse(s);
    const int64_t end = int64_t{s} + n;
    if (end > model_.line_span)
      return refuse(s, "the curve would run past the end of the plan, metre " +
                           std::to_string(model_.line_span));
    const std::optional<double> k = curve_curvature(field);
    if (!k) return fault(status::kBadCurve, std::nullopt, this->field(0));
    if (std::optional<Diagnostic> w = curve_side(state_.record.entry(cursor_.entry())))
      state_.diagnostics.push_back(std::move(*w));
    model::LineTable& plan = model_.line_table;
    if (!extend_straight(plan, plan_cursor_, s, kLastCurveMetre) ||
        !extend_curve(plan, plan_cursor_, end, *k, kLastCurveMetre))
      return fault(status::kBadCurve, std::nullopt, this->field(2));
    return PassOutcome::kGoOn;
  }

  PassOutcome tunnel_entry() {
    cursor_.begin_entry(EntryKind::kTunnel);
    TunnelEntry tunnel;
    tunnel.start = cursor_.read_long();
    tunnel.end = cursor_.read_long();
    tunnel.type = cursor_.read_long();
    set_position(tunnel.start);
    if (!within_range(model_, tunnel.start)) return refuse(tunnel.start);
    const int64_t type = tunnel.type > 10 ? int64_t{tunnel.type} - 10 : tunnel.type;
    if (type < 0 || type > 255)
      warn_stored(3, "stored as its low 8 bits, " + std::to_string(static_cast<uint8_t>(type)));
    // The only fault it reports is a refusal.
    if (const Fault f = record_tunnel(model_, state_, tunnel))
      return refuse(tunnel.start, f.cell < 0
                                      ? "a line holds at most 80 tunnels"
                                      : "the tunnel would cover cells outside the cell track");
    return PassOutcome::kGoOn;
  }

  PassOutcome speed_board_entry() {
    cursor_.begin_entry(EntryKind::kSpeedBoard);
    SpeedBoardEntry board;
    board.position = cursor_.read_long();
    board.first_speed_a = cursor_.read_long();
    board.first_speed_b = cursor_.read_long();
    board.first_speed_c = cursor_.read_long();
    board.first_stripes = cursor_.read_long();
    board.second_speed_a = cursor_.read_long();
    board.second_speed_b = cursor_.read_long();
    board.second_speed_c = cursor_.read_long();
    board.second_stripes = cursor_.read_long();
    set_position(board.position);
    if (!within_range(model_, board.position)) return refuse(board.position);
    const int64_t stripes = int64_t{board.first_stripes} * 10 + board.second_stripes;
    if (stripes < 0 || stripes > 65535)
      warn_stored(5, "the stripes are stored as the low 16 bits of " + std::to_string(stripes));
    const Fault f = place_speed_board(model_, board, Claim{&state_.record, cursor_.entry()});
    if (f.code == status::kOutOfRange)
      return refuse(board.position, "its cell would lie outside the cell track");
    if (f) return taken(f.code, board.position, f.cell);
    return PassOutcome::kGoOn;
  }

  PassOutcome name_board_entry() {
    const int entry = cursor_.begin_entry(EntryKind::kNameBoard);
    const int32_t p = cursor_.read_long();
    const std::string text = cursor_.read_record_text();
    set_position(p);
    state_.record.entry(entry).name = text;
    if (!within_range(model_, p)) return refuse(p);
    const int64_t c = model::point_cell(p);
    // Record 0 is never used, so 80 boards at most.
    if (!model_.valid_cell(c)) return refuse(p, "its cell would lie outside the cell track");
    if (state_.sign_text_cursor < 1) return refuse(p, "a line holds at most 80 name boards");
    model::Cell& cell = model_.cell(static_cast<int32_t>(c));
    if (!model::is_free(cell)) return taken(status::kNameBoardCellTaken, p, c);
    cell.kind = model::kind::kNameBoard;
    cell.value_a = static_cast<int16_t>(state_.sign_text_cursor);
    state_.record.claim_cell(c, entry);
    model_.service_table[static_cast<size_t>(state_.sign_text_cursor)].text = text;
    state_.record.claim_record(state_.sign_text_cursor, entry);
    --state_.sign_text_cursor;
    return PassOutcome::kGoOn;
  }

  // Reached at the end of the file or after a refused entry.
  void wrap_up() {
    // The last three cells keep gradient 0 unless the cursor already reached
    // them; the cursor never writes past the track.
    if (gradient_cursor_ <= model_.cell_last) fill_gradient(int64_t{model_.cell_last} - 2);
    if (state_.build_line_file)
      extend_straight(model_.line_table, plan_cursor_, int64_t{model_.line_span} - 2,
                      kNoCursorLimit);
  }

  model::Scenario& model_;
  CompileState& state_;
  std::string_view text_;
  SourceCursor cursor_;
  int32_t gradient_cursor_ = 0;                // the next cell whose gradient is not set
  int32_t previous_gradient_ = 0;              // g of the last gradient entry
  int32_t plan_cursor_ = kFirstComputedMetre;  // the next metre of the plan
};

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
  return LineParser(model, state, text).run();
}

}  // namespace compiler
