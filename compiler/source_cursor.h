// Reads a source entry by entry for both passes: the keyword field, the
// comment fields passed over before it, and the fields of the entry, each
// recorded with its place so that a fault can point at it.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "compiler/diagnostic.h"
#include "compiler/field_reader.h"
#include "compiler/field_reference.h"
#include "compiler/source_record.h"
#include "model/file_names.h"

namespace compiler {

// The longest text a service record can hold: its length is stored in 16 bits.
inline constexpr size_t kLongestRecordText = 65535;

class SourceCursor {
 public:
  SourceCursor(std::string_view text, model::FileKind file, SourceRecord& record,
               std::vector<Diagnostic>& warnings)
      : text_(text), reader_(text), file_(file), record_(record), warnings_(warnings) {}

  // From here on, fields that read as no keyword and entries laid out other
  // than their keyword wants are warned about; the head before "[generale]"
  // is passed over in silence.
  void start_warning() { warning_ = true; }
  // The section whose keyword fields are read from here on: a keyword of
  // another section is told as misplaced rather than as a typo.
  void enter_section(Section section);
  // The end of the pass: the last keyword field read is looked at too.
  void finish();
  // A pass that stops at a fault: the entry being read is looked at, so
  // that a layout that explains the fault is told. `cut_short`: the fault
  // is a read of a field past the entry's line, whose message already tells
  // how the entry's fields were laid out.
  void finish_entry(bool cut_short = false);
  // After a read failure at `failed_at` the diagnostic pass goes on. When
  // the entry's line ran short and the read went on into a later line, that
  // line is read afresh from its start: it holds the next entry. Otherwise
  // the rest of the line where the entry stopped is the entry's own, and
  // the pass goes on after it. False at the end of the text.
  bool resume_after_entry(const Location& failed_at);
  // After an entry the diagnostic pass passed over: what its line still
  // holds belongs to it. False at the end of the text.
  bool skip_rest_of_entry_line();

  bool at_end() const { return reader_.at_end(); }
  std::string_view text() const { return text_; }

  // Reads the next field as a keyword field.
  void read_keyword();
  // The keyword field last read.
  const std::string& keyword() const { return keyword_; }
  const Location& keyword_at() const { return keyword_at_; }

  // Passes over comment fields, those holding a dash: while the keyword
  // field holds one, up to `limit` times, reads the next field in its place.
  // With `stop_at_end`, returns false as soon as the end follows a field so
  // read (the entry is then never examined).
  bool skip_comments(int limit, bool stop_at_end);

  // Starts the record of an entry of `kind` at the keyword last read; the
  // fields read after this belong to it. Returns its index in the record.
  int begin_entry(EntryKind kind);
  // The keyword last read names an entry this compile passes over on
  // purpose (a curve when no plan is built): neither it nor the values after
  // it on its line are warned about.
  void pass_over_entry();
  int entry() const { return entry_; }

  int32_t read_long();
  int16_t read_integer();
  uint8_t read_byte();
  // A text that goes into a service record: at most 65535 bytes once
  // written in Windows-1252, or the read fails at the field.
  std::string read_record_text();

  // Where the field last read starts.
  Location last_field() const;
  // Where a read failure stood: the failing field, or the entry's keyword
  // when the read ran past the end of the text.
  Location failure_location(int failure_line, int failure_column) const;

 private:
  void note_field(int64_t number);
  // Records a warning of the layout or keyword kind, up to kMostWarnings.
  void warn(Diagnostic d);
  static constexpr int kMostWarnings = 50;
  // Looks at the keyword field last read once the entries it began are read.
  void finish_keyword(bool examined, bool cut_short = false);
  // The keyword of another section or source that a keyword field which
  // matched nothing holds, or nullptr.
  const KeywordReference* keyword_of_another_section() const;
  // A general part that never ended is told once, at its first feature entry.
  bool told_already(const KeywordReference& found) const;
  Diagnostic misplaced(const KeywordReference& found);

  std::string_view text_;
  FieldReader reader_;
  model::FileKind file_;
  SourceRecord& record_;
  std::vector<Diagnostic>& warnings_;
  std::string keyword_;
  Location keyword_at_;
  int entry_ = SourceRecord::kNone;

  bool warning_ = false;
  std::vector<int> begun_;                  // the entries the last keyword field began
  int last_entry_ = SourceRecord::kNone;    // the entry read last
  int line_passed_over_ = 0;                // a line whose keyword matched nothing
  bool entry_passed_over_ = false;          // the last keyword is one passed over on purpose
  int extra_warned_ = SourceRecord::kNone;  // one extra-field warning an entry
  int warnings_given_ = 0;
  Section section_ = Section::kGeneral;
  Location section_header_at_;  // the header that ended the general part
  bool told_general_never_ended_ = false;
  bool follows_comment_on_its_line_ = false;  // the field was read in place of a comment field
};

}  // namespace compiler
