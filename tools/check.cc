#include "tools/check.h"

#include <algorithm>

#include "compiler/compile.h"
#include "compiler/field_reader.h"
#include "compiler/keyword.h"
#include "compiler/read_failure.h"
#include "model/file_names.h"
#include "model/rounding.h"
#include "model/status_codes.h"
#include "platform/cp1252.h"
#include "platform/mem_env.h"
#include "run/run.h"
#include "tools/decode.h"

namespace tools {
namespace {

using compiler::contains;
using compiler::contains_ignoring_case;
using model::FileKind;
namespace status = model::status;

constexpr char kMemoryFolder[] = "/check";

bool is_utf8_continuation(char c) { return (static_cast<unsigned char>(c) & 0xC0) == 0x80; }

// One source as the parsers see it: its text, decoded from Windows-1252, split
// at the same line ends as the field reader splits it.
class Source {
 public:
  Source(std::string path, const std::optional<std::string>& bytes) : path_(std::move(path)) {
    if (!bytes) return;
    if (platform::from_cp1252(*bytes, &text_)) text_ = *bytes;
    size_t start = 0;
    for (size_t i = 0; i < text_.size(); ++i) {
      if (text_[i] != '\r' && text_[i] != '\n') continue;
      starts_.push_back(start);
      lines_.push_back(text_.substr(start, i - start));
      if (text_[i] == '\r' && i + 1 < text_.size() && text_[i + 1] == '\n') ++i;
      start = i + 1;
    }
    if (start < text_.size()) {
      starts_.push_back(start);
      lines_.push_back(text_.substr(start));
    }
  }

  const std::string& path() const { return path_; }
  const std::string& text() const { return text_; }
  const std::vector<std::string>& lines() const { return lines_; }
  bool has_line(int line) const { return line >= 1 && static_cast<size_t>(line) <= lines_.size(); }
  const std::string& line(int line) const { return lines_[static_cast<size_t>(line) - 1]; }
  // The byte offset of a 1-based line and byte column.
  size_t offset(int line, int column) const {
    return starts_[static_cast<size_t>(line) - 1] + static_cast<size_t>(column) - 1;
  }

 private:
  std::string path_;
  std::string text_;
  std::vector<size_t> starts_;
  std::vector<std::string> lines_;
};

// An entry of a source found line by line: the keyword is the first
// comma-separated field of a line, the numbers the fields after it up to the
// first that is not one. Enough to name the entries behind a cell; the faults
// themselves are located by the parsers.
struct Entry {
  FileKind file = FileKind::kLineSource;
  std::string keyword;
  int line = 0;
  int column = 0;  // in bytes, as the parsers count
  std::vector<long> numbers;
};

std::vector<Entry> scan_entries(const Source& source, FileKind file) {
  std::vector<Entry> entries;
  for (size_t i = 0; i < source.lines().size(); ++i) {
    const std::string& l = source.lines()[i];
    const size_t comma = l.find(',');
    const size_t first = l.find_first_not_of(" \t");
    if (comma == std::string::npos || first == std::string::npos || first >= comma) continue;
    Entry e;
    e.file = file;
    e.keyword = l.substr(first, comma - first);
    e.line = static_cast<int>(i) + 1;
    e.column = static_cast<int>(first) + 1;
    for (size_t pos = comma; pos != std::string::npos; pos = l.find(',', pos + 1)) {
      const std::string field = l.substr(pos + 1, l.find(',', pos + 1) - pos - 1);
      const size_t digits = field.find_first_not_of(" \t");
      if (digits == std::string::npos) break;
      size_t used = 0;
      try {
        e.numbers.push_back(std::stol(field.substr(digits), &used));
      } catch (...) {
        break;
      }
      if (field.find_first_not_of(" \t", digits + used) != std::string::npos) break;
    }
    entries.push_back(std::move(e));
  }
  return entries;
}

// The cells a slowdown entry claims (inizio, v, l, f_tt, f_ta, d_v).
struct SlowdownCells {
  int64_t start = 0, end = 0;
  bool has_board = false;
  int64_t board = 0;
  int64_t pre_warning_last = 0;  // the four cells up to this one, when f_ta is nonzero
  bool has_pre_warning = false;
};

SlowdownCells slowdown_cells(const Entry& e) {
  SlowdownCells s;
  const long inizio = e.numbers[0];
  s.start = model::point_cell(inizio);
  s.end = e.numbers.size() > 2 ? model::point_cell(inizio + e.numbers[2]) : s.start;
  s.has_board = inizio > 1500;
  if (s.has_board) s.board = model::point_cell(inizio - 1200);
  s.has_pre_warning = s.has_board && e.numbers.size() > 4 && e.numbers[4] != 0;
  if (s.has_pre_warning) s.pre_warning_last = model::stretch_cell(inizio - 1200);
  return s;
}

std::string metres(long m) { return std::to_string(m) + " m"; }

class Locator {
 public:
  explicit Locator(const CheckInput& in)
      : line_(path(in, FileKind::kLineSource), in.line_source_bytes),
        train_(path(in, FileKind::kTrainSource), in.train_source_bytes),
        line_entries_(scan_entries(line_, FileKind::kLineSource)),
        train_entries_(scan_entries(train_, FileKind::kTrainSource)) {}

