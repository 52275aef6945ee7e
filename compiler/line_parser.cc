// The line pass: reads the line source into the settings records, the cell
// track and the track plan, then deletes it.
//
// The source has three parts: a head up to the field holding "[generale]",
// the general part up to the next section header, and the feature part to the
// end of the file. Keywords are substrings of a field; a field that holds two
// keywords reads the numbers of both, in table order.
#include <string>
#include <string_view>

#include "compiler/compile.h"
#include "compiler/field_reader.h"
#include "compiler/keyword.h"
#include "compiler/line_builders.h"
#include "compiler/line_geometry.h"
#include "compiler/read_failure.h"
#include "model/rounding.h"
#include "model/status_codes.h"

namespace compiler {
namespace {

namespace status = model::status;

constexpr int32_t kLongestLine = 1000000;
constexpr int32_t kSpanBeyondLine = 7000;
// The plan cursor may not pass this metre while a curve is laid.
constexpr int64_t kLastCurveMetre = 1000000;
// Comment fields (holding "-") dropped in a row before a keyword is examined.
constexpr int kGeneralDashedFields = 10;
constexpr int kFeatureDashedFields = 2;

// A field holding "[" and "]" that does not begin with "-" ends the general
// part.
bool is_section_header(std::string_view field) {
  const size_t first = field.find_first_not_of(" \t");
  return contains(field, "[") && contains(field, "]") && field[first] != '-';
}

class LineParser {
 public:
  LineParser(model::Scenario& model, platform::Env& env, const std::string& path,
             std::string_view text, ParseState& state)
      : model_(model), env_(env), path_(path), reader_(text), state_(state) {}

  // Whether the train pass follows.
  bool run() {
    if (!read_head()) return false;
    if (general_part() == Next::kStop) return false;
    if (!model_.has_cell_track()) throw ReadFailure("the line source gives no line length");
    progressive_ordina(model_);
    start_features();
    if (feature_part() == Next::kStop) return false;
    wrap_up();
    return true;
  }

 private:
  // What an entry asks of the loop that read it.
  enum class Next {
    kContinue,
    kWrapUp,  // a refused entry (status 15): the feature loop ends as at the end of the file
    kStop,    // a fault: the source is deleted and the pass ends
  };

  void read_keyword() {
    model_.source_line = reader_.read_text();
    state_.entry = {model::FileKind::kLineSource, reader_.field_line(), reader_.field_column()};
  }

  Next fault(int32_t code) {
    delete_source(env_, path_);
    model_.fail(code);
    return Next::kStop;
  }
  Next fault(int32_t code, int32_t position) {
    delete_source(env_, path_);
    model_.fail(code, position);
    return Next::kStop;
  }

  // The range rule: (p + 100) / 50 at most `cell_last`, without rounding.
  bool in_range(int32_t p) const { return int64_t{p} + 100 <= int64_t{50} * model_.cell_last; }
  Next refuse(int32_t position) {
    model_.fail(status::kOutOfRange, position);
    return Next::kWrapUp;
  }

  bool read_head() {
    for (;;) {
      read_keyword();
      if (reader_.at_end()) {
        fault(status::kNoGeneralSection);
        return false;
      }
      if (contains_ignoring_case(model_.source_line, "[generale]")) return true;
    }
  }

  Next general_part() {
    while (!reader_.at_end()) {
      read_keyword();
      if (reader_.at_end()) break;
      for (int i = 0; i < kGeneralDashedFields && contains(model_.source_line, "-"); ++i)
        read_keyword();
      const std::string field = model_.source_line;
      if (general_entry(field) == Next::kStop) return Next::kStop;
      if (is_section_header(field)) break;
    }
    return Next::kContinue;
  }

