#include "tools/cli/check.h"

#include <algorithm>

#include "model/status_codes.h"
#include "platform/utf8.h"
#include "tools/cli/exit_status.h"

namespace tools {
namespace {

bool is_utf8_continuation(char c) { return (static_cast<unsigned char>(c) & 0xC0) == 0x80; }
bool is_line_end(char c) { return c == '\r' || c == '\n'; }

// A location as a reader sees it: the file's path, the line's text, and the
// column in characters.
struct Shown {
  std::string file;  // empty when the diagnostic belongs to no file
  int line = 0;      // 0 when it belongs to the file as a whole
  int column = 0;
  std::string source_line;
};

Shown show(const compiler::CompileResult& result, const compiler::Location& at) {
  Shown s;
  if (!at.in_source) return s;
  s.file = result.source_path(at.file);
  const std::string& text = result.source_text(at.file);
  if (at.line < 1 || at.column < 1 || at.offset > text.size()) return s;
  const size_t start = at.offset - static_cast<size_t>(at.column - 1);
  if (start > text.size()) return s;
  size_t end = start;
  while (end < text.size() && !is_line_end(text[end])) ++end;
  s.line = at.line;
  s.source_line = text.substr(start, end - start);
  s.column = 1;
  for (size_t i = start; i < at.offset && i < end; ++i)
    if (!is_utf8_continuation(text[i])) ++s.column;
  return s;
}

void emit(std::string& out, const Shown& s, const char* severity, const std::string& message) {
  if (!s.file.empty()) {
    out += s.file;
    if (s.line > 0) out += ":" + std::to_string(s.line) + ":" + std::to_string(s.column);
    out += ": ";
  }
  out += severity;
  // What the sources quote reaches the terminal as whole UTF-8 only.
  out += ": " + platform::valid_utf8(message) + "\n";
  if (s.line == 0) return;
  out += platform::valid_utf8(s.source_line) + "\n";
  // One blank per character before the column; tabs kept, so that the caret
  // lines up in a terminal too.
  std::string caret;
  int characters = 1;
  for (char c : s.source_line) {
    if (characters >= s.column) break;
    if (is_utf8_continuation(c)) continue;
    caret += c == '\t' ? '\t' : ' ';
    ++characters;
  }
  out += caret + "^\n";
}

nlohmann::json shown_json(const Shown& s, const std::string& message) {
  nlohmann::json j = {{"message", message}};
  j["file"] = s.file.empty() ? nlohmann::json(nullptr) : nlohmann::json(s.file);
  j["line"] = s.line ? nlohmann::json(s.line) : nlohmann::json(nullptr);
  j["column"] = s.line ? nlohmann::json(s.column) : nlohmann::json(nullptr);
  j["source_line"] = s.line ? nlohmann::json(s.source_line) : nlohmann::json(nullptr);
  return j;
}

const char* severity_of(const compiler::Diagnostic& d) {
  return d.severity == compiler::Diagnostic::Severity::kError ? "error" : "warning";
}

}  // namespace

job::FolderCompile check_scenario(platform::Env& env, const std::string& folder,
                                  const std::string& scenario_name, const std::string& train_number,
                                  bool keep_track_plan) {
  compiler::CompileOptions options;
  options.every_fault = true;
  options.keep_track_plan = keep_track_plan;
  return job::compile_folder(env, folder, scenario_name, train_number, options);
}

std::string diagnostics_text(const compiler::CompileResult& result) {
  std::string out;
  for (const compiler::Diagnostic& d : result.diagnostics) {
    emit(out, show(result, d.at), severity_of(d), d.message);
    for (const compiler::Note& note : d.notes)
      emit(out, show(result, note.at), "note", note.message);
  }
  return out;
}

std::string report_text(const compiler::CompileResult& result) {
  std::string out = diagnostics_text(result);
  if (result.status == 0) out += "no fault (status 0)\n";
  out += summary_text(result) + "\n";
  return out;
}

size_t warning_count(const compiler::CompileResult& result) {
  return static_cast<size_t>(std::count_if(
      result.diagnostics.begin(), result.diagnostics.end(),
      [](const auto& d) { return d.severity == compiler::Diagnostic::Severity::kWarning; }));
}

size_t error_count(const compiler::CompileResult& result) {
  return result.diagnostics.size() - warning_count(result);
}

std::string summary_text(const compiler::CompileResult& result) {
  const auto counted = [](size_t n, const char* what) {
    return std::to_string(n) + " " + what + (n == 1 ? "" : "s");
  };
  const size_t errors = error_count(result);
  const size_t past = static_cast<size_t>(
      std::count_if(result.diagnostics.begin(), result.diagnostics.end(), [](const auto& d) {
        return d.severity == compiler::Diagnostic::Severity::kError && d.past_the_stop;
      }));
  std::string out = counted(errors, "error");
  if (past > 0)
    out += " (" + std::to_string(past) + " found by reading on past the fault that stops the " +
           "compile)";
  out += ", " + counted(warning_count(result), "warning");
  if (result.status != 0) out += "; compile records status " + std::to_string(result.status);
  return out;
}

nlohmann::json report_json(const compiler::CompileResult& result) {
  auto diagnostic_json = [&](const compiler::Diagnostic& d) {
    nlohmann::json j = shown_json(show(result, d.at), d.message);
    j["severity"] = severity_of(d);
    j["code"] = d.code;
    j["notes"] = nlohmann::json::array();
    for (const compiler::Note& n : d.notes)
      j["notes"].push_back(shown_json(show(result, n.at), n.message));
    return j;
  };
  nlohmann::json j = {{"status", result.status},
                      {"position", result.has_position ? nlohmann::json(result.error_position)
                                                       : nlohmann::json(nullptr)},
                      {"message", std::string(model::status::info(result.status).text)},
                      {"ended_by_errore", result.ended_early}};
  j["error"] = nullptr;
  j["notes"] = nlohmann::json::array();
  j["diagnostics"] = nlohmann::json::array();
  j["errors"] = error_count(result);
  j["warnings"] = warning_count(result);
  for (const compiler::Diagnostic& d : result.diagnostics) {
    nlohmann::json dj = diagnostic_json(d);
    dj["past_the_stop"] = d.past_the_stop;
    j["diagnostics"].push_back(dj);
    if (d.severity == compiler::Diagnostic::Severity::kError && !d.past_the_stop) {
      dj.erase("past_the_stop");
      j["notes"] = dj["notes"];
      dj.erase("notes");
      dj.erase("severity");
      dj.erase("code");
      j["error"] = dj;
    }
  }
  return j;
}

std::string report_json_text(const compiler::CompileResult& result) {
  // The texts are UTF-8; should one not be, it is shown as U+FFFD rather
  // than ending the command with an exception.
  return report_json(result).dump(2, ' ', false, nlohmann::json::error_handler_t::replace) + "\n";
}

int check_exit_status(const compiler::CompileResult& result, bool werror) {
  job::Outcome outcome = job::outcome_of(result);
  // A warning fails the check as a recorded status would.
  if (outcome == job::Outcome::kClean && werror && warning_count(result) > 0)
    outcome = job::Outcome::kStatusRecorded;
  return job::exit_status(outcome, job::Program::kScenarioc);
}

}  // namespace tools
