// The cell post-processing: one pass over the cell track that places markers
// (kind 12, value 180) before the signals in front of a slowdown's warning
// board, at fixed distances before a slowdown's start, every 400 m inside a
// slow slowdown, and before the first signal after a slowdown. A marker with
// no room records a status and the pass goes on.
#include <algorithm>
#include <cstdint>
#include <vector>

#include "compiler/fault.h"
#include "compiler/fault_notes.h"
#include "compiler/passes.h"
#include "model/status_codes.h"

namespace compiler {
namespace {

constexpr int16_t kMarkerValue = 180;
// Slowdowns below this speed get markers inside them.
constexpr int16_t kFastSlowdown = 110;
// Rule 1 looks this many cells back from a warning board.
constexpr int kSignalsBeforeBoard = 20;
// Rule 2: the candidates of each group, nearest first, in cells before the start.
constexpr int kBeforeStart[3][3] = {{5, 6, 7}, {11, 12, 13}, {18, 19, 20}};
// Rule 3: a marker every this many cells inside a slow slowdown.
constexpr int kInsideStep = 8;
// Rule 4 looks for a signal in the end cell and this many cells after it.
constexpr int kAfterEnd = 12;

// The cells as the rules see them: a cell outside the table is never free and
// never of any kind, so nothing is read or written there.
class Cells {
 public:
  Cells(model::Scenario& model, CompileState& state)
      : model_(model),
        state_(state),
        last_(std::min<int64_t>(model.cell_last,
                                static_cast<int64_t>(model.cell_track.size()) - 1)) {}

  int32_t last() const { return static_cast<int32_t>(last_); }
  bool inside(int64_t c) const { return c >= 0 && c <= last_; }
  bool is(int64_t c, uint8_t kind) const { return inside(c) && at(c).kind == kind; }
  int16_t value_a(int64_t c) const { return at(c).value_a; }

  // Makes cell c a marker when it is free; whether it did.
  bool mark_if_free(int64_t c) {
    if (!inside(c) || !model::is_free(at(c))) return false;
    at(c).kind = model::kind::kMarker;
    at(c).value_a = kMarkerValue;
    return true;
  }
  // Caps an existing marker at the marker value; whether cell c is one.
  bool cap_if_marker(int64_t c) {
    if (!is(c, model::kind::kMarker)) return false;
    at(c).value_a = std::min(kMarkerValue, at(c).value_a);
    return true;
  }

  // Records a marker without room: the code at cell c (its position c * 50),
  // explained at the entry that put cell `subject` there, with notes.
  void fail(int32_t code, int64_t c, int64_t subject, std::vector<Note> notes) {
    const int32_t position = static_cast<int32_t>(c * 50);
    const int owner = state_.record.cell_owner(subject);
    Location where = owner == SourceRecord::kNone
                         ? Location::whole_file(model::FileKind::kTrainSource)
                         : state_.record.field(owner, 0);
    // The compile records the cell's metre; the author wrote the entry's own.
    const std::string detail = owner == SourceRecord::kNone ? ""
                                                            : describe(state_.record.entry(owner)) +
                                                                  ", cell " + std::to_string(c);
    Diagnostic d = fault_diagnostic(code, position, where, detail);
    d.notes = std::move(notes);
    state_.error_position = position;
    state_.fail(std::move(d));
  }
  // "cell N, D m before <what>, is taken by ..."
  Note before(int64_t c, int64_t cells_before, const std::string& what) const {
    return cell_note(model_, state_.record, c - cells_before,
                     ", " + std::to_string(cells_before * 50) + " m before " + what + ",");
  }
  Note taken(int64_t c, const std::string& detail) const {
    return cell_note(model_, state_.record, c, detail);
  }
  const SourceRecord& record() const { return state_.record; }

 private:
  model::Cell& at(int64_t c) const { return model_.cell(static_cast<int32_t>(c)); }

