#include "compiler/entry_checks.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <string>
#include <unordered_map>

#include "compiler/field_reference.h"
#include "compiler/field_text.h"
#include "compiler/keyword_fields.h"
#include "compiler/warnings.h"
#include "model/rounding.h"

namespace compiler {
namespace {

constexpr std::string_view kHeader = "[generale]";
// A field this far from "[generale]" (or holding "general") is taken for a
// slip on it.
constexpr size_t kHeaderSlip = 3;
// As for the layout warnings: a file that is no source at all would bury
// the first ones.
constexpr size_t kMostWarnings = 50;

std::string lower_trimmed(std::string_view text) { return lower_ascii(trimmed_field(text)); }

std::string metres(int64_t m) { return std::to_string(m) + " m"; }

std::string keyword_of(EntryKind kind) { return keyword_text(reference_for(kind)); }

// The cell a profile value starts in, as metres.
std::string cell_at(int64_t cell) {
  return "cell " + std::to_string(cell) + " (" + metres(cell * 50) + ")";
}

class Checks {
 public:
  Checks(const SourceRecord& record, const model::Scenario& model,
         const std::vector<Diagnostic>& found)
      : record_(record), model_(model), found_(found) {}

  std::vector<Diagnostic> run() {
    profile(EntryKind::kSpeed, "speed", " km/h", true);
    profile(EntryKind::kAdhesion, "adhesion", "", true);
    profile(EntryKind::kGradient, "gradient", "", false);
    progressives();
    curves();
    tunnels();
    signals();
    slowdowns();
    stations();
    speed_boards();
    abbattimenti();
    replaced_by_station_markers();
    replaced_repeat_codes();
    return finish();
  }

 private:
  int count() const { return static_cast<int>(record_.entries().size()); }
  const SourceEntry& entry(int i) const { return record_.entry(i); }

  // Read whole, and no error stands at it: an entry a pass refused or
  // stopped at is told about by its error.
  bool usable(const SourceEntry& e) const {
    const size_t wanted = reference_for(e.kind).fields.size();
    if (e.fields.size() < wanted || e.numbers.size() < wanted) return false;
    const size_t from = e.keyword_at.offset;
    const size_t to = e.fields.back().offset + e.fields.back().length;
    for (const Diagnostic& d : found_) {
      if (d.severity != Diagnostic::Severity::kError || !d.at.in_source || d.at.line == 0 ||
          d.at.file != e.keyword_at.file)
        continue;
      if (d.at.offset >= from && d.at.offset <= to) return false;
    }
    return true;
  }

  std::vector<int> of_kind(EntryKind kind) const {
    std::vector<int> found;
    for (int i = 0; i < count(); ++i)
      if (entry(i).kind == kind && usable(entry(i))) found.push_back(i);
    return found;
  }

  bool has_error() const {
    return std::any_of(found_.begin(), found_.end(), [](const Diagnostic& d) {
      return d.severity == Diagnostic::Severity::kError;
    });
  }

  bool train_source_read() const {
    for (const SourceEntry& e : record_.entries())
      if (e.keyword_at.file == model::FileKind::kTrainSource) return true;
    return false;
  }

  // The number read in field `n` (1 for the first after the keyword).
  static int64_t number(const SourceEntry& e, int n) {
    return e.numbers[static_cast<size_t>(n) - 1];
  }

  static Location field(const SourceEntry& e, int n) {
    const size_t i = static_cast<size_t>(n) - 1;
    return i < e.fields.size() ? e.fields[i] : e.keyword_at;
  }

  void add(Diagnostic d) { out_.push_back(std::move(d)); }

