// The compile: both source passes under one fault handler, the marker cells
// and the finished model, with every outcome gathered into one result.
#include "compiler/compile.h"

#include <algorithm>
#include <set>
#include <tuple>

#include "compiler/compile_state.h"
#include "compiler/entry_checks.h"
#include "compiler/fault.h"
#include "compiler/passes.h"
#include "compiler/read_failure.h"
#include "compiler/warnings.h"
#include "model/status_codes.h"
#include "output/output_step.h"
#include "platform/cp1252.h"
#include "platform/cp1252_bytes.h"

namespace compiler {
namespace {

namespace status = model::status;
using model::FileKind;

// Where the first byte that Windows-1252 leaves undefined stands, or the
// whole file when there is none.
Location undefined_byte(std::string_view bytes, FileKind file) {
  Location at = Location::whole_file(file);
  int line = 1;
  size_t line_start = 0;
  for (size_t i = 0; i < bytes.size(); ++i) {
    const auto c = static_cast<unsigned char>(bytes[i]);
    if (platform::cp1252_undefined(c)) {
      at.line = line;
      at.column = static_cast<int>(i - line_start) + 1;
      at.offset = i;
      at.length = 1;
      return at;
    }
    if (c == '\n' || (c == '\r' && (i + 1 >= bytes.size() || bytes[i + 1] != '\n'))) {
      ++line;
      line_start = i + 1;
    }
  }
  return at;
}

class Compilation {
 public:
  Compilation(Sources& sources, const CompileOptions& options, CompileResult& result,
              bool keep_going = false)
      : sources_(sources), result_(result) {
    state_.keep_going = keep_going;
    model::Scenario& m = result_.model;
    m.scenario_name = std::move(sources.scenario_name);
    m.train_number = std::move(sources.train_number);
    state_.build_line_file = options.build_line_file;
    result_.line_source_path = std::move(sources.line_source_path);
    result_.train_source_path = std::move(sources.train_source_path);
  }

  void run() {
    parse_sources();
    for (Diagnostic& w : entry_warnings(state_.record, result_.model, state_.diagnostics))
      state_.diagnostics.push_back(std::move(w));
    if (result_.train_source_missing) {
      // Nothing after the line pass can run.
    } else if (result_.model.has_cell_track()) {
      post_process(result_.model, state_);
      if (int32_t code = output::finish_model(result_.model); code != 0) reserved_slot(code);
    } else {
      // Nothing to post-process or write: the run ends with the code.
      result_.ended_early = true;
    }
    finish();
  }

 private:
  // Both passes under one fault handler.
  void parse_sources() {
    model::Scenario& m = result_.model;
    if (!sources_.line) {
      state_.fail(fault_diagnostic(status::kNoLineSource, std::nullopt,
                                   Location::whole_file(FileKind::kLineSource)));
      return;
    }
    try {
      if (!take(*sources_.line, &result_.line_source_text)) return;
      // The diagnostic pass reads the train source after any fault that
      // left a cell track to place its entries on.
      if (!parse_line_source(m, state_, result_.line_source_text) &&
          !(state_.keep_going && m.has_cell_track()))
        return;
      if (!sources_.train) {
        result_.train_source_missing = true;
        return;
      }
      result_.train_source_consumed = true;
      if (!take(*sources_.train, &result_.train_source_text)) return;
      parse_train_source(m, state_, result_.train_source_text);
    } catch (const ReadFailure& failure) {
      result_.train_source_consumed = true;
      state_.fail(read_failure_diagnostic(failure));
    }
  }

  // The source's decoding warnings, and its text; false when it could not
  // be decoded, which is status 25 and takes both sources.
  bool take(SourceText& source, std::string* text) {
    for (Diagnostic& w : source.warnings) state_.diagnostics.push_back(std::move(w));
    if (source.undecodable) {
      result_.train_source_consumed = true;
      state_.fail(std::move(*source.undecodable));
      return false;
    }
    *text = std::move(source.text);
    return true;
  }

  // 1250 or 1251: the slot is cell 1; point at the entry that put something
  // there.
  void reserved_slot(int32_t code) {
    result_.ended_early = true;
    reserved_code_ = code;
    Diagnostic d = fault_diagnostic(code, std::nullopt, Location{});
    const int owner = state_.record.cell_owner(1);
    if (owner != SourceRecord::kNone) {
      d.at = state_.record.field(owner, 1);
      d.notes.push_back({{}, "cell 1 is taken by " + describe(state_.record.entry(owner))});
    }
    state_.diagnostics.push_back(std::move(d));
  }

  void finish() {
    result_.status = reserved_code_ != 0 ? reserved_code_ : state_.status_code;
    result_.has_position = reserved_code_ == 0 && model::status::info(result_.status).has_position;
    result_.error_position = state_.error_position;
    result_.diagnostics = std::move(state_.diagnostics);
    result_.record = std::move(state_.record);
  }

  Sources& sources_;
  CompileResult& result_;
  CompileState state_;
  int32_t reserved_code_ = 0;
};

}  // namespace

SourceText decode_source(std::string_view bytes, FileKind file) {
  SourceText source;
  source.warnings = encoding_warnings(bytes, file);
  if (platform::from_cp1252(bytes, &source.text)) {
    source.text.clear();
    source.undecodable =
        fault_diagnostic(status::kReadFailure, std::nullopt, undefined_byte(bytes, file),
                         "a byte that is not Windows-1252 text; save the file as Windows-1252");
  }
  return source;
}

SourceText text_source(std::string text, FileKind file) {
  SourceText source;
  std::string bytes;
  if (!platform::to_cp1252(text, &bytes)) source.warnings = encoding_warnings(bytes, file);
  source.text = std::move(text);
  return source;
}

namespace {

// What makes two diagnostics the same report.
auto report_key(const Diagnostic& d) {
  return std::tuple(d.at.in_source, d.at.file, d.at.offset, d.at.line, d.severity, d.code,
                    d.message);
}

bool has_fault(const CompileResult& result) {
  return std::any_of(result.diagnostics.begin(), result.diagnostics.end(),
                     [](const auto& d) { return d.severity == Diagnostic::Severity::kError; });
}

}  // namespace

CompileResult compile_sources(Sources sources, const CompileOptions& options) {
  std::optional<Sources> again;
  if (options.every_fault) again = sources;
  CompileResult result;
  Compilation(sources, options, result).run();
  if (!options.keep_track_plan) result.model.line_table = {};
  if (!again || !has_fault(result)) return result;
  // The diagnostic pass reads on past each fault. What the compile itself
  // found stays first and as it was; what only the diagnostic pass found
  // follows it.
  CompileResult all;
  Compilation(*again, options, all, /*keep_going=*/true).run();
  std::set<decltype(report_key(Diagnostic{}))> told;
  for (const Diagnostic& d : result.diagnostics) told.insert(report_key(d));
  // What it found in a source the compile never reached is shown from it.
  if (result.line_source_text.empty()) result.line_source_text = std::move(all.line_source_text);
  if (result.train_source_text.empty()) result.train_source_text = std::move(all.train_source_text);
  for (Diagnostic& d : all.diagnostics) {
    if (!told.insert(report_key(d)).second) continue;
    d.past_the_stop = true;
    result.diagnostics.push_back(std::move(d));
  }
  return result;
}

}  // namespace compiler
