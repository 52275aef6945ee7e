// The compile: both source passes under one fault handler, the marker cells
// and the output step, with every outcome gathered into one result.
//
// Sources are deleted only once both passes have read what they need, so
// that a source the system refuses to open or read stops the compile with
// nothing deleted and no binary file touched.
#include "compiler/compile.h"

#include "compiler/compile_state.h"
#include "compiler/fault.h"
#include "compiler/passes.h"
#include "compiler/read_failure.h"
#include "compiler/warnings.h"
#include "model/status_codes.h"
#include "output/output_step.h"
#include "platform/cp1252.h"
#include "platform/cp1252_bytes.h"
#include "platform/mem_env.h"

namespace compiler {
namespace {

namespace status = model::status;
using model::FileKind;
using SourceDeletion = CompileRequest::SourceDeletion;

// Where the first byte that Windows-1252 leaves undefined stands, or the
// whole file when there is none.
Location undefined_byte(std::string_view bytes, FileKind file, unsigned char* byte) {
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
      *byte = c;
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
  Compilation(platform::Env& env, const CompileRequest& request, CompileResult& result)
      : env_(env), request_(request), result_(result) {
    model::Scenario& m = result_.model;
    m.scenario_name = request.scenario_name;
    m.train_number = request.train_number;
    state_.build_line_file = request.build_line_file;
    result_.line_source_path = model::file_path(request.folder, FileKind::kLineSource, m);
    result_.train_source_path = model::file_path(request.folder, FileKind::kTrainSource, m);
  }

  void run() {
    // Refused before anything is read: the binary files could never be
    // written under these names.
    result_.failure = check_output_names(request_);
    if (!result_.failure) parse_sources();
    if (!result_.failure) {
      if (request_.delete_sources == SourceDeletion::kOnceRead) delete_read_sources();
      if (result_.model.has_cell_track()) {
        post_process(result_.model, state_);
        write_outputs();
        // Only now can a source go without the author losing their work:
        // the binary files are in place and the folder synced.
        if (request_.delete_sources == SourceDeletion::kOnceWritten && result_.files_written &&
            !result_.failure)
          delete_read_sources();
      } else {
        // Nothing to post-process or write: the run ends with the code.
        result_.ended_early = true;
      }
    }
    finish();
  }

 private:
  // Both passes under one fault handler. Returns with `failure` set when a
  // source could not be opened or read.
  void parse_sources() {
    model::Scenario& m = result_.model;
    if (!env_.file_exists(result_.line_source_path)) {
      // Nothing is opened or deleted.
      state_.fail(fault_diagnostic(status::kNoLineSource, std::nullopt,
                                   Location::whole_file(FileKind::kLineSource)));
      return;
    }
    try {
      if (!load(FileKind::kLineSource, &result_.line_source_text)) return;
      delete_line_ = true;
      if (!parse_line_source(m, state_, result_.line_source_text)) return;
      if (!load(FileKind::kTrainSource, &result_.train_source_text)) return;
      delete_train_ = true;
      parse_train_source(m, state_, result_.train_source_text);
    } catch (const ReadFailure& failure) {
      // Both sources go, as far as they still exist.
      delete_line_ = delete_train_ = true;
      Location at = failure.location().value_or(Location{});
      state_.fail(fault_diagnostic(status::kReadFailure, std::nullopt, at, failure.detail()));
    }
  }

  // Reads and decodes one source. A refused open or read is a platform
  // failure (false); bytes that are not Windows-1252 are a read failure.
  bool load(FileKind file, std::string* text) {
    const std::string& path = result_.source_path(file);
    std::string bytes;
    // A regular file only, of a size a source can have: a pipe or a device
    // under a source's name must neither hang the compile nor fill memory.
    if (platform::Status status = env_.read_regular_file(path, kLargestSource, &bytes)) {
      result_.failure = status;
      return false;
    }
    for (Diagnostic& w : encoding_warnings(bytes, file)) state_.diagnostics.push_back(std::move(w));
    if (platform::from_cp1252(bytes, text)) {
      unsigned char byte = 0;
      ReadFailure failure("a byte that is not Windows-1252 text; save the file as Windows-1252");
      failure.locate(undefined_byte(bytes, file, &byte));
      throw failure;
    }
    return true;
  }

  // Each pass deletes its source when it stops; the fault handler deletes
  // both. A source that is already gone needs no deleting.
  void delete_read_sources() {
    for (auto [wanted, file] : {std::pair{delete_line_, FileKind::kLineSource},
                                std::pair{delete_train_, FileKind::kTrainSource}}) {
      const std::string& path = result_.source_path(file);
      if (!wanted || !env_.file_exists(path)) continue;
      if (platform::Status status = env_.delete_file(path); status && !result_.failure)
        result_.failure = status;
    }
  }

  void write_outputs() {
    platform::MemEnv discard;
    platform::Env& sink = request_.write_files ? env_ : discard;
    const std::string& folder =
        request_.output_folder.empty() ? request_.folder : request_.output_folder;
    output::OutputOutcome outcome = output::output_step(result_.model, sink, folder);
    if (outcome.reserved_slot_code != 0) {
      reserved_slot(outcome.reserved_slot_code);
      return;
    }
    result_.files_written = request_.write_files && outcome.files_in_place;
    // A file that could not be written counts before a source that could
    // not be deleted.
    if (outcome.failure) result_.failure = outcome.failure;
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

  platform::Env& env_;
  const CompileRequest& request_;
  CompileResult& result_;
  CompileState state_;
  bool delete_line_ = false;
  bool delete_train_ = false;
  int32_t reserved_code_ = 0;
};

}  // namespace

std::vector<std::string> folders_written(const CompileRequest& request) {
  std::vector<std::string> folders = {request.folder};
  if (!request.output_folder.empty()) folders.push_back(request.output_folder);
  return folders;
}

platform::Status check_output_names(const CompileRequest& request) {
  const std::string& folder =
      request.output_folder.empty() ? request.folder : request.output_folder;
  std::string longest;
  for (FileKind kind : {FileKind::kLineGeometry, FileKind::kService, FileKind::kCells}) {
    std::string name = model::file_name(kind, request.scenario_name, request.train_number);
    if (name.size() > longest.size()) longest = std::move(name);
  }
  const size_t suffix = platform::longest_temporary_suffix();
  if (longest.size() + suffix <= kLongestFileName) return platform::ok();
  return platform::Error{
      "create", folder + platform::kSeparator + longest,
      "the name is " + std::to_string(longest.size()) + " bytes long, and the temporary file " +
          "written beside it adds up to " + std::to_string(suffix) + ": a file name can have " +
          std::to_string(kLongestFileName) + " bytes; shorten the scenario name or the train " +
          "number by " + std::to_string(longest.size() + suffix - kLongestFileName) + " bytes"};
}

CompileResult compile(platform::Env& env, const CompileRequest& request) {
  CompileResult result;
  try {
    Compilation(env, request, result).run();
  } catch (const std::bad_alloc&) {
    result.failure = platform::Error{"allocate memory for", request.folder, "out of memory"};
  }
  return result;
}

}  // namespace compiler
