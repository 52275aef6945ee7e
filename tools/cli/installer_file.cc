#include "tools/cli/installer_file.h"

#include "platform/mem_env.h"
#include "platform/program_path.h"
#include "writers/writers.h"

namespace tools {

platform::Status read_installer(platform::Env& env, const std::string& path, std::string* bytes,
                                payload::Reading* reading) {
  if (platform::Status status = env.read_regular_file(path, payload::kLargestExecutable, bytes))
    return status;
  *reading = payload::read(*bytes);
  return platform::ok();
}

payload::Contents built_in_contents() {
  using Writer = platform::Status (*)(const model::Scenario&, platform::Env&, const std::string&);
  const std::pair<model::FileKind, Writer> kWriters[] = {
      {model::FileKind::kLineSource, writers::write_line_source},
      {model::FileKind::kTrainSource, writers::write_train_source},
      {model::FileKind::kRouteNotes, writers::write_route_notes},
      {model::FileKind::kSlowdownForm, writers::write_slowdown_form},
      {model::FileKind::kTrainCard, writers::write_train_card}};
  model::Scenario names;
  names.scenario_name = writers::kScenarioName;
  names.train_number = writers::kTrainNumber;
  payload::Contents contents{names.scenario_name, names.train_number, {}};
  // The writers' texts are fixed and always render: the memory holds them.
  platform::MemEnv memory;
  for (const auto& [kind, writer] : kWriters) {
    writer(names, memory, "");
    contents.files.push_back({kind, memory.files()[model::file_path("", kind, names)]});
  }
  return contents;
}

std::string default_installer(platform::Env& env, std::string* looked_at) {
  looked_at->clear();
  std::string self;
  if (platform::program_path(&self)) return {};
  const std::string folder = platform::folder_of(self);
  const std::string sep(1, platform::kSeparator);
  for (const std::string& place : {folder + sep, folder + sep + ".." + sep + "installer" + sep})
    for (const char* name : {"fiumicino_roma_3291", "fiumicino_roma_3291.exe"}) {
      const std::string path = place + name;
      if (env.file_exists(path)) return path;
      *looked_at += (looked_at->empty() ? "'" : ", '") + path + "'";
    }
  return {};
}

}  // namespace tools
