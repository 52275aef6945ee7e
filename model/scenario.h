// The scenario model: everything the compiler knows between reading the two
// sources and writing the three binary files. One instance per run, owned by
// the run and handed to every procedure that fills or reads it.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace model {

// A tagged value of the track plan. The tag is what reaches the file.
struct Variant {
  enum Tag : uint16_t { kEmpty = 0, kInteger = 2, kDouble = 5 };
  uint16_t tag = kEmpty;
  double value = 0;  // an Integer's value is held exactly

  static Variant integer(int16_t v) { return Variant{kInteger, static_cast<double>(v)}; }
  static Variant real(double v) { return Variant{kDouble, v}; }
  bool operator==(const Variant&) const = default;
};

// The track plan: one point per metre, metres 0 to `line_span`, column 0
// across the line's first direction and column 1 along it. Each column is
// stored contiguously, which is also the order of the line geometry file.
struct LineTable {
  std::vector<Variant> column[2];

  bool allocated() const { return !column[0].empty(); }
  int32_t last_row() const { return static_cast<int32_t>(column[0].size()) - 1; }
  void allocate(int32_t line_span) {
    for (auto& c : column) c.assign(static_cast<size_t>(line_span) + 1, Variant{});
  }
  Variant& at(int32_t m, int col) { return column[col][static_cast<size_t>(m)]; }
  const Variant& at(int32_t m, int col) const { return column[col][static_cast<size_t>(m)]; }
};

// One 50-metre stretch of the track.
struct Cell {
  uint8_t kind = 0;
  int16_t value_a = 0;
  int16_t value_b = 0;
  int16_t value_c = 0;
  int16_t value_d = 0;
  uint8_t signal_time = 0;
  uint8_t repeat_code = 0;
  uint8_t tunnel_type = 0;
  uint8_t speed_limit = 0;
  uint8_t gradient = 0;
  uint8_t adhesion = 0;
  bool operator==(const Cell&) const = default;
};

// What stands in a cell.
namespace kind {
inline constexpr uint8_t kNothing = 0;
inline constexpr uint8_t kSignal = 1;
inline constexpr uint8_t kSlowdownEnd = 2;
inline constexpr uint8_t kSlowdownStart = 3;
inline constexpr uint8_t kWarningBoard = 4;
inline constexpr uint8_t kPreWarning = 5;
inline constexpr uint8_t kSpeedBoard = 6;
inline constexpr uint8_t kStationMarker = 10;
inline constexpr uint8_t kTunnelFiller = 11;
inline constexpr uint8_t kMarker = 12;
inline constexpr uint8_t kAbbattimento = 13;
inline constexpr uint8_t kNameBoard = 14;
}  // namespace kind

// A point feature may only be placed on a free cell.
inline bool is_free(const Cell& cell) {
  return cell.kind == kind::kNothing || cell.kind == kind::kTunnelFiller;
}

// A station, a name board text or a settings record.
struct ServiceRecord {
  uint8_t kind = 0;
  int32_t start_m = 0;
  int32_t end_m = 0;
  int32_t position_m = 0;
  uint8_t flag_a = 0;
  std::string text;  // UTF-8 in memory, Windows-1252 in the file
  int16_t word_a = 0;
  int16_t word_b = 0;
  int16_t word_c = 0;
  int16_t word_d = 0;
  int16_t word_e = 0;
  uint8_t byte_a = 0;
  uint8_t byte_b = 0;
  uint8_t byte_c = 0;
  uint8_t byte_d = 0;
  int32_t time_s = 0;
  bool operator==(const ServiceRecord&) const = default;
};

inline constexpr int kServiceRecords = 87;  // indices 0 to 86
inline constexpr int kFirstSignTextRecord = 80;
inline constexpr int kProgressiveTre = 81;  // and 82, 83
inline constexpr int kTrainSettingsRecord = 84;
inline constexpr int kScenarioRecord = 85;
inline constexpr int kTrainRecord = 86;

// The tables of one scenario, with the names that identify it. The state of
// the compile that fills them (status, cursors, counters) lives beside it, in
// the compiler.
struct Scenario {
  std::string scenario_name;
  std::string train_number;
  // The sizes the line length gives the tables: the last metre of the plan
  // and the last cell; -1 while the cell track does not exist.
  int32_t line_span = 0;
  int32_t cell_last = -1;

  // The track plan; allocated only when the line geometry file is built.
  LineTable line_table;
  std::vector<Cell> cell_track;  // empty until the line source sizes it
  std::array<ServiceRecord, kServiceRecords> service_table;

  bool has_cell_track() const { return !cell_track.empty(); }
  Cell& cell(int32_t i) { return cell_track[static_cast<size_t>(i)]; }
  const Cell& cell(int32_t i) const { return cell_track[static_cast<size_t>(i)]; }
  bool valid_cell(int64_t i) const { return i >= 0 && i <= cell_last && has_cell_track(); }
};

}  // namespace model
