// The names of the run's files. Every name is built afresh from the program
// folder and the run variables each time a file operation needs it; the
// separator is always added, even after a folder that already ends with one.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace model {

struct Scenario;

enum class FileKind {
  kLineSource,    // <name>_linea.txt
  kTrainSource,   // <name>_<train>-.txt
  kRouteNotes,    // <name>_<train>_note.txt
  kSlowdownForm,  // <name>_<train>_rallentamenti.txt
  kTrainCard,     // <name>_<train>_scheda_treno.txt
  kLineGeometry,  // <name>_linea.dat
  kService,       // <name>_<train>.sim
  kCells,         // <name>_<train>.dat
};

std::string file_name(FileKind kind, const std::string& scenario_name,
                      const std::string& train_number);
std::string file_path(const std::string& folder, FileKind kind, const Scenario& model);

// The same names read back: which source a file name is, and the scenario
// name and train number it carries. A scenario name read back is never empty.

// Which source `name` is: "NAME_linea.txt", or "NAME_NUMBER-.txt" (an
// underscore somewhere before "-.txt"); none for any other name.
std::optional<FileKind> source_kind(std::string_view name);

// Which binary file `name` is by its ending: "_linea.dat", ".sim" or
// ".dat"; none for any other name.
std::optional<FileKind> binary_kind(std::string_view name);

// NAME of a line source's name "NAME_linea.txt"; none for any other name.
std::optional<std::string> line_source_scenario(std::string_view name);

// NUMBER when `name` is "<scenario>_NUMBER-.txt", a train source of that
// scenario; none otherwise. NUMBER may be empty ("<scenario>_-.txt").
std::optional<std::string> train_number_of(std::string_view name, std::string_view scenario);

struct ScenarioAndTrain {
  std::string scenario;
  std::string train;
  bool operator==(const ScenarioAndTrain&) const = default;
};

// The ways a train source's name splits at an underscore into scenario and
// train, the longest scenario name first: "A_B_C-.txt" is ("A_B", "C") then
// ("A", "B_C"). Empty for a name that is not a train source.
std::vector<ScenarioAndTrain> train_source_splits(std::string_view name);

}  // namespace model
