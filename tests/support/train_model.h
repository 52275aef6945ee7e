// A scenario model as the line pass leaves it for the train pass, built by
// hand so that the train pass can be tested on its own.
#pragma once

#include <initializer_list>
#include <string>
#include <string_view>

#include "model/file_names.h"
#include "model/scenario.h"
#include "writers/writers.h"

namespace train_test {

inline constexpr char kFolder[] = "/s";
// The given line has eleven name boards: records 80 down to 70.
inline constexpr int kGivenSignTextCursor = 69;

// The given line: 35000 m, so cells 0 to 840; no features in the cells.
inline model::Scenario given_model() {
  model::Scenario m;
  m.scenario_name = "Fiumicino Aeroporto_Roma";
  m.train_number = "3291";
  m.cell_last = 840;
  m.cell_track.assign(841, {});
  // Records 81 to 83 as the line pass orders them.
  m.service_table[81].end_m = 35100;
  m.service_table[81].position_m = 1;
  return m;
}

inline std::string train_source_path(const model::Scenario& m) {
  return model::file_path(kFolder, model::FileKind::kTrainSource, m);
}

// Lines joined by CR LF, the last one ended too.
template <class Lines>
std::string crlf(const Lines& lines) {
  std::string text;
  for (std::string_view line : lines) {
    text += line;
    text += "\r\n";
  }
  return text;
}
inline std::string crlf(std::initializer_list<std::string_view> lines) {
  return crlf<std::initializer_list<std::string_view>>(lines);
}

inline std::string given_train_source() { return crlf(writers::train_source_lines()); }

}  // namespace train_test
