#include "compiler/train_builders.h"

#include <cmath>

#include "model/rounding.h"
#include "model/status_codes.h"

namespace compiler {
namespace {

// The 16-bit and 8-bit cell fields keep the low bits of what is packed into
// them; the sums are formed on 64 bits so that they cannot overflow first.
int16_t low16(int64_t value) { return static_cast<int16_t>(static_cast<uint16_t>(value)); }
uint8_t low8(int64_t value) { return static_cast<uint8_t>(value); }

// A slowdown without a warning board starts at or before this metre.
constexpr int32_t kLastStartWithoutBoard = 1500;
constexpr int32_t kBoardDistance = 1200;

int64_t signal_cell(int32_t position) { return model::point_cell(position); }

}  // namespace

SlowdownCells slowdown_cells(int32_t start, int32_t length) {
  SlowdownCells cells;
  cells.has_board = start > kLastStartWithoutBoard;
  const int64_t board_metre = static_cast<int64_t>(start) - kBoardDistance;
  cells.board = model::point_cell(board_metre);
  cells.start = model::point_cell(start);
  cells.end = model::point_cell(static_cast<int64_t>(start) + length);
  cells.before_board = model::stretch_cell(board_metre);
  return cells;
}

bool signal_fits(const model::Scenario& model, int32_t position) {
  const int64_t c = signal_cell(position);
  return model.valid_cell(c) && model.valid_cell(c - 8);
}

bool slowdown_fits(const model::Scenario& model, const SlowdownEntry& slowdown) {
  const SlowdownCells cells = slowdown_cells(slowdown.start, slowdown.length);
  if (!model.valid_cell(cells.start) || !model.valid_cell(cells.end)) return false;
  if (!cells.has_board) return true;
  if (!model.valid_cell(cells.board)) return false;
  return slowdown.f_ta == 0 ||
         (model.valid_cell(cells.before_board) && model.valid_cell(cells.before_board - 3));
}

Fault place_signal(model::Scenario& model, SignalEntry& e, const Claim& claim) {
  if (!signal_fits(model, e.position)) return {model::status::kOutOfRange, -1};
  const int32_t c = static_cast<int32_t>(signal_cell(e.position));
  model::Cell& signal = model.cell(c);
  if (!model::is_free(signal)) return {model::status::kSignalCellTaken, c};
  signal.kind = model::kind::kSignal;
  signal.value_d = low16(int64_t{e.rapp} * 10 + int64_t{e.sx} * 3 + e.dx);
  signal.value_a = low16(int64_t{e.s1} * 10 + e.d1);
  signal.value_b = low16(int64_t{e.s2} * 10 + e.d2);
  signal.value_c = low16(int64_t{e.s3} * 10 + e.d3);
  // The shortest delay a signal can carry is 101; 0 means none.
  if (e.tempo >= 1 && e.tempo <= 100) e.tempo = 101;
  signal.signal_time = e.sx == 2 ? low8(e.tempo) : 0;
  for (int k = 1; k <= 4; ++k) {
    const uint8_t code = low8((int64_t{e.sx} * 3 + e.dx) * 10 + k);
    model.cell(c - 2 * k).repeat_code = code;
    claim.repeat_code(c - 2 * k, code);
  }
  claim(c);
  return no_fault();
}

Fault place_slowdown(model::Scenario& model, const SlowdownEntry& e, const Claim& claim) {
  if (!slowdown_fits(model, e)) return {model::status::kOutOfRange, -1};
  const SlowdownCells at = slowdown_cells(e.start, e.length);
  int32_t f_ta = e.f_ta;
  // Every free-cell test comes before the first write, but for the
  // pre-warning cells, which are tested after the board, start and end.
  if (at.has_board) {
    if (!model::is_free(model.cell(static_cast<int32_t>(at.board))))
      return {model::status::kWarningCellTaken, at.board};
  } else {
    f_ta = 0;
  }
  model::Cell& start = model.cell(static_cast<int32_t>(at.start));
  if (!model::is_free(start)) return {model::status::kSlowdownStartTaken, at.start};
  model::Cell& end = model.cell(static_cast<int32_t>(at.end));
  if (!model::is_free(end)) return {model::status::kSlowdownEndTaken, at.end};

  // A slowdown so short that start and end share a cell leaves a start there.
  end.kind = model::kind::kSlowdownEnd;
  if (e.d_v != 0) end.value_b = low16(e.d_v);
  start.kind = model::kind::kSlowdownStart;
  if (e.d_v != 0) start.value_b = low16(e.d_v);
  claim(at.end);
  claim(at.start);
  if (at.has_board) {
    model::Cell& board = model.cell(static_cast<int32_t>(at.board));
    board.kind = model::kind::kWarningBoard;
    if (e.d_v != 0) board.value_b = low16(e.d_v);
    board.value_a = low16(e.speed);
    claim(at.board);
  }
  start.value_a = low16(e.speed);
  end.value_a = low16(e.speed);
  start.value_c = low16(e.f_tt);
  end.value_c = low16(e.f_tt);

  if (f_ta == 0) return no_fault();
  const int32_t m = static_cast<int32_t>(at.before_board);
  for (int i = 0; i < 4; ++i)
    if (!model::is_free(model.cell(m - i))) return {model::status::kPreWarningTaken, m - i};
  for (int i = 0; i < 4; ++i) {
    model::Cell& pre = model.cell(m - i);
    pre.kind = model::kind::kPreWarning;
    pre.value_a = static_cast<int16_t>(i + 1);
    if (e.d_v != 0) pre.value_b = static_cast<int16_t>(i + 1);
    claim(m - i);
  }
  return no_fault();
}

}  // namespace compiler
