#include "tools/check.h"

#include <algorithm>
#include <cctype>

#include "compiler/compile.h"
#include "model/file_names.h"
#include "model/rounding.h"
#include "model/status_codes.h"
#include "platform/cp1252.h"
#include "platform/mem_env.h"
#include "run/run.h"
#include "tools/decode.h"

namespace tools {
namespace {

constexpr char kMemoryFolder[] = "/check";

class SilentUi final : public platform::Ui {
 public:
  void show_waiting(std::string_view) override {}
  void close_waiting() override {}
  void message_box(std::string_view) override {}
};

// The source's text as the compiler sees it, split at the same line ends.
std::vector<std::string> source_lines(const std::optional<std::string>& bytes) {
  std::vector<std::string> lines;
  if (!bytes) return lines;
  std::string text;
  if (platform::from_cp1252(*bytes, &text)) text = *bytes;
  size_t start = 0;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r' || text[i] == '\n') {
      lines.push_back(text.substr(start, i - start));
      if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
      start = i + 1;
    }
  }
  if (start < text.size()) lines.push_back(text.substr(start));
  return lines;
}

std::string lower(std::string s) {
  for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return s;
}

// A signal or slowdown entry of the train source and the cells it claims.
struct Entry {
  bool signal = false;
  int line = 0;
  int column = 0;
  int64_t first_cell = 0;  // signal cell, or slowdown warning board (or start)
  int64_t start_cell = 0;
  int64_t end_cell = 0;
};

// Finds the signal and slowdown entries line by line; enough to name the
// entries behind a marker the post-processing could not place.
std::vector<Entry> train_entries(const std::vector<std::string>& lines) {
  std::vector<Entry> entries;
  for (size_t i = 0; i < lines.size(); ++i) {
    const std::string& l = lines[i];
    size_t comma = l.find(',');
    if (comma == std::string::npos) continue;
    std::string keyword = lower(l.substr(0, comma));
    bool signal = keyword.find("segnale") != std::string::npos;
    bool slowdown = keyword.find("rallentamento") != std::string::npos;
    if (!signal && !slowdown) continue;
    std::vector<long> numbers;
    for (size_t pos = comma; pos != std::string::npos && numbers.size() < 3;
         pos = l.find(',', pos + 1)) {
      try {
        numbers.push_back(std::stol(l.substr(pos + 1)));
      } catch (...) {
        break;
      }
    }
    if (numbers.empty()) continue;
    Entry e;
    e.signal = signal;
    e.line = static_cast<int>(i) + 1;
    e.column = static_cast<int>(l.find_first_not_of(" \t")) + 1;
    e.start_cell = model::point_cell(numbers[0]);
    e.first_cell = e.start_cell;
    if (slowdown && numbers.size() >= 3) {
      e.end_cell = model::point_cell(numbers[0] + numbers[2]);
      if (numbers[0] > 1500) e.first_cell = model::point_cell(numbers[0] - 1200);
    }
    entries.push_back(e);
  }
  return entries;
}

class Locator {
 public:
  Locator(const CheckInput& in) : in_(in) {
    model::Scenario names;
    names.scenario_name = in.scenario_name;
    names.train_number = in.train_number;
    line_path_ = model::file_path(in.folder, model::FileKind::kLineSource, names);
    train_path_ = model::file_path(in.folder, model::FileKind::kTrainSource, names);
    line_lines_ = source_lines(in.line_source_bytes);
    train_lines_ = source_lines(in.train_source_bytes);
  }

  Diagnostic at(model::FileKind file, int line, int column, std::string message) const {
    Diagnostic d;
    bool train = file == model::FileKind::kTrainSource;
    d.file = train ? train_path_ : line_path_;
    const auto& lines = train ? train_lines_ : line_lines_;
    if (line >= 1 && static_cast<size_t>(line) <= lines.size()) {
      d.line = line;
      d.column = std::max(column, 1);
      d.source_line = lines[static_cast<size_t>(line) - 1];
    }
    d.message = std::move(message);
    return d;
  }
  Diagnostic file_only(model::FileKind file, std::string message) const {
    return at(file, 0, 0, std::move(message));
  }
  const std::vector<std::string>& train_lines() const { return train_lines_; }

 private:
  const CheckInput& in_;
  std::string line_path_, train_path_;
  std::vector<std::string> line_lines_, train_lines_;
};

std::string cell_note(const model::Scenario& m, int64_t cell) {
  if (!m.valid_cell(cell)) return "cell " + std::to_string(cell) + " lies outside the cell track";
  return "cell " + std::to_string(cell) + " (" + std::to_string(cell * 50) + " m) holds a " +
         kind_name(m.cell(static_cast<int32_t>(cell)).kind);
}