  // Speed, adhesion and gradient entries each fill the cells from their
  // profile's cursor up to their own cell with the value of the entry before,
  // and move the cursor on by one cell at least: an entry listed behind the
  // one before it takes effect at the cursor, not at its position.
  void profile(EntryKind kind, const std::string& what, const std::string& unit,
               bool starts_at_zero) {
    // The three profiles lay out their fields alike: position, value.
    constexpr int kPosition = 1;
    constexpr int kValue = 2;
    static_assert(field_number(kSpeedFields, "p") == kPosition &&
                  field_number(kSpeedFields, "v") == kValue &&
                  field_number(kAdhesionFields, "p") == kPosition &&
                  field_number(kAdhesionFields, "a") == kValue &&
                  field_number(kGradientFields, "p") == kPosition &&
                  field_number(kGradientFields, "g") == kValue);
    const std::string name = "'" + keyword_of(kind) + "'";
    const std::vector<int> entries = of_kind(kind);
    if (entries.empty()) {
      // Only a train source read to its end lacks the entries for sure.
      if (starts_at_zero && train_source_read() && !has_error())
        add(warning(Location::whole_file(model::FileKind::kTrainSource),
                    "the train source has no " + name + " entry, so every cell gets " + what +
                        " 0" + unit + "; add '" + keyword_of(kind) + ", 0, <" + what +
                        ">' after '[generale]'"));
      return;
    }
    int64_t cursor = 0;
    int64_t value_from = 0;  // the cell the previous entry's value starts in
    const SourceEntry* previous = nullptr;
    for (int i : entries) {
      const SourceEntry& e = entry(i);
      const int64_t p = number(e, kPosition);
      const int64_t q = model::stretch_cell(p);
      const int64_t from = q > 0 ? std::max(q, cursor + 1) : cursor;
      if (!previous && q > 0 && starts_at_zero)
        add(warning(field(e, kPosition), "the first " + name + " entry is at " + metres(p) +
                                             ": the cells before it, 0 to " +
                                             std::to_string(q - 1) + ", get " + what + " 0" + unit +
                                             "; add '" + keyword_of(kind) + ", 0, <" + what +
                                             ">' before it"));
      if (previous && q <= cursor) {
        const int64_t p0 = number(*previous, kPosition);
        std::vector<std::string> effects;
        if (from != std::max<int64_t>(q, 0))
          effects.push_back("its " + what + " " + std::to_string(number(e, kValue)) + unit +
                            " holds from " + cell_at(from) + " on, not from " + metres(p));
        if (from == value_from) effects.push_back("the one before it holds in no cell");
        const bool same_cell = q <= std::max<int64_t>(model::stretch_cell(p0), 0);
        std::string message;
        if (p < p0)
          message = name + " at " + metres(p) + " is listed after the one at " + metres(p0) +
                    ", but the entries take effect in the order written";
        else if (same_cell)
          message = name + " at " + metres(p) + " falls in the cell of the one before it, at " +
                    metres(p0);
        else
          message = name + " at " + metres(p) + " lies behind " + cell_at(value_from) +
                    ", where the one before it already takes effect";
        for (size_t k = 0; k < effects.size(); ++k)
          message += (k == 0 ? ": " : ", and ") + effects[k];
        message += same_cell && p >= p0
                       ? "; give each entry a cell of its own, 50 m apart"
                       : "; list the " + name + " entries in increasing order of position";
        add(warning(field(e, kPosition), message));
      }
      cursor = q > 0 ? from : cursor;
      value_from = from;
      previous = &e;
    }
  }

  // The progressives are sorted by their start; when the largest start is
  // given twice (or, with starts adding up to 0, no end is above 0), all
  // three records are cleared.
  void progressives() {
    constexpr int kStart = field_number(kProgressiveFields, "start");
    if (!model_.has_cell_track()) return;
    for (int r = model::kProgressiveTre; r < model::kProgressiveTre + 3; ++r) {
      const model::ServiceRecord& record = model_.service_table[static_cast<size_t>(r)];
      if (record.start_m != 0 || record.end_m != 0 || record.position_m != 0) return;
    }
    for (int i : of_kind(EntryKind::kProgressive)) {
      const SourceEntry& e = entry(i);
      if (std::all_of(e.numbers.begin(), e.numbers.end(), [](int64_t v) { return v == 0; }))
        continue;
      add(warning(field(e, kStart),
                  "the kilometric progressives are all stored as 0: they are sorted by their "
                  "start, and two share the largest start (or, with starts adding up to 0, none "
                  "has an end above 0); give each progressive a start of its own"));
      return;
    }
  }

