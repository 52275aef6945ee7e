#include "model/file_names.h"

#include "model/scenario.h"
#include "platform/env.h"

namespace model {

std::string file_name(FileKind kind, const std::string& name, const std::string& train) {
  switch (kind) {
    case FileKind::kLineSource: return name + "_linea.txt";
    case FileKind::kTrainSource: return name + "_" + train + "-.txt";
    case FileKind::kRouteNotes: return name + "_" + train + "_" + "note.txt";
    case FileKind::kSlowdownForm: return name + "_" + train + "_" + "rallentamenti.txt";
    case FileKind::kTrainCard: return name + "_" + train + "_" + "scheda_treno.txt";
    case FileKind::kLineGeometry: return name + "_linea.dat";
    case FileKind::kService: return name + "_" + train + ".sim";
    case FileKind::kCells: return name + "_" + train + ".dat";
  }
  return {};
}

std::string file_path(const std::string& folder, FileKind kind, const Scenario& model) {
  return folder + platform::kSeparator + file_name(kind, model.scenario_name, model.train_number);
}

}  // namespace model