  model::Scenario& model_;
  CompileState& state_;
  int64_t last_;
};

// Rule 1: every signal up to 20 cells before the warning board in cell n gets
// a marker in one of the two cells before it. Signals in cells below 3 are
// not looked at.
void signals_before_board(Cells& cells, int32_t n) {
  for (int a = 1; a <= kSignalsBeforeBoard && n - a >= 3; ++a) {
    const int32_t s = n - a;
    if (!cells.is(s, model::kind::kSignal)) continue;
    if (cells.mark_if_free(s - 1) || cells.mark_if_free(s - 2) || cells.cap_if_marker(s - 1) ||
        cells.cap_if_marker(s - 2))
      continue;
    std::vector<Note> notes;
    const int board = cells.record().cell_owner(n);
    if (board != SourceRecord::kNone)
      notes.push_back({cells.record().field(board, 0),
                       describe(cells.record().entry(board)) + " has its warning board in cell " +
                           std::to_string(n) + ", " + std::to_string(a * 50) +
                           " m after the signal"});
    notes.push_back(cells.before(s, 1, "the signal"));
    notes.push_back(cells.before(s, 2, "the signal"));
    cells.fail(model::status::kNoRoomBeforeSignal, s, s, std::move(notes));
  }
}

// Rule 2: one marker in each group of candidates before the start in cell n
// that lies wholly above cell 0. An existing marker counts as taken.
void markers_before_start(Cells& cells, int32_t n) {
  for (const auto& group : kBeforeStart) {
    if (n <= group[2]) continue;
    if (std::any_of(std::begin(group), std::end(group),
                    [&](int before) { return cells.mark_if_free(n - before); }))
      continue;
    std::vector<Note> notes;
    for (int before : group) notes.push_back(cells.before(n, before, "the start"));
    cells.fail(model::status::kNoRoomBeforeSlowdown, n, n, std::move(notes));
  }
}

// Rule 3: walks from the start in cell n to the slowdown's end (or the last
// cell), placing a marker 8 cells after the start and 8 after each marker
// actually placed. Returns the cell where the walk stopped.
int32_t markers_inside(Cells& cells, int32_t n) {
  int32_t k = n;
  int counter = 0;
  do {
    ++k;
    ++counter;
    if (counter != kInsideStep) continue;
    if (cells.mark_if_free(k))
      counter = 0;
    else if (cells.mark_if_free(k - 1))
      counter = 1;
    else if (cells.mark_if_free(k + 1))
      counter = -1;
    else {
      // The counter passes 8 and this walk places no further marker.
      const std::string place = ", a place for the marker inside the slowdown,";
      cells.fail(model::status::kNoRoomInsideSlowdown, k, n,
                 {cells.taken(k, place), cells.taken(k - 1, place), cells.taken(k + 1, place)});
    }
  } while (!cells.is(k, model::kind::kSlowdownEnd) && k < cells.last());
  return k;
}

// The end of the slowdown that starts in cell n: its first end cell after the
// start, or the last cell when there is none.
int32_t end_of_slowdown(const Cells& cells, int32_t n) {
  for (int32_t k = n + 1; k <= cells.last(); ++k)
    if (cells.is(k, model::kind::kSlowdownEnd)) return k;
  return cells.last();
}

// Rule 4: a marker before the first signal within 12 cells of the end cell t
// of the slowdown that starts in cell n.
void marker_before_next_signal(Cells& cells, int32_t n, int32_t t) {
  for (int32_t s = t; s <= t + kAfterEnd && s <= cells.last(); ++s) {
    if (!cells.is(s, model::kind::kSignal)) continue;
    const int32_t p = s - 1;
    if (p > 0 && !cells.mark_if_free(p) && !cells.mark_if_free(p - 1)) {
      Note signal = cells.taken(s, "");
      signal.message = "the first signal after the slowdown stands in cell " + std::to_string(s);
      cells.fail(model::status::kNoRoomInsideSlowdown, t, n,
                 {signal, cells.before(s, 1, "that signal"), cells.before(s, 2, "that signal")});
    }
    return;
  }
}

}  // namespace

void post_process(model::Scenario& model, CompileState& state) {
  if (!model.has_cell_track()) return;
  Cells cells(model, state);
  // Rules write only other cells than n and are never started by a marker.
  for (int32_t n = 1; n <= cells.last() - 2; ++n) {
    if (cells.is(n, model::kind::kWarningBoard)) {
      signals_before_board(cells, n);
    } else if (cells.is(n, model::kind::kSlowdownStart)) {
      markers_before_start(cells, n);
      const int32_t t =
          cells.value_a(n) < kFastSlowdown ? markers_inside(cells, n) : end_of_slowdown(cells, n);
      marker_before_next_signal(cells, n, t);
    }
  }
}

}  // namespace compiler
