#include "run/failure_report.h"

#include <string_view>

#include "model/file_names.h"

namespace run {
namespace {

// The operations as the Envs name them, in the words of an Italian Windows.
std::string_view italian_verb(std::string_view operation) {
  struct Verb {
    std::string_view operation, italian;
  };
  static constexpr Verb kVerbs[] = {
      {"open", "aprire"},        {"read", "leggere"},           {"create", "creare"},
      {"write", "scrivere"},     {"flush", "salvare su disco"}, {"close", "chiudere"},
      {"replace", "sostituire"}, {"delete", "eliminare"},
  };
  for (const Verb& verb : kVerbs)
    if (verb.operation == operation) return verb.italian;
  return "usare";
}

}  // namespace

std::string failure_box_text(const std::vector<platform::Error>& failures) {
  std::string text = "Installazione interrotta.";
  for (const platform::Error& failure : failures) {
    text += "\n\nImpossibile ";
    text += italian_verb(failure.operation);
    if (!failure.path.empty()) text += ":\n" + failure.path;
    if (!failure.reason.empty()) text += "\n\nMotivo: " + failure.reason;
  }
  return text;
}

platform::Status remove_written_sources(platform::Env& env, const std::string& folder,
                                        const model::Scenario& model, size_t written) {
  platform::Status first;
  const model::FileKind sources[] = {model::FileKind::kLineSource, model::FileKind::kTrainSource};
  for (size_t i = 0; i < std::size(sources) && i < written; ++i) {
    const std::string path = model::file_path(folder, sources[i], model);
    if (!env.file_exists(path)) continue;
    platform::Status status = env.delete_file(path);
    if (status && !first) first = status;
  }
  return first;
}

}  // namespace run
