#include "model/file_names.h"

#include "model/scenario.h"
#include "platform/env.h"

namespace model {
namespace {

constexpr std::string_view kLineSourceSuffix = "_linea.txt";
constexpr std::string_view kTrainSourceSuffix = "-.txt";
constexpr std::string_view kLineGeometrySuffix = "_linea.dat";
constexpr std::string_view kServiceSuffix = ".sim";
constexpr std::string_view kCellsSuffix = ".dat";

}  // namespace

std::string file_name(FileKind kind, const std::string& name, const std::string& train) {
  switch (kind) {
    case FileKind::kLineSource:
      return name + std::string(kLineSourceSuffix);
    case FileKind::kTrainSource:
      return name + "_" + train + std::string(kTrainSourceSuffix);
    case FileKind::kRouteNotes:
      return name + "_" + train + "_" + "note.txt";
    case FileKind::kSlowdownForm:
      return name + "_" + train + "_" + "rallentamenti.txt";
    case FileKind::kTrainCard:
      return name + "_" + train + "_" + "scheda_treno.txt";
    case FileKind::kLineGeometry:
      return name + std::string(kLineGeometrySuffix);
    case FileKind::kService:
      return name + "_" + train + std::string(kServiceSuffix);
    case FileKind::kCells:
      return name + "_" + train + std::string(kCellsSuffix);
  }
  return {};
}

std::string file_path(const std::string& folder, FileKind kind, const Scenario& model) {
  return folder + platform::kSeparator + file_name(kind, model.scenario_name, model.train_number);
}

namespace {

// "NAME_NUMBER" of a train source's name, when it is one.
std::optional<std::string_view> train_source_stem(std::string_view name) {
  if (name.size() <= kTrainSourceSuffix.size() || !name.ends_with(kTrainSourceSuffix)) return {};
  const std::string_view stem = name.substr(0, name.size() - kTrainSourceSuffix.size());
  if (stem.find('_') == std::string_view::npos) return {};
  return stem;
}

}  // namespace

std::optional<FileKind> source_kind(std::string_view name) {
  if (line_source_scenario(name)) return FileKind::kLineSource;
  if (train_source_stem(name)) return FileKind::kTrainSource;
  return std::nullopt;
}

std::optional<FileKind> binary_kind(std::string_view name) {
  // The line geometry's suffix ends in the cell file's: it is tried first.
  if (name.ends_with(kLineGeometrySuffix)) return FileKind::kLineGeometry;
  if (name.ends_with(kServiceSuffix)) return FileKind::kService;
  if (name.ends_with(kCellsSuffix)) return FileKind::kCells;
  return std::nullopt;
}

std::optional<std::string> line_source_scenario(std::string_view name) {
  if (name.size() <= kLineSourceSuffix.size() || !name.ends_with(kLineSourceSuffix)) return {};
  return std::string(name.substr(0, name.size() - kLineSourceSuffix.size()));
}

std::optional<std::string> train_number_of(std::string_view name, std::string_view scenario) {
  const std::optional<std::string_view> stem = train_source_stem(name);
  if (!stem || stem->size() <= scenario.size() || !stem->starts_with(scenario) ||
      (*stem)[scenario.size()] != '_')
    return {};
  return std::string(stem->substr(scenario.size() + 1));
}

std::vector<ScenarioAndTrain> train_source_splits(std::string_view name) {
  std::vector<ScenarioAndTrain> splits;
  const std::optional<std::string_view> stem = train_source_stem(name);
  if (!stem) return splits;
  for (size_t at = stem->rfind('_'); at != std::string_view::npos && at > 0;
       at = stem->rfind('_', at - 1))
    splits.push_back({std::string(stem->substr(0, at)), std::string(stem->substr(at + 1))});
  return splits;
}

}  // namespace model