  Next general_entry(const std::string& field) {
    auto& records = model_.service_table;
    if (contains_ignoring_case(field, "lunghezza") && contains_ignoring_case(field, "percorso")) {
      if (line_length() == Next::kStop) return Next::kStop;
    }
    if (contains(field, "tre") && contains(field, "progressiva"))
      read_triple(records[model::kProgressiveTre]);
    if (contains(field, "due") && contains(field, "progressiva"))
      read_triple(records[model::kProgressiveTre + 1]);
    if (contains(field, "uno") && contains(field, "progressiva"))
      read_triple(records[model::kProgressiveTre + 2]);
    if (contains(field, "sfondo") && contains(field, "uno"))
      records[model::kScenarioRecord].start_m = reader_.read_long();
    if (contains(field, "sfondo") && contains(field, "due"))
      records[model::kScenarioRecord].position_m = reader_.read_long();
    if (contains(field, "sfondo") && contains(field, "tre"))
      records[model::kScenarioRecord].end_m = reader_.read_long();
    if (contains(field, "segnali") && contains(field, "ripetizione"))
      return signal_repetition(field);
    return Next::kContinue;
  }

  void read_triple(model::ServiceRecord& record) {
    record.start_m = reader_.read_long();
    record.end_m = reader_.read_long();
    record.position_m = reader_.read_long();
  }

  // Sizes the cell track and the plan; a second length entry makes both anew.
  Next line_length() {
    const int32_t length = reader_.read_long();
    model_.service_table[model::kTrainSettingsRecord].end_m = length;
    if (length > kLongestLine) return fault(status::kLineTooLong);
    if (length < 0)
      throw ReadFailure("negative line length", reader_.field_line(), reader_.field_column());
    model_.line_span = length + kSpanBeyondLine;
    model_.cell_last = static_cast<int32_t>(model::round_half_even(model_.line_span / 50.0));
    model_.cell_track.assign(static_cast<size_t>(model_.cell_last) + 1, model::Cell{});
    if (model_.write_line_file != 0)
      model_.line_table.allocate(model_.line_span);
    else
      model_.line_table = model::LineTable{};
    return Next::kContinue;
  }

  Next signal_repetition(const std::string& field) {
    model::ServiceRecord& record = model_.service_table[model::kTrainRecord];
    record.start_m = reader_.read_long();
    if (record.start_m % 50 != 0) return fault(status::kRepeatFirstNotMultiple);
    record.end_m = reader_.read_long();
    if (record.end_m % 50 != 0) return fault(status::kRepeatSecondNotMultiple);
    if (contains(field, "4"))
      record.position_m = 4;
    else if (contains(field, "9"))
      record.position_m = 9;
    else
      return fault(status::kRepeatNoCode);
    if (record.end_m == 0) record.position_m = 0;
    return Next::kContinue;
  }

  void start_features() {
    model_.tunnel_count = 0;
    state_.sign_text_cursor = model::kFirstSignTextRecord;
    gradient_cursor_ = 0;
    if (model_.write_line_file != 0) start_plan(model_.line_table);
    plan_cursor_ = kFirstComputedMetre;
  }

  // The last field of the file is never examined.
  Next feature_part() {
    while (!reader_.at_end()) {
      read_keyword();
      if (reader_.at_end()) break;
      bool ended = false;
      for (int i = 0; i < kFeatureDashedFields && contains(model_.source_line, "-"); ++i) {
        read_keyword();
        if ((ended = reader_.at_end())) break;
      }
      if (ended) break;
      const Next next = feature_entry(model_.source_line);
      if (next != Next::kContinue) return next;
    }
    return Next::kContinue;
  }

