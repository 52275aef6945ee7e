#include "compiler/compile.h"
#include "compiler/read_failure.h"
#include "model/status_codes.h"
#include "platform/cp1252.h"

namespace compiler {

std::string load_source(platform::Env& env, const std::string& path) {
  std::string bytes;
  if (platform::Status status = env.read_file(path, &bytes)) throw ReadFailure(status->message());
  std::string text;
  if (platform::Status status = platform::from_cp1252(bytes, &text))
    throw ReadFailure(status->message() + " in '" + path + "'");
  return text;
}

void delete_source(platform::Env& env, const std::string& path) {
  if (platform::Status status = env.delete_file(path)) throw ReadFailure(status->message());
}

void memorizza_dati(model::Scenario& model, platform::Env& env, const std::string& folder,
                    ParseState* state_out) {
  ParseState state;
  try {
    if (parse_line_source(model, env, folder, state)) parse_train_source(model, env, folder, state);
  } catch (const ReadFailure& failure) {
    // Sources are read whole when opened, so no file is open here.
    for (model::FileKind kind : {model::FileKind::kLineSource, model::FileKind::kTrainSource}) {
      std::string path = model::file_path(folder, kind, model);
      // A second failure to delete leaves nothing better to do than go on.
      if (env.file_exists(path)) env.delete_file(path);
    }
    model.fail(model::status::kReadFailure);
    state.failure = state.entry;
    if (failure.line() > 0) {
      state.failure.line = failure.line();
      state.failure.column = failure.column();
    }
    state.failure_text = failure.what();
  }
  if (state_out) *state_out = state;
}

}  // namespace compiler
