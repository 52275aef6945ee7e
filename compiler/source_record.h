// The compiler's record of what it read: every entry with the place of its
// keyword and of each field, and which entry claimed each cell and each
// service record. Faults are explained from it, and tools that show a
// scenario (check, plot) read it instead of parsing the sources again.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "compiler/diagnostic.h"
#include "model/scenario.h"

namespace compiler {

// What the compiler took an entry for.
enum class EntryKind {
  kLineLength,
  kProgressive,
  kBackground,
  kSignalRepetition,
  kGradient,
  kCurve,
  kTunnel,
  kSpeedBoard,
  kNameBoard,
  kBrakedMass,
  kCoaches,
  kSpeed,
  kAdhesion,
  kClock,
  kSand,
  kSignal,
  kSlowdown,
  kAbbattimento,
  kStation,
};

struct SourceEntry {
  EntryKind kind;
  std::string keyword;  // the keyword field as read
  Location keyword_at;
  std::vector<Location> fields;     // every field read after the keyword, in order
  std::vector<int64_t> numbers;     // the number read in each of them (0 for a text)
  std::optional<int32_t> position;  // metres, for the entries placed on the line
  std::string name;                 // a station's name or a board's text
};

// "the signal at 1450 m", "the station ROMA OSTIENSE at 26650 m".
std::string describe(const SourceEntry& entry);

// Whether a field whose read failed at `at` was sought past the entry's
// own line: it stands on a later line, from which the entry read nothing
// before it. Such a field is most likely the next entry's keyword.
bool sought_past_its_line(const SourceEntry& entry, const Location& at);

class SourceRecord {
 public:
  static constexpr int kNone = -1;

  int add(SourceEntry entry) {
    entries_.push_back(std::move(entry));
    return static_cast<int>(entries_.size()) - 1;
  }
  const std::vector<SourceEntry>& entries() const { return entries_; }
  SourceEntry& entry(int index) { return entries_[static_cast<size_t>(index)]; }
  const SourceEntry& entry(int index) const { return entries_[static_cast<size_t>(index)]; }

  // Where field `n` of an entry stands (0: the keyword); the keyword when
  // the entry has no such field.
  Location field(int entry, int n) const;

  // A claim on a cell that another entry held: what that entry put there is
  // lost.
  struct Replacement {
    int64_t cell;
    int lost;  // the entry that held the cell
    int by;    // the entry that took it
  };
  // A repeat code written into a cell; the cell keeps the last one.
  struct RepeatCodeWrite {
    int entry;
    int64_t cell;
    uint8_t code;
  };

  // A cell track made anew forgets every claim on it.
  void reset_cells(size_t cells) {
    cell_owner_.assign(cells, kNone);
    replaced_.clear();
    repeat_code_writes_.clear();
  }
  void claim_cell(int64_t cell, int entry) {
    if (cell < 0 || static_cast<size_t>(cell) >= cell_owner_.size()) return;
    int& owner = cell_owner_[static_cast<size_t>(cell)];
    if (owner != kNone && owner != entry) replaced_.push_back({cell, owner, entry});
    owner = entry;
  }
  const std::vector<Replacement>& replaced_cells() const { return replaced_; }
  void wrote_repeat_code(int64_t cell, uint8_t code, int entry) {
    repeat_code_writes_.push_back({entry, cell, code});
  }
  // In the order written.
  const std::vector<RepeatCodeWrite>& repeat_code_writes() const { return repeat_code_writes_; }
  // The entry that put what the cell holds there, or kNone.
  int cell_owner(int64_t cell) const {
    if (cell < 0 || static_cast<size_t>(cell) >= cell_owner_.size()) return kNone;
    return cell_owner_[static_cast<size_t>(cell)];
  }
  void claim_record(int record, int entry) { record_owner_[static_cast<size_t>(record)] = entry; }
  int record_owner(int record) const { return record_owner_[static_cast<size_t>(record)]; }

 private:
  std::vector<SourceEntry> entries_;
  std::vector<int> cell_owner_;
  std::vector<Replacement> replaced_;
  std::vector<RepeatCodeWrite> repeat_code_writes_;
  std::vector<int> record_owner_ = std::vector<int>(model::kServiceRecords, kNone);
};

// Lets a builder claim the cells it writes for the entry being read. A
// default Claim (a builder tested on its own) claims nothing.
struct Claim {
  SourceRecord* record = nullptr;
  int entry = SourceRecord::kNone;
  void operator()(int64_t cell) const {
    if (record) record->claim_cell(cell, entry);
  }
  void repeat_code(int64_t cell, uint8_t code) const {
    if (record) record->wrote_repeat_code(cell, code, entry);
  }
};

}  // namespace compiler
