#include "tools/cli/binary_set.h"

#include <algorithm>

#include "model/file_names.h"
#include "platform/env.h"
#include "platform/folders.h"

namespace tools {

std::vector<std::string> interrupted_set_notes(const std::string& folder,
                                               const std::string& scenario_name,
                                               const std::string& train_number) {
  std::vector<std::string> names;
  // A folder that cannot be listed has been reported by the compile already.
  if (platform::list_files(folder, &names)) return {};
  const auto present = [&](const std::string& name) {
    return std::find(names.begin(), names.end(), name) != names.end();
  };
  const std::string line =
      model::file_name(model::FileKind::kLineGeometry, scenario_name, train_number);
  const std::string service =
      model::file_name(model::FileKind::kService, scenario_name, train_number);
  const std::string cells = model::file_name(model::FileKind::kCells, scenario_name, train_number);
  const std::string binaries[] = {line, service, cells};

  std::vector<std::string> notes;
  for (const std::string& name : names) {
    const std::string target = platform::target_of_temporary(name);
    if (std::find(std::begin(binaries), std::end(binaries), target) == std::end(binaries)) continue;
    notes.push_back("'" + name +
                    "' was left by a run stopped while it replaced the binary files: " +
                    "it holds another version of '" + target +
                    "'; compile again to write the whole set, then delete it");
  }
  // The line geometry file may be absent by choice (--no-line-file); the
  // service and cell files are written together.
  if (present(service) != present(cells) || (present(line) && !present(service)))
    for (const std::string& name : {service, cells})
      if (!present(name))
        notes.push_back("the binary files are not a whole set: '" + name +
                        "' is missing; compile again to write the whole set");
  return notes;
}

}  // namespace tools
