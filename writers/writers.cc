#include "writers/writers.h"

#include "model/file_names.h"
#include "writers/line_block.h"

namespace writers {
namespace {

platform::Status write(const model::Scenario& model, platform::Env& env, const std::string& folder,
                       model::FileKind kind, std::span<const std::string_view> lines) {
  return write_lines(env, model::file_path(folder, kind, model), lines);
}

}  // namespace

platform::Status write_line_source(const model::Scenario& m, platform::Env& env,
                                   const std::string& f) {
  return write(m, env, f, model::FileKind::kLineSource, line_source_lines());
}
platform::Status write_train_source(const model::Scenario& m, platform::Env& env,
                                    const std::string& f) {
  return write(m, env, f, model::FileKind::kTrainSource, train_source_lines());
}
platform::Status write_route_notes(const model::Scenario& m, platform::Env& env,
                                   const std::string& f) {
  return write(m, env, f, model::FileKind::kRouteNotes, route_notes_lines());
}
platform::Status write_slowdown_form(const model::Scenario& m, platform::Env& env,
                                     const std::string& f) {
  return write(m, env, f, model::FileKind::kSlowdownForm, slowdown_form_lines());
}
platform::Status write_train_card(const model::Scenario& m, platform::Env& env,
                                  const std::string& f) {
  return write(m, env, f, model::FileKind::kTrainCard, train_card_lines());
}

}  // namespace writers