  const Source& source(FileKind file) const {
    return file == FileKind::kTrainSource ? train_ : line_;
  }
  const std::vector<Entry>& entries(FileKind file) const {
    return file == FileKind::kTrainSource ? train_entries_ : line_entries_;
  }

  // A diagnostic at a byte column of a line; it reports the column in
  // characters, as an editor shows it. A line the source does not have
  // leaves the file alone.
  Diagnostic at(FileKind file, int line, int column, std::string message) const {
    const Source& s = source(file);
    Diagnostic d;
    d.file = s.path();
    if (s.has_line(line)) {
      d.line = line;
      d.source_line = s.line(line);
      int characters = 1;
      for (int i = 0; i + 1 < column && static_cast<size_t>(i) < d.source_line.size(); ++i)
        if (!is_utf8_continuation(d.source_line[static_cast<size_t>(i)])) ++characters;
      d.column = characters;
    }
    d.message = std::move(message);
    return d;
  }
  Diagnostic at(const compiler::SourcePosition& p, std::string message) const {
    return at(p.file, p.line, p.column, std::move(message));
  }
  Diagnostic at(const Entry& e, std::string message) const {
    return at(e.file, e.line, e.column, std::move(message));
  }
  Diagnostic file_only(FileKind file, std::string message) const {
    return at(file, 0, 0, std::move(message));
  }

  // Where the n-th number after the keyword of the entry at `p` starts, read
  // with the parsers' own field reader; `p` itself when it cannot be found.
  compiler::SourcePosition number_field(const compiler::SourcePosition& p, int n) const {
    const Source& s = source(p.file);
    if (!s.has_line(p.line) || n < 1) return p;
    compiler::FieldReader reader(std::string_view(s.text()).substr(s.offset(p.line, p.column)));
    try {
      reader.read_text();
      for (int i = 0; i < n; ++i) reader.read_long();
    } catch (const compiler::ReadFailure&) {
      return p;
    }
    compiler::SourcePosition field = p;
    field.line = p.line + reader.field_line() - 1;
    field.column =
        reader.field_line() == 1 ? p.column + reader.field_column() - 1 : reader.field_column();
    return field;
  }

