#include "fuzz/fuzz_support.h"

#include <cstdio>
#include <cstdlib>

#include "model/file_names.h"
#include "platform/mem_env.h"
#include "platform/ui.h"
#include "run/run.h"

namespace fuzz {
namespace {

constexpr char kFolder[] = "/f";

class SilentUi final : public platform::Ui {
 public:
  void show_waiting(std::string_view) override {}
  void close_waiting() override {}
  void message_box(std::string_view) override {}
};

}  // namespace

void check_failed(const char* condition, const char* file, int line) {
  std::fprintf(stderr, "%s:%d: invariant broken: %s\n", file, line, condition);
  std::abort();
}

CompileResult compile_in_memory(std::string_view line_source, std::string_view train_source,
                                int32_t write_line_file) {
  CompileResult result;
  platform::MemEnv env;
  SilentUi ui;
  model::Scenario& m = result.model;
  m.scenario_name = run::kScenarioName;
  m.train_number = run::kTrainNumber;
  env.files()[model::file_path(kFolder, model::FileKind::kLineSource, m)] = line_source;
  env.files()[model::file_path(kFolder, model::FileKind::kTrainSource, m)] = train_source;
  try {
    platform::Status failure = run::memorizza_percorso(m, env, ui, kFolder, write_line_file);
    FUZZ_CHECK(!failure);  // a memory folder never fails
  } catch (const run::RunEnded& ended) {
    result.ended_by_errore = true;
    result.errore_code = ended.code;
  }
  result.files = env.files();
  return result;
}

}  // namespace fuzz
