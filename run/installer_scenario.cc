#include "run/installer_scenario.h"

#include "writers/writers.h"

namespace run {

InstallerScenario built_in_scenario() {
  using Writer = platform::Status (*)(const model::Scenario&, platform::Env&, const std::string&);
  struct Step {
    model::FileKind kind;
    Writer writer;
  };
  constexpr Step kSteps[] = {{model::FileKind::kLineSource, writers::write_line_source},
                             {model::FileKind::kTrainSource, writers::write_train_source},
                             {model::FileKind::kRouteNotes, writers::write_route_notes},
                             {model::FileKind::kSlowdownForm, writers::write_slowdown_form},
                             {model::FileKind::kTrainCard, writers::write_train_card}};
  InstallerScenario scenario{writers::kScenarioName, writers::kTrainNumber, {}};
  for (const Step& step : kSteps) {
    scenario.files.push_back(
        {step.kind, [writer = step.writer](platform::Env& env, const std::string& folder) {
           model::Scenario names;
           names.scenario_name = writers::kScenarioName;
           names.train_number = writers::kTrainNumber;
           return writer(names, env, folder);
         }});
  }
  return scenario;
}

InstallerScenario packed_scenario(const payload::Contents& contents) {
  InstallerScenario scenario{contents.scenario_name, contents.train_number, {}};
  for (const payload::File& file : contents.files) {
    scenario.files.push_back(
        {file.kind, [file, name = contents.scenario_name, train = contents.train_number](
                        platform::Env& env, const std::string& folder) {
           return platform::replace_file(
               env, folder + platform::kSeparator + model::file_name(file.kind, name, train),
               file.bytes);
         }});
  }
  return scenario;
}

ScenarioChoice choose_scenario(platform::Env& env, const std::string& program_path) {
  ScenarioChoice choice;
  std::string executable;
  if ((choice.failure =
           env.read_regular_file(program_path, payload::kLargestExecutable, &executable)))
    return choice;
  const payload::Reading reading = payload::read(executable);
  switch (reading.found) {
    case payload::Reading::Found::kNone:
      choice.scenario = built_in_scenario();
      break;
    case payload::Reading::Found::kWhole:
      choice.scenario = packed_scenario(reading.contents);
      break;
    case payload::Reading::Found::kDamaged:
      choice.damage = reading.problem;
      break;
  }
  return choice;
}

std::string damaged_box_text(const std::string& program_path) {
  return "Installazione interrotta.\n\nIl programma è danneggiato:\n" + program_path +
         "\n\nNessun file è stato scritto. Scaricare di nuovo il programma.";
}

}  // namespace run