  // The plan is laid metre by metre in the order of the curve entries: a
  // curve that starts behind the metres already laid begins where they end.
  void curves() {
    constexpr int kStart = field_number(kCurveFields, "s");
    constexpr int kLength = field_number(kCurveFields, "n");
    int64_t cursor = 2;  // the next metre to lay
    const SourceEntry* previous = nullptr;
    for (int i : of_kind(EntryKind::kCurve)) {
      const SourceEntry& e = entry(i);
      const int64_t s = number(e, kStart);
      const int64_t n = number(e, kLength);
      const std::string name = "'" + lower_trimmed(e.keyword) + "'";
      if (n <= 0) {
        add(warning(field(e, kLength), name + " field n: a curve " + metres(n) +
                                           " long lays no curve; give its length"));
      } else if (previous && cursor > s + 1) {
        const int64_t s0 = number(*previous, kStart);
        const int64_t end0 = s0 + number(*previous, kLength);
        std::string message = name + " at " + metres(s);
        if (s < s0)
          message += " is listed after the curve at " + metres(s0) +
                     ", but curves are laid in the order written";
        else if (s < end0)
          message +=
              " starts inside the curve before it (" + metres(s0) + " to " + metres(end0) + ")";
        else
          message += " starts behind the end of the curves before it";
        message += ": the plan is already laid up to metre " + std::to_string(cursor - 1) + ", so ";
        message += s + n < cursor ? std::string("this curve changes nothing")
                                  : "only its last " + metres(s + n - cursor + 1) + " are laid";
        message += s < s0 || s >= end0 ? "; list the curves in increasing order of start"
                                       : "; start it at " + metres(end0) + " or later";
        add(warning(field(e, kStart), message));
      }
      cursor = std::max(cursor, s + 1);
      cursor = std::max(cursor, s + n + 1);
      previous = &e;
    }
  }

  void tunnels() {
    constexpr int kStart = field_number(kTunnelFields, "start");
    constexpr int kEnd = field_number(kTunnelFields, "end");
    constexpr int kType = field_number(kTunnelFields, "type");
    const SourceEntry* previous = nullptr;
    for (int i : of_kind(EntryKind::kTunnel)) {
      const SourceEntry& e = entry(i);
      const int64_t start = number(e, kStart);
      const int64_t end = number(e, kEnd);
      const int64_t type = number(e, kType) > 10 ? number(e, kType) - 10 : number(e, kType);
      const int64_t first = model::stretch_cell(start);
      const int64_t last = static_cast<int64_t>(std::nearbyint(end / 50.0 - 1.0));
      const std::string span = metres(start) + " to " + metres(end);
      if (first > last) {
        add(warning(field(e, kEnd),
                    end < start
                        ? "the tunnel from " + span +
                              " ends before it starts and covers no cell; its end must come "
                              "after its start (are the two swapped?)"
                        : "the tunnel from " + span +
                              " covers no cell: its cells run from round(start / 50) to "
                              "round(end / 50 - 1), here " +
                              std::to_string(first) + " to " + std::to_string(last) +
                              "; make it end at " + metres((first + 1) * 50) + " or later"));
      } else if (previous && start - number(*previous, kEnd) <= 150 && type != 3) {
        const int64_t start0 = number(*previous, kStart);
        const int64_t end0 = number(*previous, kEnd);
        const std::string before = "(" + metres(start0) + " to " + metres(end0) + ")";
        std::string why;
        if (start < start0)
          why = "the tunnel listed before it " + before +
                " lies beyond it, and a tunnel that starts 150 m or less after the end of the "
                "one listed before it gets type 3; list the tunnels in order of position";
        else if (start < end0)
          why = "it overlaps the tunnel before it " + before +
                ", and a tunnel that starts 150 m or less after the end of the previous one "
                "gets type 3; make one tunnel of the two";
        else
          why = "it starts " + metres(start - end0) + " after the end of the tunnel before it " +
                before +
                ", and a tunnel that starts 150 m or less after the previous one gets type 3; "
                "write 3, or leave more than 150 m between them";
        add(stored_otherwise(e, kType, "stored as 3, not " + std::to_string(type) + ": " + why));
      }
      previous = &e;
    }
  }

