#include "output/output_step.h"

#include <vector>

#include "model/file_names.h"
#include "model/status_codes.h"
#include "output/binary_files.h"
#include "output/competition_codes.h"

namespace output {

OutputOutcome output_step(model::Scenario& model, platform::Env& env, const std::string& folder) {
  OutputOutcome outcome;
  model::ServiceRecord& scenario_record = model.service_table[model::kScenarioRecord];
  model::Cell& cell1 = model.cell(1);

  if (scenario_record.word_a != 0 || cell1.value_a != 0) {
    outcome.reserved_slot_code = model::status::kReservedSlotA;
    return outcome;
  }
  scenario_record.word_a = 610;
  cell1.value_a = 5121;
  if (scenario_record.time_s != 0 || cell1.value_b != 0) {
    outcome.reserved_slot_code = model::status::kReservedSlotB;
    return outcome;
  }
  std::string window;
  if ((outcome.failure = code_window(model, &window))) return outcome;
  scenario_record.time_s = weighted_competition_code(window);
  cell1.value_b = plain_competition_code(window);

  // The three files are one set: each is written in full before any is put
  // in place, so that a failure leaves the old set whole.
  std::string service;
  if ((outcome.failure = encode_service_table(model.service_table, &service))) return outcome;
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
  outcome.failure = platform::replace_files(env, folder, files, &outcome.files_in_place);
  return outcome;
}

}  // namespace output