  // A copy: a name board reads its text into `source_line`.
  Next feature_entry(std::string field) {
    Next next = Next::kContinue;
    if (contains_ignoring_case(field, "pendenza") && (next = gradient_entry()) != Next::kContinue)
      return next;
    if (model_.write_line_file != 0 && contains_ignoring_case(field, "curva") &&
        (next = curve_entry(field)) != Next::kContinue)
      return next;
    if (contains_ignoring_case(field, "montagna") && (next = tunnel_entry()) != Next::kContinue)
      return next;
    if (contains_ignoring_case(field, "indicatori_v") &&
        (next = speed_board_entry()) != Next::kContinue)
      return next;
    if (contains_ignoring_case(field, "indicat") && contains_ignoring_case(field, "cartello"))
      return name_board_entry();
    return Next::kContinue;
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

  Next gradient_entry() {
    const int32_t p = reader_.read_long();
    const int32_t g = reader_.read_long();
    if (!in_range(p)) return refuse(p);
    const int64_t c = model::stretch_cell(p);
    if (c > 0) {
      // Entries at repeated positions push the cursor on by one cell each.
      if (gradient_cursor_ > model_.cell_last) return refuse(p);
      fill_gradient(c);
    }
    previous_gradient_ = g;
    return Next::kContinue;
  }

  Next curve_entry(const std::string& field) {
    const int32_t s = reader_.read_long();
    const int32_t n = reader_.read_long();
    if (!in_range(s)) return refuse(s);
    const int64_t end = int64_t{s} + n;
    if (end > model_.line_span) return refuse(s);
    const std::optional<double> k = curve_curvature(field);
    if (!k) return fault(status::kBadCurve);
    model::LineTable& plan = model_.line_table;
    if (!extend_straight(plan, plan_cursor_, s, kLastCurveMetre) ||
        !extend_curve(plan, plan_cursor_, end, *k, kLastCurveMetre))
      return fault(status::kBadCurve);
    return Next::kContinue;
  }

  Next tunnel_entry() {
    const int32_t inizio = reader_.read_long();
    const int32_t fine = reader_.read_long();
    const int32_t tipo = reader_.read_long();
    if (!in_range(inizio)) return refuse(inizio);
    memo_montagna(model_, inizio, fine, tipo);
    // The only code it records is a refusal.
    if (model_.status_code > 0) return Next::kWrapUp;
    return Next::kContinue;
  }

  Next speed_board_entry() {
    int32_t v[9];
    for (int32_t& value : v) value = reader_.read_long();
    if (!in_range(v[0])) return refuse(v[0]);
    memo_indicatori_v_max(model_, v[0], v[1], v[2], v[3], v[4], v[5], v[6], v[7], v[8]);
    if (model_.status_code == status::kOutOfRange) return Next::kWrapUp;
    if (model_.status_code > 0) return fault(model_.status_code, model_.error_position);
    return Next::kContinue;
  }

  Next name_board_entry() {
    const int32_t p = reader_.read_long();
    model_.source_line = reader_.read_text();
    if (!in_range(p)) return refuse(p);
    const int64_t c = model::point_cell(p);
    // Record 0 is never used, so 80 boards at most.
    if (!model_.valid_cell(c) || state_.sign_text_cursor < 1) return refuse(p);
    model::Cell& cell = model_.cell(static_cast<int32_t>(c));
    if (!model::is_free(cell)) return fault(status::kNameBoardCellTaken, p);
    cell.kind = model::kind::kNameBoard;
    cell.value_a = static_cast<int16_t>(state_.sign_text_cursor);
    model_.service_table[static_cast<size_t>(state_.sign_text_cursor)].text = model_.source_line;
    --state_.sign_text_cursor;
    return Next::kContinue;
  }

  // Reached at the end of the file or after a refused entry.
  void wrap_up() {
    delete_source(env_, path_);
    // The last three cells keep gradient 0 unless the cursor already reached
    // them; the cursor never writes past the track.
    if (gradient_cursor_ <= model_.cell_last) fill_gradient(int64_t{model_.cell_last} - 2);
    if (model_.write_line_file != 0)
      extend_straight(model_.line_table, plan_cursor_, int64_t{model_.line_span} - 2,
                      kNoCursorLimit);
  }

  model::Scenario& model_;
  platform::Env& env_;
  const std::string& path_;
  FieldReader reader_;
  ParseState& state_;
  int32_t gradient_cursor_ = 0;                // the next cell whose gradient is not set
  int32_t previous_gradient_ = 0;              // g of the last gradient entry
  int32_t plan_cursor_ = kFirstComputedMetre;  // the next metre of the plan
};

}  // namespace

bool parse_line_source(model::Scenario& model, platform::Env& env, const std::string& folder,
                       ParseState& state) {
  model.service_table[model::kScenarioRecord].text = model.scenario_name;
  model.service_table[model::kTrainRecord].text = model.train_number;
  // The tables exist only once this source has sized them.
  model.line_span = 0;
  model.cell_last = -1;
  model.cell_track.clear();
  model.line_table = model::LineTable{};
  const std::string path = model::file_path(folder, model::FileKind::kLineSource, model);
  if (!env.file_exists(path)) {
    model.fail(model::status::kNoLineSource);
    return false;
  }
  const std::string text = load_source(env, path);
  return LineParser(model, env, path, text, state).run();
}

}  // namespace compiler
