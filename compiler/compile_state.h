// Everything a compile knows besides the scenario's tables: the status, the
// cursors and counters the two passes share, and the record of what was read
// and found. One per compile, beside the model; builders and passes tested on
// their own take a fresh one.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "compiler/diagnostic.h"
#include "compiler/source_record.h"
#include "model/scenario.h"

namespace compiler {

inline constexpr int kMaxTunnels = 80;

struct CompileState {
  // Whether the track plan is built (curve entries parsed) and its file written.
  bool build_line_file = true;

  // 0, or the code of the latest fault; a later fault overwrites it.
  int32_t status_code = 0;
  // Metres, stored with the codes that have a position.
  int32_t error_position = 0;

  // The record that takes the next name board text, counting down from 80;
  // station records, counting up from 1, must stay below it.
  int32_t sign_text_cursor = model::kFirstSignTextRecord;

  // The tunnels recorded so far, numbered from 1; entry 0 stays 0.
  std::array<int32_t, kMaxTunnels + 1> tunnel_start{};
  std::array<int32_t, kMaxTunnels + 1> tunnel_end{};
  int32_t tunnel_count = 0;

  // The diagnostic pass: after a fault it passes over the entry and reads on,
  // so that later faults are found too. Its model is no scenario: it only
  // gives the diagnostics.
  bool keep_going = false;
  // The entries the diagnostic pass passed over after a fault, in order.
  std::vector<int> faulted_entries;

  SourceRecord record;
  // The faults and warnings found, in order; the last error's code is the status.
  std::vector<Diagnostic> diagnostics;

  // Records a fault with its explanation; the caller stores the position of
  // the codes that have one.
  void fail(Diagnostic diagnostic) {
    status_code = diagnostic.code;
    diagnostics.push_back(std::move(diagnostic));
  }
};

}  // namespace compiler
