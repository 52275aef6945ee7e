#include "job/sources.h"

#include <new>

#include "job/compile_job.h"
#include "model/file_names.h"

namespace job {

std::string source_path(const std::string& folder, model::FileKind kind,
                        const std::string& scenario_name, const std::string& train_number) {
  return folder + platform::kSeparator + model::file_name(kind, scenario_name, train_number);
}

compiler::Sources decoded_sources(const std::string& folder, const std::string& scenario_name,
                                  const std::string& train_number,
                                  std::optional<std::string_view> line_bytes,
                                  std::optional<std::string_view> train_bytes) {
  using model::FileKind;
  compiler::Sources sources;
  sources.scenario_name = scenario_name;
  sources.train_number = train_number;
  sources.line_source_path =
      source_path(folder, FileKind::kLineSource, scenario_name, train_number);
  sources.train_source_path =
      source_path(folder, FileKind::kTrainSource, scenario_name, train_number);
  if (line_bytes) sources.line = compiler::decode_source(*line_bytes, FileKind::kLineSource);
  if (train_bytes) sources.train = compiler::decode_source(*train_bytes, FileKind::kTrainSource);
  return sources;
}

ReadSources read_sources(platform::Env& env, const std::string& folder,
                         const std::string& scenario_name, const std::string& train_number) {
  ReadSources read;
  read.sources = decoded_sources(folder, scenario_name, train_number, std::nullopt, std::nullopt);
  const std::string& line_path = read.sources.line_source_path;
  const std::string& train_path = read.sources.train_source_path;
  if (!env.file_exists(line_path)) return read;
  // A regular file only, of a size a source can have: a pipe or a device
  // under a source's name must neither hang the compile nor fill memory.
  std::string bytes;
  if ((read.line_failure = env.read_regular_file(line_path, compiler::kLargestSource, &bytes)))
    return read;
  read.sources.line = compiler::decode_source(bytes, model::FileKind::kLineSource);
  if ((read.train_failure = env.read_regular_file(train_path, compiler::kLargestSource, &bytes)))
    return read;
  read.sources.train = compiler::decode_source(bytes, model::FileKind::kTrainSource);
  return read;
}

FolderCompile compile_folder(platform::Env& env, const std::string& folder,
                             const std::string& scenario_name, const std::string& train_number,
                             const compiler::CompileOptions& options) {
  FolderCompile out;
  // What compile would refuse before reading anything, check refuses too.
  if ((out.failure = check_output_names(folder, scenario_name, train_number))) return out;
  ReadSources read = read_sources(env, folder, scenario_name, train_number);
  if (read.line_failure) {
    out.failure = std::move(read.line_failure);
    return out;
  }
  try {
    out.result = compiler::compile_sources(std::move(read.sources), options);
  } catch (const std::bad_alloc&) {
    out.failure = platform::Error{"allocate memory for", folder, "out of memory"};
    return out;
  }
  if (out.result.train_source_missing) out.failure = std::move(read.train_failure);
  return out;
}

Outcome outcome_of(const compiler::CompileResult& result) {
  if (result.train_source_missing) return Outcome::kFailed;
  if (result.ended_early) return Outcome::kEndedEarly;
  return result.status == 0 ? Outcome::kClean : Outcome::kStatusRecorded;
}

Outcome outcome_of(const FolderCompile& compile) {
  return compile.failure ? Outcome::kFailed : outcome_of(compile.result);
}

}  // namespace job
