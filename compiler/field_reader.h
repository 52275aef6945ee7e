// Reads a source text as a stream of fields, as both source parsers need it.
//
//  - A field ends at a comma, at a line end (CR LF, a lone CR or a lone LF) or
//    at the end of the text; the comma or line end is consumed with it.
//  - Blanks (space, tab) before a field are skipped. A text field keeps
//    everything up to its end, inner and trailing blanks included; a double
//    quote is an ordinary character.
//  - A numeric field is an optional minus and digits only. It also ends at a
//    blank; blanks after it are skipped, then one comma or line end, if it
//    follows, is consumed. So numbers may stand apart by blanks alone.
//  - Reading when nothing is left, an empty or malformed number, or a number
//    that does not fit its target throws ReadFailure.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace compiler {

class FieldReader {
 public:
  explicit FieldReader(std::string_view text) : text_(text) {}

  // True when nothing but the end of the text follows the read position.
  bool at_end() const { return pos_ >= text_.size(); }

  std::string read_text();
  int32_t read_long() { return static_cast<int32_t>(read_number(INT32_MIN, INT32_MAX)); }
  int16_t read_integer() { return static_cast<int16_t>(read_number(INT16_MIN, INT16_MAX)); }
  uint8_t read_byte() { return static_cast<uint8_t>(read_number(0, UINT8_MAX)); }

  // Moves the read position to the start of the line after the one that
  // holds byte `offset`, line `line` (1-based); to the end of the text when
  // that line is the last.
  void resume_after_line(size_t offset, int line);
  // Moves the read position to the start of the line that holds byte
  // `offset`, line `line` (1-based).
  void resume_at_line_of(size_t offset, int line);
  // Moves to the start of the next line unless the read position is at the
  // start of one.
  void skip_rest_of_line() {
    if (pos_ != line_start_) resume_after_line(pos_, line_);
  }

  // Where the field last read starts: 1-based line and column (in bytes),
  // its byte offset in the text, and its length up to the separator (blanks
  // after a number not counted).
  int field_line() const { return field_line_; }
  int field_column() const { return field_column_; }
  size_t field_offset() const { return field_start_; }
  size_t field_length() const { return field_end_ - field_start_; }

 private:
  int64_t read_number(int64_t min, int64_t max);
  void skip_blanks();
  // Consumes a line end at the read position, if one stands there.
  bool consume_line_end();
  void mark_field_start();
  [[noreturn]] void fail(const std::string& what) const;

  std::string_view text_;
  size_t pos_ = 0;
  int line_ = 1;
  size_t line_start_ = 0;
  int field_line_ = 0;
  int field_column_ = 0;
  size_t field_start_ = 0;
  size_t field_end_ = 0;
};

}  // namespace compiler
