// What a payload may hold: names that are safe as parts of file names on
// every system, and the files in their one order.
#include <algorithm>
#include <iterator>

#include "payload/payload.h"
#include "platform/cp1252.h"

namespace payload {

std::string name_problem(std::string_view name) {
  const std::string quoted = "'" + std::string(name) + "'";
  if (name.empty()) return "an empty name";
  // The name goes into the service file, which the simulator reads as
  // Windows-1252.
  std::string bytes;
  if (platform::to_cp1252(name, &bytes))
    return quoted + " has a character that Windows-1252 cannot represent";
  // The names become parts of file names in the player's folder: nothing
  // may lead out of it, or make a name that Windows refuses.
  if (name.find("..") != std::string_view::npos) return quoted + " holds \"..\"";
  for (unsigned char c : bytes) {
    if (c < 0x20 || c == 0x7F) return quoted + " holds a control character";
    if (c == '/' || c == '\\') return quoted + " holds a folder separator";
    if (std::string_view("<>:\"|?*").find(static_cast<char>(c)) != std::string_view::npos)
      return quoted + " holds '" + static_cast<char>(c) + "', which Windows forbids in file names";
  }
  return {};
}

std::string contents_problem(const Contents& contents) {
  if (std::string problem = name_problem(contents.scenario_name); !problem.empty())
    return "the scenario name " + problem;
  if (std::string problem = name_problem(contents.train_number); !problem.empty())
    return "the train number " + problem;
  const auto rank = [](model::FileKind kind) {
    return std::find(std::begin(kFileOrder), std::end(kFileOrder), kind) - std::begin(kFileOrder);
  };
  long previous = -1;
  for (const File& file : contents.files) {
    const long at = rank(file.kind);
    if (at == static_cast<long>(std::size(kFileOrder)))
      return "a file that is not a source or a document";
    if (at <= previous) return "files repeated or out of order";
    previous = at;
  }
  if (contents.files.size() < 2 || contents.files[0].kind != model::FileKind::kLineSource ||
      contents.files[1].kind != model::FileKind::kTrainSource)
    return "the line source or the train source is missing";
  return {};
}

}  // namespace payload
