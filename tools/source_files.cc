#include "tools/source_files.h"

#include "model/file_names.h"

namespace tools {

platform::Status read_sources(platform::Env& env, const ScenarioArgs& args, CheckInput* input) {
  input->folder = args.folder;
  input->scenario_name = args.scenario;
  input->train_number = args.train;
  model::Scenario names;
  names.scenario_name = args.scenario;
  names.train_number = args.train;
  struct {
    model::FileKind kind;
    std::optional<std::string>* bytes;
  } sources[] = {{model::FileKind::kLineSource, &input->line_source_bytes},
                 {model::FileKind::kTrainSource, &input->train_source_bytes}};
  for (auto& source : sources) {
    const std::string path = model::file_path(args.folder, source.kind, names);
    source.bytes->reset();
    if (!env.file_exists(path)) continue;
    std::string bytes;
    if (platform::Status status = env.read_file(path, &bytes)) return status;
    *source.bytes = std::move(bytes);
  }
  return platform::ok();
}

}  // namespace tools
