#include "tools/lsp/scenario.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

#include "platform/cp1252.h"

namespace tools::lsp {
namespace {

using model::FileKind;

// The train source compiled with a line source that has none: no entry, so
// the line source's own faults are all that shows.
constexpr std::string_view kNoTrainSource = "[generale]\r\n[fine]\r\n";
constexpr char kNoTrainNumber[] = "0";

std::string join(const std::string& folder, const std::string& name) {
  return folder + platform::kSeparator + name;
}

std::string path_of(const ScenarioKey& key, FileKind kind) {
  return join(key.folder,
              model::file_name(kind, key.scenario, key.train.empty() ? kNoTrainNumber : key.train));
}

// The characters of a buffer that Windows-1252 lacks.
std::vector<Unencodable> unencodable_characters(std::string_view text) {
  std::vector<Unencodable> found;
  std::string ignored;
  for (size_t i = 0; i < text.size();) {
    if (static_cast<unsigned char>(text[i]) < 0x80) {
      ++i;
      continue;
    }
    size_t n = 1;
    while (i + n < text.size() && (static_cast<unsigned char>(text[i + n]) & 0xC0) == 0x80) ++n;
    if (platform::to_cp1252(text.substr(i, n), &ignored)) found.push_back(Unencodable{i, n});
    i += n;
  }
  return found;
}

// One source of the compile: the open buffer, else `text`, else the disk.
std::optional<compiler::SourceText> gather(const std::string& path, FileKind file,
                                           const Sources& sources, CompiledSource* source,
                                           const std::string* text) {
  source->path = path;
  if (const Document* d = sources.documents.find_path(path)) {
    source->open = true;
    source->present = true;
    source->unencodable = unencodable_characters(d->text);
    return compiler::text_source(d->text, file);
  }
  if (text) {
    source->present = true;
    return compiler::decode_source(*text, file);
  }
  if (!sources.disk.file_exists(path)) return std::nullopt;
  std::string bytes;
  // As the compile job reads it: a regular file of a source's size, checked
  // before a byte is read, so that a link to a huge file or a device costs
  // nothing on each keystroke.
  if (platform::Status status =
          sources.disk.read_regular_file(path, compiler::kLargestSource, &bytes)) {
    source->unreadable = status->message();
    return std::nullopt;
  }
  source->present = true;
  return compiler::decode_source(bytes, file);
}

}  // namespace

std::vector<std::string> list_folder_on_disk(const std::string& folder) {
  std::vector<std::string> names;
  std::error_code error;
  const std::filesystem::path path(std::u8string(folder.begin(), folder.end()));
  for (std::filesystem::directory_iterator it(path, error), end; !error && it != end;
       it.increment(error)) {
    const std::u8string name = it->path().filename().u8string();
    names.emplace_back(name.begin(), name.end());
  }
  std::sort(names.begin(), names.end());
  return names;
}

bool Sources::exists(const std::string& path) const {
  return documents.find_path(path) != nullptr || disk.file_exists(path);
}

std::optional<ScenarioKey> scenario_of(const std::string& path, const Sources& sources) {
  const SplitPath split = split_path(path);
  const std::optional<FileKind> kind = model::source_kind(split.name);
  if (!kind) return std::nullopt;
  if (*kind == FileKind::kTrainSource) {
    const std::vector<model::ScenarioAndTrain> splits = model::train_source_splits(split.name);
    if (splits.empty()) return std::nullopt;
    for (const model::ScenarioAndTrain& s : splits) {
      ScenarioKey key{split.folder, s.scenario, s.train};
      if (sources.exists(path_of(key, FileKind::kLineSource))) return key;
    }
    return ScenarioKey{split.folder, splits.front().scenario, splits.front().train};
  }
  ScenarioKey key{split.folder, *model::line_source_scenario(split.name), {}};
  auto train_of = [&](const std::string& name) {
    return model::train_number_of(name, key.scenario);
  };
  long long touched = -1;
  for (const Document* d : sources.documents.all()) {
    const SplitPath other = split_path(d->path);
    if (d->path.empty() || other.folder != key.folder || d->touched <= touched) continue;
    if (auto train = train_of(other.name)) {
      // Only a train source that pairs back with this line source.
      std::optional<ScenarioKey> back = scenario_of(d->path, sources);
      if (back && back->scenario == key.scenario) {
        key.train = *train;
        touched = d->touched;
      }
    }
  }
  if (touched >= 0) return key;
  for (const std::string& name : sources.list_folder(key.folder)) {
    if (auto train = train_of(name); train && !train->empty()) {
      key.train = *train;
      break;
    }
  }
  return key;
}

ScenarioCompile compile_scenario(const ScenarioKey& key, const Sources& sources) {
  ScenarioCompile out;
  out.key = key;
  compiler::Sources compiled;
  compiled.scenario_name = key.scenario;
  compiled.train_number = key.train.empty() ? kNoTrainNumber : key.train;
  compiled.line_source_path = path_of(key, FileKind::kLineSource);
  compiled.train_source_path = path_of(key, FileKind::kTrainSource);
  compiled.line =
      gather(compiled.line_source_path, FileKind::kLineSource, sources, &out.line, nullptr);
  const std::string no_train(kNoTrainSource);
  compiled.train = gather(compiled.train_source_path, FileKind::kTrainSource, sources, &out.train,
                          key.train.empty() ? &no_train : nullptr);
  // An editor shows every fault at once, and no track plan: it is the
  // largest table by far.
  out.result = compiler::compile_sources(std::move(compiled),
                                         {.every_fault = true, .keep_track_plan = false});
  return out;
}

}  // namespace tools::lsp
