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

void progressive_ordina(model::Scenario& model) {
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

void memo_montagna(model::Scenario& model, int32_t inizio, int32_t fine, int32_t tipo) {
  const int64_t first = model::stretch_cell(inizio);
  const int64_t last = static_cast<int64_t>(std::nearbyint(fine / 50.0 - 1.0));
  const bool covers_cells = first <= last;
  if (model.tunnel_count >= model::kMaxTunnels ||
      (covers_cells && !(model.valid_cell(first) && model.valid_cell(last)))) {
    model.fail(model::status::kOutOfRange, inizio);
    return;
  }
  bool filler = false;
  if (tipo > 10) {
    tipo -= 10;
    filler = true;
  }
  const int32_t n = ++model.tunnel_count;
  model.tunnel_start[n] = inizio;
  model.tunnel_end[n] = fine;
  // The previous entry in the order of the file, wherever it lies.
  if (n > 1 && int64_t{inizio} - model.tunnel_end[n - 1] <= 150) tipo = 3;
  if (!covers_cells) return;
  int64_t k = 0;
  for (int64_t c = first; c <= last; ++c) {
    ++k;
    model::Cell& cell = model.cell(static_cast<int32_t>(c));
    cell.tunnel_type = static_cast<uint8_t>(tipo);  // its low 8 bits
    if (filler && k % 4 == 0 && cell.kind == model::kind::kNothing)
      cell.kind = model::kind::kTunnelFiller;
  }
}

void memo_indicatori_v_max(model::Scenario& model, int32_t posizione, int32_t vas, int32_t vbs,
                           int32_t vcs, int32_t strisces, int32_t vad, int32_t vbd, int32_t vcd,
                           int32_t strisced) {
  const int64_t c = model::point_cell(posizione);
  if (!model.valid_cell(c)) {
    model.fail(model::status::kOutOfRange, posizione);
    return;
  }
  model::Cell& cell = model.cell(static_cast<int32_t>(c));
  if (!model::is_free(cell)) {
    model.fail(model::status::kSpeedBoardCellTaken, posizione);
    return;
  }
  const int16_t a = board_speed(vas, vad);
  const int16_t b = board_speed(vbs, vbd);
  const int16_t c_value = board_speed(vcs, vcd);
  cell.kind = model::kind::kSpeedBoard;
  cell.value_a = a;
  cell.value_b = b;
  cell.value_c = c_value;
  // Only the low 16 bits are kept, without an overflow failure.
  const uint32_t stripes = static_cast<uint32_t>(strisces) * 10u + static_cast<uint32_t>(strisced);
  cell.value_d = static_cast<int16_t>(static_cast<uint16_t>(stripes));
}

}  // namespace compiler