  // The entry that put what cell `c` holds there, and what it is.
  struct Claim {
    const Entry* entry = nullptr;
    std::string what;
  };
  Claim claim(const model::Scenario& m, int64_t c) const {
    if (!m.valid_cell(c)) return {nullptr, "lies outside the cell track"};
    const model::Cell& cell = m.cell(static_cast<int32_t>(c));
    if (model::is_free(cell)) return {nullptr, "is free"};
    auto find = [&](FileKind file, auto matches) -> const Entry* {
      for (const Entry& e : entries(file))
        if (!e.numbers.empty() && matches(e)) return &e;
      return nullptr;
    };
    auto keyword = [](const Entry& e, const char* word) {
      return contains_ignoring_case(e.keyword, word);
    };
    switch (cell.kind) {
      case model::kind::kSignal:
        if (const Entry* e = find(FileKind::kTrainSource, [&](const Entry& e) {
              return keyword(e, "segnale") && model::point_cell(e.numbers[0]) == c;
            }))
          return {e, "is taken by the signal at " + metres(e->numbers[0])};
        break;
      case model::kind::kSlowdownEnd:
      case model::kind::kSlowdownStart:
      case model::kind::kWarningBoard:
      case model::kind::kPreWarning: {
        static constexpr const char* kParts[] = {"end", "start", "warning board", "pre-warning"};
        const char* part = kParts[cell.kind - model::kind::kSlowdownEnd];
        if (const Entry* e = find(FileKind::kTrainSource, [&](const Entry& e) {
              if (!keyword(e, "rallentamento")) return false;
              const SlowdownCells s = slowdown_cells(e);
              switch (cell.kind) {
                case model::kind::kSlowdownEnd:
                  return s.end == c;
                case model::kind::kSlowdownStart:
                  return s.start == c;
                case model::kind::kWarningBoard:
                  return s.has_board && s.board == c;
                default:
                  return s.has_pre_warning && c <= s.pre_warning_last && c > s.pre_warning_last - 4;
              }
            }))
          return {e, "is taken by the " + std::string(part) + " of the slowdown at " +
                         metres(e->numbers[0])};
        return {nullptr, "holds a slowdown " + std::string(part)};
      }
      case model::kind::kSpeedBoard:
        if (const Entry* e = find(FileKind::kLineSource, [&](const Entry& e) {
              return keyword(e, "indicatori_v") && model::point_cell(e.numbers[0]) == c;
            }))
          return {e, "is taken by the maximum-speed board at " + metres(e->numbers[0])};
        break;
      case model::kind::kNameBoard:
        if (const Entry* e = find(FileKind::kLineSource, [&](const Entry& e) {
              return keyword(e, "cartello") && keyword(e, "indicat") &&
                     model::point_cell(e.numbers[0]) == c;
            }))
          return {e, "is taken by the name board at " + metres(e->numbers[0])};
        break;
      case model::kind::kStationMarker: {
        // The marker holds the station's number: the n-th station entry.
        int n = 0;
        const std::string name = cell.value_a >= 1 && cell.value_a <= model::kFirstSignTextRecord
                                     ? m.service_table[static_cast<size_t>(cell.value_a)].text
                                     : std::string();
        if (const Entry* e = find(FileKind::kTrainSource, [&](const Entry& e) {
              return keyword(e, "stazione") && ++n == cell.value_a;
            }))
          return {e,
                  "is taken by the marker of the station " + name + " at " + metres(e->numbers[0])};
        return {nullptr, "holds the marker of station " + std::to_string(cell.value_a)};
      }
      case model::kind::kMarker:
      case model::kind::kAbbattimento:
        if (const Entry* e = find(FileKind::kTrainSource, [&](const Entry& e) {
              return keyword(e, "abbattimento") && model::stretch_cell(e.numbers[0]) == c;
            }))
          return {e, "is taken by the abbattimento at " + metres(e->numbers[0])};
        if (cell.kind == model::kind::kMarker)
          return {nullptr, "holds a marker placed for another slowdown"};
        break;
    }
    return {nullptr, "holds a " + kind_name(cell.kind)};
  }

  // "cell N <claim>", at the entry that took the cell when there is one.
  Diagnostic cell_note(const model::Scenario& m, int64_t c, const std::string& prefix = "") const {
    const Claim who = claim(m, c);
    std::string message = "cell " + std::to_string(c) + prefix + " " + who.what;
    if (who.entry) return at(*who.entry, message);
    Diagnostic d;
    d.message = message;
    return d;
  }

 private:
  static std::string path(const CheckInput& in, FileKind kind) {
    model::Scenario names;
    names.scenario_name = in.scenario_name;
    names.train_number = in.train_number;
    return model::file_path(in.folder, kind, names);
  }

