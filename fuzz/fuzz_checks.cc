#include "fuzz/fuzz_checks.h"

#include <cstring>
#include <map>
#include <string_view>
#include <vector>

#include "compiler/compile.h"
#include "compiler/field_reader.h"
#include "compiler/read_failure.h"
#include "model/file_names.h"
#include "model/status_codes.h"
#include "platform/mem_env.h"
#include "platform/ui.h"
#include "run/run.h"

namespace fuzz {
namespace {

#define REQUIRE(condition)               \
  do {                                   \
    if (!(condition)) return #condition; \
  } while (0)

constexpr char kFolder[] = "/f";

struct CompileResult {
  bool ended_by_errore = false;
  model::Scenario model;
  std::map<std::string, std::string> files;  // the folder after the compile
  bool platform_failure = false;
};

CompileResult compile_in_memory(std::string_view line, std::string_view train, int32_t j) {
  CompileResult result;
  platform::MemEnv env;
  std::unique_ptr<platform::Ui> ui = platform::make_silent_ui();
  model::Scenario& m = result.model;
  m.scenario_name = run::kScenarioName;
  m.train_number = run::kTrainNumber;
  env.files()[model::file_path(kFolder, model::FileKind::kLineSource, m)] = line;
  env.files()[model::file_path(kFolder, model::FileKind::kTrainSource, m)] = train;
  try {
    result.platform_failure = run::memorizza_percorso(m, env, *ui, kFolder, j).has_value();
  } catch (const run::RunEnded&) {
    result.ended_by_errore = true;
  }
  result.files = env.files();
  return result;
}

// The codes with which the line pass stops before the train pass, leaving the
// train source in the folder.
bool line_pass_fault(int32_t code) {
  namespace s = model::status;
  return code == s::kLineTooLong || code == s::kRepeatFirstNotMultiple ||
         code == s::kRepeatSecondNotMultiple || code == s::kRepeatNoCode ||
         code == s::kNameBoardCellTaken || code == s::kSpeedBoardCellTaken || code == s::kBadCurve;
}

}  // namespace

std::string check_field_reader(const uint8_t* data, size_t size) {
  if (size == 0) return {};
  const uint8_t plan = data[0];
  std::string_view text(reinterpret_cast<const char*>(data + 1), size - 1);
  compiler::FieldReader reader(text);
  size_t reads = 0;
  try {
    while (!reader.at_end()) {
      REQUIRE(++reads <= text.size() + 1);  // every read consumes something
      switch ((plan >> (reads % 4 * 2)) & 3) {
        case 0: {
          std::string field = reader.read_text();
          REQUIRE(field.find(',') == std::string::npos);
          REQUIRE(field.find_first_of("\r\n") == std::string::npos);
          break;
        }
        case 1:
          reader.read_long();
          break;
        case 2:
          reader.read_integer();
          break;
        default:
          reader.read_byte();
          break;
      }
      REQUIRE(reader.field_line() >= 1 && reader.field_column() >= 1);
    }
    bool failed = false;
    try {
      reader.read_text();
    } catch (const compiler::ReadFailure&) {
      failed = true;
    }
    REQUIRE(failed);  // reading at the end always fails
  } catch (const compiler::ReadFailure&) {
  }
  return {};
}

std::string check_compile(const uint8_t* data, size_t size) {
  if (size == 0) return {};
  const int32_t j = data[0] & 1;
  std::string_view input(reinterpret_cast<const char*>(data + 1), size - 1);
  size_t split = input.find('\0');
  std::string_view line = input.substr(0, split);
  std::string_view train =
      split == std::string_view::npos ? std::string_view() : input.substr(split + 1);

  CompileResult first = compile_in_memory(line, train, j);
  CompileResult second = compile_in_memory(line, train, j);
  REQUIRE(!first.platform_failure);  // a memory folder never fails
  REQUIRE(first.files == second.files);
  REQUIRE(first.ended_by_errore == second.ended_by_errore);

  const model::Scenario& m = first.model;
  REQUIRE(model::status::is_known(m.status_code));
  auto has = [&](model::FileKind kind) {
    return first.files.count(model::file_path(kFolder, kind, m)) != 0;
  };
  REQUIRE(!has(model::FileKind::kLineSource));
  if (first.ended_by_errore) {
    REQUIRE(!has(model::FileKind::kCells));
    REQUIRE(!has(model::FileKind::kService));
    REQUIRE(!has(model::FileKind::kLineGeometry));
    return {};
  }
  if (has(model::FileKind::kTrainSource)) REQUIRE(line_pass_fault(m.status_code));
  REQUIRE(has(model::FileKind::kCells));
  const std::string& cells = first.files.at(model::file_path(kFolder, model::FileKind::kCells, m));
  REQUIRE(cells.size() == static_cast<size_t>(m.cell_last + 1) * 15);
  REQUIRE(has(model::FileKind::kService));
  REQUIRE(has(model::FileKind::kLineGeometry) == (j != 0));
  return {};
}

std::string check_post_process(const uint8_t* data, size_t size) {
  const size_t cells = size / 3;
  if (cells == 0) return {};
  model::Scenario m;
  m.cell_track.resize(cells);
  m.cell_last = static_cast<int32_t>(cells) - 1;
  for (size_t i = 0; i < cells; ++i) {
    m.cell_track[i].kind = data[3 * i] % 16;
    int16_t value;
    std::memcpy(&value, data + 3 * i + 1, 2);
    m.cell_track[i].value_a = value;
  }
  const std::vector<model::Cell> before = m.cell_track;
  compiler::post_process(m);
  REQUIRE(m.cell_track.size() == cells);
  REQUIRE(m.status_code == 0 || m.status_code == 11 || m.status_code == 12 || m.status_code == 13);
  for (size_t i = 0; i < cells; ++i) {
    const model::Cell& was = before[i];
    const model::Cell& now = m.cell_track[i];
    if (was == now) continue;
    // Only free cells become markers, and existing markers may only be capped.
    REQUIRE(now.kind == model::kind::kMarker);
    if (was.kind == model::kind::kMarker)
      REQUIRE(now.value_a == (was.value_a > 180 ? 180 : was.value_a));
    else
      REQUIRE(model::is_free(was) && now.value_a == 180);
  }
  return {};
}

}  // namespace fuzz