void add_cell_notes(CheckReport& r, const model::Scenario& m,
                    std::initializer_list<int64_t> cells) {
  for (int64_t c : cells) {
    Diagnostic d;
    d.message = cell_note(m, c);
    r.notes.push_back(d);
  }
}

// The post-processing codes: name the entries and cells involved.
void locate_marker_fault(CheckReport& r, const model::Scenario& m, const Locator& where,
                         const std::string& message) {
  const int64_t cell = m.error_position / 50;
  std::vector<Entry> entries = train_entries(where.train_lines());
  auto entry_note = [&](const Entry& e, const std::string& text) {
    return where.at(model::FileKind::kTrainSource, e.line, e.column, text);
  };
  if (r.status == model::status::kNoRoomBeforeSignal) {
    for (const Entry& e : entries)
      if (e.signal && e.start_cell == cell) r.error = entry_note(e, message);
    for (const Entry& e : entries)
      if (!e.signal && e.first_cell > cell && e.first_cell - cell <= 20)
        r.notes.push_back(entry_note(
            e, "the slowdown whose warning board stands in cell " + std::to_string(e.first_cell)));
    add_cell_notes(r, m, {cell - 1, cell - 2});
  } else if (r.status == model::status::kNoRoomBeforeSlowdown) {
    for (const Entry& e : entries)
      if (!e.signal && e.start_cell == cell) r.error = entry_note(e, message);
    for (int64_t group : {5, 11, 18})
      if (cell > group + 2)
        add_cell_notes(r, m, {cell - group, cell - group - 1, cell - group - 2});
  } else {
    for (const Entry& e : entries)
      if (!e.signal && e.start_cell < cell && cell <= std::max(e.end_cell, e.start_cell) + 1)
        r.error = entry_note(e, message);
    for (const Entry& e : entries)
      if (e.signal && e.start_cell > cell && e.start_cell - cell <= 13)
        r.notes.push_back(entry_note(e, "the first signal after the slowdown"));
    add_cell_notes(r, m, {cell - 1, cell, cell + 1});
  }
  if (!r.error) r.error = where.file_only(model::FileKind::kTrainSource, message);
}

}  // namespace

MemoryCompile compile_in_memory(const CheckInput& in) {
  platform::MemEnv env;
  MemoryCompile result;
  model::Scenario& m = result.model;
  m.scenario_name = in.scenario_name;
  m.train_number = in.train_number;
  if (in.line_source_bytes)
    env.files()[model::file_path(kMemoryFolder, model::FileKind::kLineSource, m)] =
        *in.line_source_bytes;
  if (in.train_source_bytes)
    env.files()[model::file_path(kMemoryFolder, model::FileKind::kTrainSource, m)] =
        *in.train_source_bytes;
  SilentUi ui;
  try {
    run::memorizza_percorso(m, env, ui, kMemoryFolder, 1, &result.state);
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
  const model::status::Info& info = model::status::info(r.status);
  r.meaning = std::string(info.text);
  if (info.has_position && !r.ended_by_errore) r.position = m.error_position;
  if (r.status == model::status::kOk) return r;

  Locator where(in);
  std::string message = r.meaning + " (status " + std::to_string(r.status);
  if (r.position) message += ", at " + std::to_string(*r.position) + " m";
  message += ")";
  switch (r.status) {
    case model::status::kNoRoomBeforeSignal:
    case model::status::kNoRoomBeforeSlowdown:
    case model::status::kNoRoomInsideSlowdown:
      locate_marker_fault(r, m, where, message);
      break;
    case model::status::kReservedSlotA:
    case model::status::kReservedSlotB:
      r.error = where.file_only(model::FileKind::kLineSource, message);
      r.error->file.clear();
      break;
    case model::status::kNoLineSource:
    case model::status::kNoGeneralSection:
      r.error = where.file_only(model::FileKind::kLineSource, message);
      break;
    case model::status::kProgressiveNotMultiple:
      r.error = where.file_only(model::FileKind::kLineSource, message);
      break;
    case model::status::kReadFailure:
      if (!state.failure_text.empty()) message += ": " + state.failure_text;
      r.error = where.at(state.failure.file, state.failure.line, state.failure.column, message);
      break;
    default:
      r.error = where.at(state.entry.file, state.entry.line, state.entry.column, message);
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
      std::string caret;
      for (int i = 1; i < d.column && static_cast<size_t>(i) <= d.source_line.size(); ++i)
        caret += d.source_line[static_cast<size_t>(i) - 1] == '\t' ? '\t' : ' ';
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