  void signals() {
    constexpr int kSx = field_number(kSignalFields, "sx");
    constexpr int kTempo = field_number(kSignalFields, "tempo");
    for (int i : of_kind(EntryKind::kSignal)) {
      const SourceEntry& e = entry(i);
      if (number(e, kSx) != 2 && number(e, kTempo) != 0)
        add(stored_otherwise(e, kTempo,
                             "dropped: only a signal with sx = 2 keeps its time (this one has "
                             "sx = " +
                                 std::to_string(number(e, kSx)) + "); set sx to 2, or tempo to 0"));
    }
  }

  void slowdowns() {
    constexpr int kStart = field_number(kSlowdownFields, "start");
    constexpr int kLength = field_number(kSlowdownFields, "length");
    constexpr int kPreWarning = field_number(kSlowdownFields, "f_ta");
    for (int i : of_kind(EntryKind::kSlowdown)) {
      const SourceEntry& e = entry(i);
      const int64_t start = number(e, kStart);
      const int64_t length = number(e, kLength);
      const int64_t s = model::point_cell(start);
      const int64_t end = model::point_cell(start + length);
      if (end < s)
        add(stored_otherwise(e, kLength,
                             "the slowdown ends before it starts (its end cell " +
                                 std::to_string(end) + " lies before its start cell " +
                                 std::to_string(s) + "); give a positive length"));
      else if (end == s)
        add(stored_otherwise(e, kLength,
                             "the slowdown's end falls in its start cell " + std::to_string(s) +
                                 ", which the start takes: it has no end; lengthen it so that its "
                                 "end falls in a later cell"));
      if (start <= 1500 && number(e, kPreWarning) != 0)
        add(stored_otherwise(e, kPreWarning,
                             "dropped: a slowdown starting at 1500 m or less has no warning "
                             "board, and so no pre-warning cells"));
    }
  }

  void stations() {
    constexpr int kKind = field_number(kStationFields, "kind");
    constexpr int kLength = field_number(kStationFields, "length");
    constexpr int kF5 = field_number(kStationFields, "f5");
    constexpr int kF6 = field_number(kStationFields, "f6");
    int n = 0;
    for (int i = 0; i < count(); ++i) {
      if (entry(i).kind != EntryKind::kStation) continue;
      ++n;
      const SourceEntry& e = entry(i);
      if (!usable(e)) continue;
      const int64_t kind = number(e, kKind);
      const int64_t length = number(e, kLength);
      if (number(e, kF5) != 0 && (length < 600 || n == 1))
        add(stored_otherwise(e, kF5,
                             n == 1 ? "stored as 0: the first station does not keep it"
                                    : "stored as 0: only a station 600 m or longer keeps it"));
      if (number(e, kF6) != 0 && kind >= 5 && kind <= 8)
        add(stored_otherwise(e, kF6,
                             "stored as 0, and the platform is not lengthened: stations of kind "
                             "5 to 8 do not keep it"));
      else if (number(e, kF6) != 0 && n == 1)
        add(stored_otherwise(e, kF6,
                             "stored as 0: the first station does not keep it (its platform is "
                             "still lengthened by 50 m)"));
    }
  }

