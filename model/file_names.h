// The names of the run's files. Every name is built afresh from the program
// folder and the run variables each time a file operation needs it; the
// separator is always added, even after a folder that already ends with one.
#pragma once

#include <string>

namespace model {

struct Scenario;

enum class FileKind {
  kLineSource,     // <name>_linea.txt
  kTrainSource,    // <name>_<train>-.txt
  kRouteNotes,     // <name>_<train>_note.txt
  kSlowdownForm,   // <name>_<train>_rallentamenti.txt
  kTrainCard,      // <name>_<train>_scheda_treno.txt
  kLineGeometry,   // <name>_linea.dat
  kService,        // <name>_<train>.sim
  kCells,          // <name>_<train>.dat
};

std::string file_name(FileKind kind, const std::string& scenario_name,
                      const std::string& train_number);
std::string file_path(const std::string& folder, FileKind kind, const Scenario& model);

}  // namespace model
