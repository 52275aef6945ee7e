#include "compiler/line_builders.h"

#include <array>
#include <cmath>

#include "compiler/read_failure.h"
#include "model/rounding.h"
#include "model/status_codes.h"

namespace compiler {
namespace {

struct Triple {
  int32_t first = 0;
  int32_t second = 0;
  int32_t third = 0;
};

Triple triple_of(const model::ServiceRecord& record) {
  return {record.start_m, record.end_m, record.position_m};
}

// Orders three triples by first number when the first numbers do not sum to
// 0. Indices 0, 1, 2 stand for records 81, 82, 83.
std::array<Triple, 3> ordered_by_first(const std::array<Triple, 3>& t) {
  for (int top = 0; top < 3; ++top) {
    const int a = top == 0 ? 1 : 0;  // the other two, the lower record first
    const int b = top == 2 ? 1 : 2;
    if (t[top].first > t[a].first && t[top].first > t[b].first) {
      // On equal first numbers the triple from the higher record goes first.
      if (t[a].first > t[b].first) return {t[top], t[a], t[b]};
      return {t[top], t[b], t[a]};
    }
  }
  return {};  // the greatest first number occurs twice: all zero
}

// Without first numbers the second numbers decide; the last rule that holds
// wins.
std::array<Triple, 3> ordered_by_second(const std::array<Triple, 3>& t) {
  std::array<Triple, 3> result{};
  if (t[0].second > 0) result = {t[0], t[1], t[2]};
  if (t[1].second > 0) result = {t[1], t[0], t[2]};
  if (t[2].second > 0) result = {t[2], t[1], t[0]};
  return result;
}

// round(vd / 5 + vs * 20) in floating point, which must fit 16 bits.
int16_t board_speed(int32_t vs, int32_t vd) {
  return checked<int16_t>(std::nearbyint(vd / 5.0 + vs * 20.0), "a board speed");
}

}  // namespace

void order_progressives(model::Scenario& model) {
  const std::array<Triple, 3> entry = {triple_of(model.service_table[model::kProgressiveTre]),
                                       triple_of(model.service_table[model::kProgressiveTre + 1]),
                                       triple_of(model.service_table[model::kProgressiveTre + 2])};
  // Summed from left to right on 32 bits: each partial sum must fit.
  const int32_t partial =
      checked<int32_t>(int64_t{entry[0].first} + entry[1].first, "the progressives' sum");
  const int32_t sum = checked<int32_t>(int64_t{partial} + entry[2].first, "the progressives' sum");
  const std::array<Triple, 3> result =
      sum != 0 ? ordered_by_first(entry) : ordered_by_second(entry);
  for (int i = 0; i < 3; ++i) {
    model::ServiceRecord& record = model.service_table[model::kProgressiveTre + i];
    record.start_m = result[i].first;
    record.end_m = result[i].second;
    record.position_m = result[i].third;
  }
  for (int i = 0; i < 3; ++i) {
    model::ServiceRecord& record = model.service_table[model::kProgressiveTre + i];
    if (record.position_m == 1)
      record.end_m = checked<int32_t>(int64_t{record.end_m} + 100, "a progressive's end");
  }
}

Fault record_tunnel(model::Scenario& model, CompileState& state, const TunnelEntry& tunnel) {
  const int64_t first = model::stretch_cell(tunnel.start);
  const int64_t last = static_cast<int64_t>(std::nearbyint(tunnel.end / 50.0 - 1.0));
  const bool covers_cells = first <= last;
  if (state.tunnel_count >= kMaxTunnels) return {model::status::kOutOfRange, -1};
  if (covers_cells && !(model.valid_cell(first) && model.valid_cell(last)))
    return {model::status::kOutOfRange, model.valid_cell(first) ? last : first};
  int32_t type = tunnel.type;
  bool filler = false;
  if (type > 10) {
    type -= 10;
    filler = true;
  }
  const int32_t n = ++state.tunnel_count;
  state.tunnel_start[static_cast<size_t>(n)] = tunnel.start;
  state.tunnel_end[static_cast<size_t>(n)] = tunnel.end;
  // The previous entry in the order of the file, wherever it lies.
  if (n > 1 && int64_t{tunnel.start} - state.tunnel_end[static_cast<size_t>(n) - 1] <= 150)
    type = 3;
  if (!covers_cells) return no_fault();
  int64_t k = 0;
  for (int64_t c = first; c <= last; ++c) {
    ++k;
    model::Cell& cell = model.cell(static_cast<int32_t>(c));
    cell.tunnel_type = static_cast<uint8_t>(type);  // its low 8 bits
    if (filler && k % 4 == 0 && cell.kind == model::kind::kNothing)
      cell.kind = model::kind::kTunnelFiller;
  }
  return no_fault();
}

Fault place_speed_board(model::Scenario& model, const SpeedBoardEntry& board, const Claim& claim) {
  const int64_t c = model::point_cell(board.position);
  if (!model.valid_cell(c)) return {model::status::kOutOfRange, c};
  model::Cell& cell = model.cell(static_cast<int32_t>(c));
  if (!model::is_free(cell)) return {model::status::kSpeedBoardCellTaken, c};
  const int16_t a = board_speed(board.first_speed_a, board.second_speed_a);
  const int16_t b = board_speed(board.first_speed_b, board.second_speed_b);
  const int16_t c_value = board_speed(board.first_speed_c, board.second_speed_c);
  cell.kind = model::kind::kSpeedBoard;
  cell.value_a = a;
  cell.value_b = b;
  cell.value_c = c_value;
  // Only the low 16 bits are kept, without an overflow failure.
  const uint32_t stripes = static_cast<uint32_t>(board.first_stripes) * 10u +
                           static_cast<uint32_t>(board.second_stripes);
  cell.value_d = static_cast<int16_t>(static_cast<uint16_t>(stripes));
  claim(c);
  return no_fault();
}

}  // namespace compiler
