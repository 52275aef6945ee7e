#include "fuzz/fuzz_checks.h"

#include <cstring>
#include <map>
#include <string_view>
#include <vector>

#include "compiler/compile.h"
#include "compiler/compile_state.h"
#include "compiler/field_reader.h"
#include "compiler/passes.h"
#include "compiler/read_failure.h"
#include "fuzz/bounded_numbers.h"
#include "fuzz/require.h"
#include "job/compile_job.h"
#include "job/sources.h"
#include "model/file_names.h"
#include "model/status_codes.h"
#include "platform/mem_env.h"
#include "writers/writers.h"

namespace fuzz {
namespace {

constexpr char kFolder[] = "/f";
// Lines up to this span (a line of 2000 m) are compiled with their track plan
// too: longer ones would spend the run building plan tables, which the plan
// target fuzzes on its own.
constexpr int32_t kLongestPlannedSpan = 9000;
// Lines up to this span get the second compile and check's compile as well.
constexpr int32_t kShortSpan = 27000;

struct MemoryCompile {
  job::JobResult result;
  std::map<std::string, std::string> files;  // the folder after the job
};

job::JobRequest request(bool build_line_file) {
  job::JobRequest r;
  r.folder = kFolder;
  r.scenario_name = writers::kScenarioName;
  r.train_number = writers::kTrainNumber;
  r.build_line_file = build_line_file;
  r.delete_sources = job::JobRequest::SourceDeletion::kOnceRead;
  return r;
}

std::map<std::string, std::string> folder_with(std::string_view line, std::string_view train) {
  std::map<std::string, std::string> files;
  const job::JobRequest r = request(false);
  files[job::source_path(kFolder, model::FileKind::kLineSource, r.scenario_name, r.train_number)] =
      line;
  files[job::source_path(kFolder, model::FileKind::kTrainSource, r.scenario_name, r.train_number)] =
      train;
  return files;
}

// The installer's job on a memory folder that holds the two sources.
MemoryCompile job_in_memory(std::string_view line, std::string_view train, bool build_line_file) {
  platform::MemEnv env;
  env.files() = folder_with(line, train);
  MemoryCompile compiled{job::run_job(env, request(build_line_file)), {}};
  compiled.files = env.files();
  return compiled;
}

// The job on a folder gives what the pure compile gives: the same status,
// position, end and diagnostics.
std::string job_agrees(const compiler::CompileResult& pure, const compiler::CompileResult& job) {
  REQUIRE(job.status == pure.status);
  REQUIRE(job.has_position == pure.has_position);
  REQUIRE(!job.has_position || job.error_position == pure.error_position);
  REQUIRE(job.ended_early == pure.ended_early);
  REQUIRE(job.diagnostics.size() == pure.diagnostics.size());
  return {};
}

// The codes with which the line pass stops before the train pass, leaving the
// train source in the folder.
bool line_pass_fault(int32_t code) {
  namespace s = model::status;
  return code == s::kLineTooLong || code == s::kRepeatFirstNotMultiple ||
         code == s::kRepeatSecondNotMultiple || code == s::kRepeatNoCode ||
         code == s::kNameBoardCellTaken || code == s::kSpeedBoardCellTaken || code == s::kBadCurve;
}

// The binary files the job left, as the compile says they must be.
std::string check_job_files(const MemoryCompile& job, bool build_line_file) {
  const compiler::CompileResult& r = job.result.compile;
  REQUIRE(!job.result.failure);  // a memory folder never fails
  const model::Scenario& m = r.model;
  auto has = [&](model::FileKind kind) {
    return job.files.count(model::file_path(kFolder, kind, m)) != 0;
  };
  REQUIRE(!has(model::FileKind::kLineSource));
  if (r.ended_early) {
    REQUIRE(!has(model::FileKind::kCells));
    REQUIRE(!has(model::FileKind::kService));
    REQUIRE(!has(model::FileKind::kLineGeometry));
    return {};
  }
  if (has(model::FileKind::kTrainSource)) REQUIRE(line_pass_fault(r.status));
  REQUIRE(has(model::FileKind::kCells));
  const std::string& cells = job.files.at(model::file_path(kFolder, model::FileKind::kCells, m));
  REQUIRE(cells.size() == static_cast<size_t>(m.cell_last + 1) * 15);
  REQUIRE(has(model::FileKind::kService));
  REQUIRE(has(model::FileKind::kLineGeometry) == build_line_file);
  return {};
}

bool same_report(const compiler::Diagnostic& a, const compiler::Diagnostic& b) {
  return a.severity == b.severity && a.code == b.code && a.message == b.message &&
         a.at.in_source == b.at.in_source && a.at.file == b.at.file && a.at.offset == b.at.offset &&
         a.at.line == b.at.line && a.notes.size() == b.notes.size() &&
         a.past_the_stop == b.past_the_stop;
}

// Diagnosing every fault changes nothing the compile records: its status,
// position and model stay, its own diagnostics come first and unchanged (so
// the first fault reported is the one it records), and what only the
// diagnostic pass found follows, marked so.
std::string every_fault_agrees(const compiler::CompileResult& r, std::string_view line,
                               std::string_view train, compiler::CompileOptions options) {
  options.every_fault = true;
  const compiler::CompileResult all = compiler::compile_sources(
      job::decoded_sources(kFolder, writers::kScenarioName, writers::kTrainNumber, line, train),
      options);
  REQUIRE(all.status == r.status);
  REQUIRE(all.error_position == r.error_position);
  REQUIRE(all.has_position == r.has_position);
  REQUIRE(all.ended_early == r.ended_early);
  REQUIRE(all.model.cell_track == r.model.cell_track);
  REQUIRE(all.model.service_table == r.model.service_table);
  REQUIRE(all.diagnostics.size() >= r.diagnostics.size());
  for (size_t i = 0; i < r.diagnostics.size(); ++i)
    REQUIRE(same_report(all.diagnostics[i], r.diagnostics[i]));
  for (size_t i = r.diagnostics.size(); i < all.diagnostics.size(); ++i)
    REQUIRE(all.diagnostics[i].past_the_stop);
  // A scenario without a fault has nothing past a stop.
  REQUIRE(r.status != 0 || all.diagnostics.size() == r.diagnostics.size());
  return {};
}

std::string check_one_compile(std::string_view line, std::string_view train, bool build_line_file,
                              bool twice, bool with_job, int32_t* line_span) {
  const compiler::CompileOptions options{build_line_file};
  const compiler::CompileResult r = compiler::compile_sources(
      job::decoded_sources(kFolder, writers::kScenarioName, writers::kTrainNumber, line, train),
      options);
  *line_span = r.model.line_span;
  REQUIRE(!r.train_source_missing);
  REQUIRE(model::status::is_known(r.status));
  // Every fault is explained, and the last one gives the status; warnings
  // carry no code.
  const compiler::Diagnostic* last_error = nullptr;
  for (const compiler::Diagnostic& d : r.diagnostics) {
    if (d.severity == compiler::Diagnostic::Severity::kError)
      last_error = &d;
    else
      REQUIRE(d.code == 0);
  }
  REQUIRE(r.status == 0 || last_error != nullptr);
  REQUIRE(last_error == nullptr || last_error->code == r.status);
  if (std::string broken = every_fault_agrees(r, line, train, options); !broken.empty())
    return broken;
  // The job on a folder, on lines short enough that encoding their files is
  // cheap; a long line costs its cell file in every job.
  if (!with_job || r.model.line_span > kShortSpan) return {};
  const MemoryCompile first = job_in_memory(line, train, build_line_file);
  if (std::string broken = job_agrees(r, first.result.compile); !broken.empty()) return broken;
  if (std::string broken = check_job_files(first, build_line_file); !broken.empty()) return broken;
  if (twice) {
    const MemoryCompile second = job_in_memory(line, train, build_line_file);
    REQUIRE(first.files == second.files);
  }
  return {};
}

}  // namespace

std::string check_field_reader(const uint8_t* data, size_t size) {
  if (size == 0) return {};
  const uint8_t plan = data[0];
  std::string_view text(reinterpret_cast<const char*>(data + 1), size - 1);
  compiler::FieldReader reader(text);
  size_t reads = 0;
  try {
    while (!reader.at_end()) {
      REQUIRE(++reads <= text.size() + 1);  // every read consumes something
      switch ((plan >> (reads % 4 * 2)) & 3) {
        case 0: {
          std::string field = reader.read_text();
          REQUIRE(field.find(',') == std::string::npos);
          REQUIRE(field.find_first_of("\r\n") == std::string::npos);
          break;
        }
        case 1:
          reader.read_long();
          break;
        case 2:
          reader.read_integer();
          break;
        default:
          reader.read_byte();
          break;
      }
      REQUIRE(reader.field_line() >= 1 && reader.field_column() >= 1);
    }
    bool failed = false;
    try {
      reader.read_text();
    } catch (const compiler::ReadFailure&) {
      failed = true;
    }
    REQUIRE(failed);  // reading at the end always fails
  } catch (const compiler::ReadFailure&) {
  }
  return {};
}

std::string check_compile(const uint8_t* data, size_t size) {
  if (size == 0) return {};
  const bool plan_wanted = data[0] & 1;
  // The job on a memory folder costs about as much as the rest of an
  // execution: it is run, and must agree with the pure compile, for half
  // the inputs.
  const bool with_job = data[0] & 0x20;
  // Running the job twice shows that nothing carries over from one run to
  // the next; half of those are enough for that.
  const bool twice = data[0] & 2;
  std::string_view input(reinterpret_cast<const char*>(data + 1), size - 1);
  size_t split = input.find('\0');
  std::string bounded;
  std::string_view line = input.substr(0, split);
  // A compile costs what its line's length declares: up to 20,000 cells to
  // place, check and encode, three times over.
  if (!keeps_long_numbers(data[0])) {
    bounded = bounded_numbers(line);
    line = bounded;
  }
  std::string_view train =
      split == std::string_view::npos ? std::string_view() : input.substr(split + 1);

  int32_t line_span = 0;
  if (std::string broken = check_one_compile(line, train, false, twice, with_job, &line_span);
      !broken.empty())
    return broken;
  // The plan only for short lines: its table grows with the length.
  if (!plan_wanted || line_span > kLongestPlannedSpan) return {};
  return check_one_compile(line, train, true, twice, with_job, &line_span);
}

std::string check_post_process(const uint8_t* data, size_t size) {
  const size_t cells = size / 3;
  if (cells == 0) return {};
  model::Scenario m;
  m.cell_track.resize(cells);
  m.cell_last = static_cast<int32_t>(cells) - 1;
  for (size_t i = 0; i < cells; ++i) {
    m.cell_track[i].kind = data[3 * i] % 16;
    int16_t value;
    std::memcpy(&value, data + 3 * i + 1, 2);
    m.cell_track[i].value_a = value;
  }
  const std::vector<model::Cell> before = m.cell_track;
  compiler::CompileState state;
  compiler::post_process(m, state);
  REQUIRE(m.cell_track.size() == cells);
  REQUIRE(state.status_code == 0 || state.status_code == 11 || state.status_code == 12 ||
          state.status_code == 13);
  for (size_t i = 0; i < cells; ++i) {
    const model::Cell& was = before[i];
    const model::Cell& now = m.cell_track[i];
    if (was == now) continue;
    // Only free cells become markers, and existing markers may only be capped.
    REQUIRE(now.kind == model::kind::kMarker);
    if (was.kind == model::kind::kMarker)
      REQUIRE(now.value_a == (was.value_a > 180 ? 180 : was.value_a));
    else
      REQUIRE(model::is_free(was) && now.value_a == 180);
  }
  return {};
}

}  // namespace fuzz
