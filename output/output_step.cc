#include "output/output_step.h"

#include <vector>

#include "model/file_names.h"
#include "model/status_codes.h"
#include "output/binary_files.h"
#include "output/competition_codes.h"

namespace output {

int32_t finish_model(model::Scenario& model) {
  model::ServiceRecord& scenario_record = model.service_table[model::kScenarioRecord];
  model::Cell& cell1 = model.cell(1);

  if (scenario_record.word_a != 0 || cell1.value_a != 0) return model::status::kReservedSlotA;
  scenario_record.word_a = 610;
  cell1.value_a = 5121;
  if (scenario_record.time_s != 0 || cell1.value_b != 0) return model::status::kReservedSlotB;
  // A name with no Windows-1252 byte has no codes; the service file's
  // encoding refuses the same text, so no file ever holds them.
  std::string window;
  if (!code_window(model, &window)) {
    scenario_record.time_s = weighted_competition_code(window);
    cell1.value_b = plain_competition_code(window);
  }
  return 0;
}

platform::Status write_binary_files(const model::Scenario& model, platform::Env& env,
                                    const std::string& folder, bool* files_in_place) {
  *files_in_place = false;
  // The three files are one set: each is written in full before any is put
  // in place, so that a failure leaves the old set whole.
  std::string service;
  if (platform::Status failure = encode_service_table(model.service_table, &service))
    return failure;
  const std::string cells = encode_cell_track(model.cell_track);
  std::vector<platform::NewContent> files;
  if (model.line_table.allocated())
    files.push_back(
        {model::file_path(folder, model::FileKind::kLineGeometry, model),
         [&](platform::WritableFile& file) { return write_line_table(model.line_table, file); }});
  files.push_back({model::file_path(folder, model::FileKind::kService, model),
                   [&](platform::WritableFile& file) { return file.append(service); }});
  files.push_back({model::file_path(folder, model::FileKind::kCells, model),
                   [&](platform::WritableFile& file) { return file.append(cells); }});
  return platform::replace_files(env, folder, files, files_in_place);
}

}  // namespace output