  // The board keeps its two groups' speeds in one number, round(v * 20 +
  // v' / 5): two decimal digits each, in steps of 5 km/h.
  void speed_boards() {
    static constexpr const char* kValues[] = {"value_a", "value_b", "value_c"};
    for (int i : of_kind(EntryKind::kSpeedBoard)) {
      const SourceEntry& e = entry(i);
      for (int k = 0; k < 3; ++k) {
        const int first_field = field_number(kSpeedBoardFields, "vA") + k;    // vA, vB, vC
        const int second_field = field_number(kSpeedBoardFields, "vA'") + k;  // vA', vB', vC'
        const int64_t first = number(e, first_field);
        const int64_t second = number(e, second_field);
        const auto fits = [](int64_t v) { return v >= 0 && v <= 495 && v % 5 == 0; };
        if (fits(first) && fits(second)) continue;
        const int64_t packed =
            static_cast<int64_t>(model::round_half_even(second / 5.0 + first * 20.0));
        std::string how = "board speeds go in steps of 5 from 0 to 495 km/h; " +
                          std::to_string(fits(first) ? second : first) + " km/h makes " +
                          kValues[k] + " " + std::to_string(packed);
        if (packed >= 0)
          how += ", which reads as " + std::to_string(packed / 100 * 5) + " and " +
                 std::to_string(packed % 100 * 5) + " km/h";
        add(stored_otherwise(e, fits(first) ? second_field : first_field, how));
      }
    }
  }

  void abbattimenti() {
    constexpr int kValue = field_number(kAbbattimentoFields, "w");
    for (int i : of_kind(EntryKind::kAbbattimento)) {
      const SourceEntry& e = entry(i);
      if (number(e, kValue) < 0)
        add(stored_otherwise(e, kValue,
                             "dropped: only a value above 0 is kept, so the marker has no "
                             "value; write 0 for a marker without value"));
    }
  }

  // A station's marker takes its cell whatever it holds: a board, signal,
  // slowdown or abbattimento placed there before is lost.
  void replaced_by_station_markers() {
    constexpr int kPosition = field_number(kStationFields, "position");
    for (const SourceRecord::Replacement& r : record_.replaced_cells()) {
      const SourceEntry& e = entry(r.lost);
      const SourceEntry& station = entry(r.by);
      if (station.kind != EntryKind::kStation || !usable(e)) continue;
      switch (e.kind) {
        case EntryKind::kSpeedBoard:
        case EntryKind::kNameBoard:
        case EntryKind::kSignal:
        case EntryKind::kAbbattimento:
        case EntryKind::kSlowdown:
          break;
        default:
          continue;
      }
      Diagnostic d = warning(field(station, kPosition),
                             "the marker of " + describe(station) + " takes cell " +
                                 std::to_string(r.cell) + " from " + describe(e) +
                                 ", which is lost there: a station's marker, in cell "
                                 "round(end / 50 - 1), replaces whatever the cell holds; "
                                 "move one of them");
      d.notes.push_back({e.keyword_at, describe(e) + " stood in cell " + std::to_string(r.cell)});
      add(std::move(d));
    }
  }

  // A cell keeps one repeat code, the one written last: a signal's repeat
  // code and a station's approach code in one cell lose one of the two.
  void replaced_repeat_codes() {
    // The codes signals write 2, 4, 6 and 8 cells before them, and stations
    // into the four cells before their marker, as the builders wrote them.
    std::vector<SourceRecord::RepeatCodeWrite> codes;
    for (const SourceRecord::RepeatCodeWrite& w : record_.repeat_code_writes())
      if (usable(entry(w.entry))) codes.push_back(w);
    std::unordered_map<int64_t, size_t> last_in_cell;
    for (size_t a = 0; a < codes.size(); ++a) last_in_cell[codes[a].cell] = a;
    std::vector<std::pair<int, int>> told;  // (entry, the entry that replaced its code)
    for (const SourceRecord::RepeatCodeWrite& lost : codes) {
      const SourceRecord::RepeatCodeWrite& last = codes[last_in_cell[lost.cell]];
      if (last.entry == lost.entry || last.code == lost.code) continue;
      // Signals a few cells apart share their repeat cells by design of
      // their spacing; a station's approach codes are another thing.
      if (entry(lost.entry).kind != EntryKind::kStation &&
          entry(last.entry).kind != EntryKind::kStation)
        continue;
      if (!model_.valid_cell(lost.cell) ||
          model_.cell(static_cast<int32_t>(lost.cell)).repeat_code != last.code)
        continue;
      if (std::find(told.begin(), told.end(), std::pair{lost.entry, last.entry}) != told.end())
        continue;
      told.emplace_back(lost.entry, last.entry);
      const SourceEntry& e = entry(lost.entry);
      const SourceEntry& other = entry(last.entry);
      // Both a signal's and a station's first field is its position.
      static_assert(field_number(kSignalFields, "p") == 1 &&
                    field_number(kStationFields, "position") == 1);
      Diagnostic d = warning(field(e, 1), "the repeat code " + std::to_string(lost.code) + " of " +
                                              describe(e) + " in cell " +
                                              std::to_string(lost.cell) + " is replaced by the " +
                                              std::to_string(last.code) + " of " + describe(other) +
                                              ": a cell keeps one repeat code, the one written "
                                              "last; move one of them");
      d.notes.push_back({other.keyword_at, describe(other) + " writes " +
                                               std::to_string(last.code) + " into cell " +
                                               std::to_string(lost.cell)});
      add(std::move(d));
    }
  }

