// A scenario as the language server compiles it: the pair of a line source
// and a train source in one folder, each taken from the editor's buffer when
// it is open and from the disk otherwise, compiled in memory.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "compiler/compile.h"
#include "model/file_names.h"
#include "platform/env.h"
#include "tools/lsp/documents.h"

namespace tools::lsp {

// The names of the files in a folder (the disk is only read).
using ListFolder = std::function<std::vector<std::string>(const std::string& folder)>;
std::vector<std::string> list_folder_on_disk(const std::string& folder);

// What the files around the server hold: the open buffers first, the disk
// otherwise. Nothing here writes.
struct Sources {
  const DocumentStore& documents;
  platform::Env& disk;
  const ListFolder& list_folder;

  bool exists(const std::string& path) const;
};

struct ScenarioKey {
  std::string folder;
  std::string scenario;
  std::string train;  // empty: no train source was found for a line source
  auto operator<=>(const ScenarioKey&) const = default;
};

// The scenario a source belongs to. A train source "A_B_C-.txt" is paired
// with the longest scenario name whose line source exists ("A_B", train "C";
// else "A", train "B_C"); when none exists, with the longest. A line source
// is paired with the train source of its scenario edited last, else the
// first on disk by name, else with none.
std::optional<ScenarioKey> scenario_of(const std::string& path, const Sources& sources);

// A character of a buffer that Windows-1252 cannot represent.
struct Unencodable {
  size_t offset = 0;  // in bytes of the buffer
  size_t length = 0;
};

// One source of a compiled pair.
struct CompiledSource {
  std::string path;
  bool open = false;       // taken from an editor's buffer
  bool present = false;    // in the compile at all
  std::string unreadable;  // why the disk file could not be read
  // The characters of the buffer that Windows-1252 lacks: the source could
  // not be saved with them.
  std::vector<Unencodable> unencodable;
};

struct ScenarioCompile {
  ScenarioKey key;
  compiler::CompileResult result;
  CompiledSource line;
  CompiledSource train;

  const CompiledSource& source(model::FileKind file) const {
    return file == model::FileKind::kTrainSource ? train : line;
  }
  // The text positions are counted in: the buffer's, or the disk file's
  // decoded.
  std::string_view text(model::FileKind file) const { return result.source_text(file); }
};

// Compiles the pair, reading the disk only for a source that is not open:
// an open buffer's text goes to the compile as it is.
ScenarioCompile compile_scenario(const ScenarioKey& key, const Sources& sources);

}  // namespace tools::lsp
