// Reading a scenario's two sources from its folder, for the compile.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "compiler/compile.h"
#include "job/outcome.h"
#include "platform/env.h"
#include "platform/status.h"

namespace job {

// The paths of the two sources of a scenario in `folder`.
std::string source_path(const std::string& folder, model::FileKind kind,
                        const std::string& scenario_name, const std::string& train_number);

// The sources of a scenario in `folder` from their bytes, decoded; a source
// without bytes is left out.
compiler::Sources decoded_sources(const std::string& folder, const std::string& scenario_name,
                                  const std::string& train_number,
                                  std::optional<std::string_view> line_bytes,
                                  std::optional<std::string_view> train_bytes);

struct ReadSources {
  compiler::Sources sources;
  // A line source that is there but could not be read: nothing was read.
  platform::Status line_failure;
  // Why the train source is not in `sources` (not there, or refused). It
  // matters only when the compile reaches the train pass.
  platform::Status train_failure;
};

// Reads and decodes both sources, each as a bounded regular file. Without a
// line source nothing is opened (the compile then gives status 101).
ReadSources read_sources(platform::Env& env, const std::string& folder,
                         const std::string& scenario_name, const std::string& train_number);

// What a compile of the sources as read leaves: the result, and the file
// failure that stopped it (a refused line source, or a train source the
// train pass needed and did not have).
struct FolderCompile {
  compiler::CompileResult result;
  platform::Status failure;
};

// Reads the sources and compiles them; nothing is written or deleted. Names
// that a compile job would refuse are refused before anything is read.
FolderCompile compile_folder(platform::Env& env, const std::string& folder,
                             const std::string& scenario_name, const std::string& train_number,
                             const compiler::CompileOptions& options = {});

// The outcome of a compile that writes nothing.
Outcome outcome_of(const compiler::CompileResult& result);
Outcome outcome_of(const FolderCompile& compile);

}  // namespace job