  Source line_, train_;
  std::vector<Entry> line_entries_, train_entries_;
};

bool all_taken(const model::Scenario& m, std::initializer_list<int64_t> cells) {
  return std::none_of(cells.begin(), cells.end(), [&](int64_t c) {
    return m.valid_cell(c) && model::is_free(m.cell(static_cast<int32_t>(c)));
  });
}

// The post-processing codes: the entry behind the marker that had no room, the
// other entries involved and what takes each candidate cell.
void locate_marker_fault(CheckReport& r, const model::Scenario& m, const Locator& where,
                         const std::string& message) {
  const int64_t cell = m.error_position / 50;
  const std::vector<Entry>& train = where.entries(FileKind::kTrainSource);
  auto is_signal = [](const Entry& e) {
    return !e.numbers.empty() && contains_ignoring_case(e.keyword, "segnale");
  };
  auto is_slowdown = [](const Entry& e) {
    return !e.numbers.empty() && contains_ignoring_case(e.keyword, "rallentamento");
  };
  auto cells_before = [&](int64_t c, int64_t from, const std::string& of) {
    for (int64_t before : {from, from + 1})
      r.notes.push_back(
          where.cell_note(m, c - before, ", " + metres(before * 50) + " before " + of + ","));
  };

  if (r.status == status::kNoRoomBeforeSignal) {
    // Rule 1: the signal in `cell`, up to 20 cells before a warning board.
    for (const Entry& e : train)
      if (is_signal(e) && model::point_cell(e.numbers[0]) == cell && !r.error)
        r.error = where.at(e, message);
    for (const Entry& e : train) {
      if (!is_slowdown(e)) continue;
      const SlowdownCells s = slowdown_cells(e);
      if (s.has_board && s.board > cell && s.board - cell <= 20)
        r.notes.push_back(where.at(e, "the slowdown at " + metres(e.numbers[0]) +
                                          " has its warning board in cell " +
                                          std::to_string(s.board) + ", " +
                                          metres((s.board - cell) * 50) + " after the signal"));
    }
    cells_before(cell, 1, "the signal");
  } else if (r.status == status::kNoRoomBeforeSlowdown) {
    // Rule 2: the slowdown starting in `cell`; the groups with no free cell.
    for (const Entry& e : train)
      if (is_slowdown(e) && slowdown_cells(e).start == cell && !r.error)
        r.error = where.at(e, message);
    for (int64_t group : {5, 11, 18}) {
      if (cell <= group + 2 || !all_taken(m, {cell - group, cell - group - 1, cell - group - 2}))
        continue;
      for (int64_t before = group; before <= group + 2; ++before)
        r.notes.push_back(
            where.cell_note(m, cell - before, ", " + metres(before * 50) + " before the start,"));
    }
  } else {
    // Rule 3 (a marker inside the slowdown, around `cell`) or rule 4 (before
    // the first signal after the slowdown that ends in `cell`).
    const Entry* slowdown = nullptr;
    for (const Entry& e : train) {
      if (!is_slowdown(e)) continue;
      const SlowdownCells s = slowdown_cells(e);
      if (s.start < cell && cell <= std::max(s.end, s.start) + 1 && !slowdown) slowdown = &e;
    }
    if (slowdown) r.error = where.at(*slowdown, message);
    // Only a slowdown slower than 110 km/h gets markers inside it.
    const bool slow = slowdown && slowdown->numbers.size() > 1 && slowdown->numbers[1] < 110;
    if (slow && all_taken(m, {cell - 1, cell, cell + 1}))
      for (int64_t c : {cell, cell - 1, cell + 1})
        r.notes.push_back(where.cell_note(m, c, ", a place for the marker inside the slowdown,"));
    if (slowdown && slowdown_cells(*slowdown).end == cell) {
      for (int64_t s = cell; s <= cell + 12 && m.valid_cell(s); ++s) {
        if (m.cell(static_cast<int32_t>(s)).kind != model::kind::kSignal) continue;
        if (all_taken(m, {s - 1, s - 2})) {
          const Diagnostic signal = where.cell_note(m, s);
          Diagnostic d = signal;
          d.message = "the first signal after the slowdown stands in cell " + std::to_string(s);
          r.notes.push_back(d);
          cells_before(s, 1, "that signal");
        }
        break;
      }
    }
  }
  if (!r.error) r.error = where.file_only(FileKind::kTrainSource, message);
}

// `text` with the names of the in-memory copies replaced by the sources'
// names in FOLDER.
std::string real_paths(std::string text, const CheckInput& in) {
  model::Scenario names;
  names.scenario_name = in.scenario_name;
  names.train_number = in.train_number;
  for (FileKind kind : {FileKind::kLineSource, FileKind::kTrainSource}) {
    const std::string copy = model::file_path(kMemoryFolder, kind, names);
    const std::string real = model::file_path(in.folder, kind, names);
    for (size_t at = text.find(copy); at != std::string::npos;
         at = text.find(copy, at + real.size()))
      text.replace(at, copy.size(), real);
  }
  return text;
}

// Which number of its entry a status found at fault; 0 for the keyword.
int faulty_number(int32_t code) {
  switch (code) {
    case status::kLineTooLong:
    case status::kRepeatFirstNotMultiple:
    case status::kNameBoardCellTaken:
    case status::kAbbattimentoCellTaken:
    case status::kStationNotMultiple:
    case status::kOutOfRange:
    case status::kSignalCellTaken:
    case status::kWarningCellTaken:
    case status::kSlowdownStartTaken:
    case status::kSlowdownEndTaken:
    case status::kPreWarningTaken:
    case status::kSpeedBoardCellTaken:
    case status::kStationsTooClose:
      return 1;  // the position (or the length of the line)
    case status::kRepeatSecondNotMultiple:
      return 2;
    case status::kStationLengthNotMultiple:
      return 3;  // position, kind, length
    default:
      return 0;
  }
}

// The line pass alone, for a range-rule refusal in the line source: the train
// pass then stops at its first signal or slowdown with the status still set,
// and the entry at fault would be lost.
std::optional<std::pair<compiler::SourcePosition, int32_t>> line_pass_refusal(
    const CheckInput& in) {
  if (!in.line_source_bytes) return std::nullopt;
  platform::MemEnv env;
  model::Scenario m;
  m.scenario_name = in.scenario_name;
  m.train_number = in.train_number;
  m.write_line_file = 1;
  env.files()[model::file_path(kMemoryFolder, FileKind::kLineSource, m)] = *in.line_source_bytes;
  compiler::ParseState state;
  try {
    compiler::parse_line_source(m, env, kMemoryFolder, state);
  } catch (const compiler::ReadFailure&) {
    return std::nullopt;
  }
  if (m.status_code != status::kOutOfRange) return std::nullopt;
  return std::make_pair(state.entry, m.error_position);
}

// The kilometric progressive entries (first or second number not a multiple
// of 50) behind status 2.
void locate_progressives(CheckReport& r, const Locator& where, const std::string& message) {
  for (const Entry& e : where.entries(FileKind::kLineSource)) {
    if (!contains(e.keyword, "progressiva") || e.numbers.size() < 2) continue;
    for (int n : {1, 2}) {
      if (e.numbers[static_cast<size_t>(n) - 1] % 50 == 0) continue;
      const compiler::SourcePosition field =
          where.number_field({FileKind::kLineSource, e.line, e.column}, n);
      Diagnostic d = where.at(field, message);
      if (!r.error)
        r.error = d;
      else
        r.notes.push_back(where.at(field, "also not a multiple of 50"));
    }
  }
  if (!r.error) r.error = where.file_only(FileKind::kLineSource, message);
}

}  // namespace

MemoryCompile compile_in_memory(const CheckInput& in) {
  platform::MemEnv env;
  MemoryCompile result;
  model::Scenario& m = result.model;
  m.scenario_name = in.scenario_name;
  m.train_number = in.train_number;
  if (in.line_source_bytes)
    env.files()[model::file_path(kMemoryFolder, FileKind::kLineSource, m)] = *in.line_source_bytes;
  if (in.train_source_bytes)
    env.files()[model::file_path(kMemoryFolder, FileKind::kTrainSource, m)] =
        *in.train_source_bytes;
  std::unique_ptr<platform::Ui> ui = platform::make_silent_ui();
  try {
    run::memorizza_percorso(m, env, *ui, kMemoryFolder, 1, &result.state);
    result.code = m.status_code;
  } catch (const run::RunEnded& ended) {
    result.ended_by_errore = true;
    result.code = ended.code;
  }
  return result;
}

CheckReport check_scenario(const CheckInput& in) {
  MemoryCompile compiled = compile_in_memory(in);
  const model::Scenario& m = compiled.model;
  const compiler::ParseState& state = compiled.state;
  CheckReport r;
  r.ended_by_errore = compiled.ended_by_errore;
  r.status = compiled.code;
  const status::Info& info = status::info(r.status);
  r.meaning = std::string(info.text);
  if (info.has_position && !r.ended_by_errore) r.position = m.error_position;
  if (r.status == status::kOk) return r;

  Locator where(in);
  std::string message = r.meaning + " (status " + std::to_string(r.status);
  if (r.position) message += ", at " + metres(*r.position);
  message += ")";
  switch (r.status) {
    case status::kNoRoomBeforeSignal:
    case status::kNoRoomBeforeSlowdown:
    case status::kNoRoomInsideSlowdown:
      locate_marker_fault(r, m, where, message);
      break;
    case status::kReservedSlotA:
    case status::kReservedSlotB: {
      // The slot is cell 1: point at the entry that put something there.
      r.error = Diagnostic{};
      r.error->message = message;
      if (m.valid_cell(1) && !model::is_free(m.cell(1))) {
        Diagnostic cell = where.cell_note(m, 1);
        if (cell.line > 0) {
          const Locator::Claim who = where.claim(m, 1);
          r.error =
              where.at(where.number_field({who.entry->file, who.entry->line, who.entry->column}, 1),
                       message);
        }
        cell.file.clear();
        cell.line = 0;
        r.notes.push_back(cell);
      }
      break;
    }
    case status::kNoLineSource:
    case status::kNoGeneralSection:
      r.error = where.file_only(FileKind::kLineSource, message);
      break;
    case status::kProgressiveNotMultiple:
      locate_progressives(r, where, message);
      break;
    case status::kReadFailure: {
      if (!state.failure_text.empty()) message += ": " + real_paths(state.failure_text, in);
      // A read past the end of the file has no line of its own: the entry
      // that was cut short is the one to show.
      compiler::SourcePosition p = state.failure;
      if (!where.source(p.file).has_line(p.line) && state.entry.file == p.file) p = state.entry;
      r.error = where.at(p, message);
      break;
    }
    case status::kOutOfRange:
      if (state.entry.file == FileKind::kTrainSource) {
        if (auto refused = line_pass_refusal(in)) {
          // The line source was refused first; the train pass only stopped at
          // its first signal or slowdown because the status was still set.
          std::string first = r.meaning + " (status 15, at " + metres(refused->second) + ")";
          r.error = where.at(where.number_field(refused->first, 1), first);
          if (*r.position != refused->second)
            r.notes.push_back(where.at(state.entry,
                                       "the train pass went on with the status set and stopped "
                                       "here; the compile records this entry's position, " +
                                           metres(*r.position)));
          break;
        }
      }
      r.error = where.at(where.number_field(state.entry, 1), message);
      break;
    default:
      r.error = where.at(where.number_field(state.entry, faulty_number(r.status)), message);
  }
  return r;
}

std::string report_text(const CheckReport& r) {
  if (r.status == 0) return "no fault (status 0)\n";
  std::string out;
  auto emit = [&](const Diagnostic& d, const char* severity) {
    if (!d.file.empty()) {
      out += d.file;
      if (d.line > 0) out += ":" + std::to_string(d.line) + ":" + std::to_string(d.column);
      out += ": ";
    }
    out += severity;
    out += ": " + d.message + "\n";
    if (d.line > 0) {
      out += d.source_line + "\n";
      // One blank per character before the column; tabs kept, so that the
      // caret lines up in a terminal too.
      std::string caret;
      int characters = 1;
      for (char c : d.source_line) {
        if (characters >= d.column) break;
        if (is_utf8_continuation(c)) continue;
        caret += c == '\t' ? '\t' : ' ';
        ++characters;
      }
      out += caret + "^\n";
    }
  };
  if (r.error) emit(*r.error, "error");
  for (const Diagnostic& d : r.notes) emit(d, "note");
  return out;
}

nlohmann::json report_json(const CheckReport& r) {
  auto diag = [](const Diagnostic& d) {
    nlohmann::json j = {{"message", d.message}};
    j["file"] = d.file.empty() ? nlohmann::json(nullptr) : nlohmann::json(d.file);
    j["line"] = d.line ? nlohmann::json(d.line) : nlohmann::json(nullptr);
    j["column"] = d.line ? nlohmann::json(d.column) : nlohmann::json(nullptr);
    j["source_line"] = d.line ? nlohmann::json(d.source_line) : nlohmann::json(nullptr);
    return j;
  };
  nlohmann::json j = {
      {"status", r.status},
      {"position", r.position ? nlohmann::json(*r.position) : nlohmann::json(nullptr)},
      {"message", r.meaning},
      {"ended_by_errore", r.ended_by_errore}};
  j["error"] = r.error ? diag(*r.error) : nlohmann::json(nullptr);
  j["notes"] = nlohmann::json::array();
  for (const Diagnostic& d : r.notes) j["notes"].push_back(diag(d));
  return j;
}

}  // namespace tools
