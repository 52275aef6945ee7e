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
      {"replace", "sostituire"}, {"delete", "eliminare"},       {"lock", "riservare la cartella"},
  };
  for (const Verb& verb : kVerbs)
    if (verb.operation == operation) return verb.italian;
  return "usare";
}

}  // namespace

std::string failure_box_text(const std::vector<platform::Error>& failures, bool installed) {
  std::string text = installed ? "Installazione completata, ma:" : "Installazione interrotta.";
  for (const platform::Error& failure : failures) {
    text += "\n\nImpossibile ";
    text += italian_verb(failure.operation);
    if (!failure.path.empty()) text += ":\n" + failure.path;
    if (!failure.reason.empty()) text += "\n\nMotivo: " + failure.reason;
    if (failure.set_restored)
      text +=
          "\n\nI file già sostituiti sono stati ripristinati: la versione precedente è intatta.";
    if (!failure.left.empty()) {
      text += "\n\nNon è stato possibile ripristinare la versione precedente:";
      for (const platform::LeftFile& file : failure.left) {
        text += "\n" + file.path + ": ";
        switch (file.holds) {
          case platform::LeftFile::Holds::kNew:
            text += "nuovo";
            break;
          case platform::LeftFile::Holds::kOld:
            text += "precedente";
            break;
          case platform::LeftFile::Holds::kNothing:
            text += "mancante, la versione precedente è in " + file.old_content_in;
            break;
        }
      }
    }
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