  // In the order of the sources, at most kMostWarnings a file.
  std::vector<Diagnostic> finish() {
    std::stable_sort(out_.begin(), out_.end(), [](const Diagnostic& a, const Diagnostic& b) {
      if (a.at.file != b.at.file) return a.at.file == model::FileKind::kLineSource;
      return a.at.offset < b.at.offset;
    });
    std::vector<Diagnostic> kept;
    size_t in_file = 0;
    for (size_t i = 0; i < out_.size(); ++i) {
      in_file = i > 0 && out_[i].at.file == out_[i - 1].at.file ? in_file + 1 : 1;
      if (in_file <= kMostWarnings) kept.push_back(std::move(out_[i]));
      if (in_file == kMostWarnings + 1)
        kept.push_back(warning(out_[i].at, "more warnings in this file are not shown"));
    }
    return kept;
  }

  const SourceRecord& record_;
  const model::Scenario& model_;
  const std::vector<Diagnostic>& found_;
  std::vector<Diagnostic> out_;
};

}  // namespace

void HeadScan::look_at(std::string_view field, const Location& at) {
  const std::string t = lower_trimmed(field);
  // A comment is no near miss, whatever it says.
  if (t.empty() || t[0] == '-') return;
  for (const KeywordReference& r : keyword_references())
    if (r.file == file_)
      for (size_t v = 0; v < std::max<size_t>(1, r.variants.size()); ++v)
        if (keyword_matches(r, field, v)) {
          if (keywords_.size() < kMostWarnings) keywords_.push_back({std::string(field), at});
          return;
        }
  size_t d = edit_distance(t, kHeader, kHeaderSlip);
  if (d > kHeaderSlip && t.find("general") != std::string::npos) d = kHeaderSlip;
  if (d <= kHeaderSlip && (!likest_header_ || d < likest_distance_)) {
    likest_header_ = Field{std::string(field), at};
    likest_distance_ = d;
  }
}

std::vector<Diagnostic> HeadScan::passed_over() const {
  std::vector<Diagnostic> found;
  for (const Field& k : keywords_)
    found.push_back(warning(k.at, "'" + lower_trimmed(k.text) +
                                      "' stands before '[generale]' and is passed over with its "
                                      "values: entries are read only after it; move it below "
                                      "'[generale]'"));
  return found;
}

std::optional<Note> HeadScan::likest_header() const {
  if (!likest_header_) return std::nullopt;
  return Note{likest_header_->at, "'" + lower_trimmed(likest_header_->text) +
                                      "' is most likely it: write '[generale]'"};
}

Diagnostic HeadScan::missing_header() const {
  const std::string what =
      "no field holds '[generale]', so nothing in this file is read: no speeds, stations, "
      "signals or slowdowns";
  if (const std::optional<Note> like = likest_header())
    return warning(like->at, what + "; " + like->message);
  return warning(Location::whole_file(file_), what + "; put '[generale]' before the first entry");
}

std::vector<Diagnostic> entry_warnings(const SourceRecord& record, const model::Scenario& model,
                                       const std::vector<Diagnostic>& found) {
  return Checks(record, model, found).run();
}

}  // namespace compiler
