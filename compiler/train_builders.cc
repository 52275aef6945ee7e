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

struct SlowdownCells {
  bool has_board;        // a warning board, and the pre-warning cells when f_ta is nonzero
  int64_t board;         // w
  int64_t start;         // s
  int64_t end;           // e
  int64_t before_board;  // m: the nearest pre-warning cell
};

SlowdownCells slowdown_cells(int32_t inizio, int32_t l) {
  SlowdownCells cells;
  cells.has_board = inizio > kLastStartWithoutBoard;
  const int64_t board_metre = static_cast<int64_t>(inizio) - kBoardDistance;
  cells.board = model::point_cell(board_metre);
  cells.start = model::point_cell(inizio);
  cells.end = model::point_cell(static_cast<int64_t>(inizio) + l);
  cells.before_board = model::stretch_cell(board_metre);
  return cells;
}

int64_t signal_cell(int32_t posizione) { return model::point_cell(posizione); }

}  // namespace

bool segnale_fits(const model::Scenario& model, int32_t posizione) {
  const int64_t c = signal_cell(posizione);
  return model.valid_cell(c) && model.valid_cell(c - 8);
}

bool rallentamento_fits(const model::Scenario& model, int32_t inizio, int32_t l, int32_t f_ta) {
  const SlowdownCells cells = slowdown_cells(inizio, l);
  if (!model.valid_cell(cells.start) || !model.valid_cell(cells.end)) return false;
  if (!cells.has_board) return true;
  if (!model.valid_cell(cells.board)) return false;
  return f_ta == 0 ||
         (model.valid_cell(cells.before_board) && model.valid_cell(cells.before_board - 3));
}

void memo_segnale(model::Scenario& model, int32_t posizione, int32_t sx, int32_t s1, int32_t s2,
                  int32_t s3, int32_t rapp, int32_t dx, int32_t d1, int32_t d2, int32_t d3,
                  int32_t& tempo) {
  if (!segnale_fits(model, posizione)) {
    model.fail(model::status::kOutOfRange);
    return;
  }
  const int32_t c = static_cast<int32_t>(signal_cell(posizione));
  model::Cell& signal = model.cell(c);
  if (!model::is_free(signal)) {
    model.fail(model::status::kSignalCellTaken);
    return;
  }
  signal.kind = model::kind::kSignal;
  signal.value_d = low16(int64_t{rapp} * 10 + int64_t{sx} * 3 + dx);
  signal.value_a = low16(int64_t{s1} * 10 + d1);
  signal.value_b = low16(int64_t{s2} * 10 + d2);
  signal.value_c = low16(int64_t{s3} * 10 + d3);
  // The shortest delay a signal can carry is 101; 0 means none.
  if (tempo >= 1 && tempo <= 100) tempo = 101;
  signal.signal_time = sx == 2 ? low8(tempo) : 0;
  for (int k = 1; k <= 4; ++k)
    model.cell(c - 2 * k).repeat_code = low8((int64_t{sx} * 3 + dx) * 10 + k);
}

void memo_rallentamento(model::Scenario& model, int32_t inizio, int32_t v, int32_t l, int32_t f_tt,
                        int32_t f_ta, int32_t d_v) {
  if (!rallentamento_fits(model, inizio, l, f_ta)) {
    model.fail(model::status::kOutOfRange);
    return;
  }
  const SlowdownCells at = slowdown_cells(inizio, l);
  // Every free-cell test comes before the first write, but for the
  // pre-warning cells, which are tested after the board, start and end.
  if (at.has_board) {
    if (!model::is_free(model.cell(static_cast<int32_t>(at.board)))) {
      model.fail(model::status::kWarningCellTaken);
      return;
    }
  } else {
    f_ta = 0;
  }
  model::Cell& start = model.cell(static_cast<int32_t>(at.start));
  if (!model::is_free(start)) {
    model.fail(model::status::kSlowdownStartTaken);
    return;
  }
  model::Cell& end = model.cell(static_cast<int32_t>(at.end));
  if (!model::is_free(end)) {
    model.fail(model::status::kSlowdownEndTaken);
    return;
  }

  // A slowdown so short that start and end share a cell leaves a start there.
  end.kind = model::kind::kSlowdownEnd;
  if (d_v != 0) end.value_b = low16(d_v);
  start.kind = model::kind::kSlowdownStart;
  if (d_v != 0) start.value_b = low16(d_v);
  if (at.has_board) {
    model::Cell& board = model.cell(static_cast<int32_t>(at.board));
    board.kind = model::kind::kWarningBoard;
    if (d_v != 0) board.value_b = low16(d_v);
    board.value_a = low16(v);
  }
  start.value_a = low16(v);
  end.value_a = low16(v);
  start.value_c = low16(f_tt);
  end.value_c = low16(f_tt);

  if (f_ta == 0) return;
  const int32_t m = static_cast<int32_t>(at.before_board);
  for (int i = 0; i < 4; ++i) {
    if (!model::is_free(model.cell(m - i))) {
      model.fail(model::status::kPreWarningTaken);
      return;
    }
  }
  for (int i = 0; i < 4; ++i) {
    model::Cell& pre = model.cell(m - i);
    pre.kind = model::kind::kPreWarning;
    pre.value_a = static_cast<int16_t>(i + 1);
    if (d_v != 0) pre.value_b = static_cast<int16_t>(i + 1);
  }
}

}  // namespace compiler
