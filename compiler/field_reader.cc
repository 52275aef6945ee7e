#include "compiler/field_reader.h"

#include "compiler/read_failure.h"

namespace compiler {
namespace {

bool is_blank(char c) { return c == ' ' || c == '\t'; }
bool is_line_end(char c) { return c == '\r' || c == '\n'; }
bool is_digit(char c) { return c >= '0' && c <= '9'; }

}  // namespace

void FieldReader::fail(const std::string& what) const {
  throw ReadFailure(what, field_line_, field_column_);
}

void FieldReader::skip_blanks() {
  while (pos_ < text_.size() && is_blank(text_[pos_])) ++pos_;
}

bool FieldReader::consume_line_end() {
  if (pos_ >= text_.size()) return false;
  if (text_[pos_] == '\r') {
    ++pos_;
    if (pos_ < text_.size() && text_[pos_] == '\n') ++pos_;
  } else if (text_[pos_] == '\n') {
    ++pos_;
  } else {
    return false;
  }
  ++line_;
  line_start_ = pos_;
  return true;
}

void FieldReader::resume_after_line(size_t offset, int line) {
  pos_ = offset < text_.size() ? offset : text_.size();
  line_ = line;
  while (pos_ < text_.size() && !is_line_end(text_[pos_])) ++pos_;
  if (!consume_line_end()) pos_ = text_.size();
}

void FieldReader::resume_at_line_of(size_t offset, int line) {
  pos_ = offset < text_.size() ? offset : text_.size();
  while (pos_ > 0 && !is_line_end(text_[pos_ - 1])) --pos_;
  line_ = line;
  line_start_ = pos_;
}

void FieldReader::mark_field_start() {
  field_line_ = line_;
  field_column_ = static_cast<int>(pos_ - line_start_) + 1;
  field_start_ = field_end_ = pos_;
}

std::string FieldReader::read_text() {
  if (at_end()) {
    mark_field_start();
    fail("read past the end of the file");
  }
  skip_blanks();
  mark_field_start();
  size_t start = pos_;
  while (pos_ < text_.size() && text_[pos_] != ',' && !is_line_end(text_[pos_])) ++pos_;
  field_end_ = pos_;
  std::string field(text_.substr(start, pos_ - start));
  if (pos_ < text_.size() && text_[pos_] == ',')
    ++pos_;
  else
    consume_line_end();
  return field;
}

int64_t FieldReader::read_number(int64_t min, int64_t max) {
  if (at_end()) {
    mark_field_start();
    fail("read past the end of the file");
  }
  skip_blanks();
  mark_field_start();
  bool negative = false;
  if (pos_ < text_.size() && text_[pos_] == '-') {
    negative = true;
    ++pos_;
  }
  if (pos_ >= text_.size() || !is_digit(text_[pos_])) fail("a number was expected");
  int64_t value = 0;
  bool too_large = false;
  while (pos_ < text_.size() && is_digit(text_[pos_])) {
    if (value <= INT64_MAX / 100)
      value = value * 10 + (text_[pos_] - '0');
    else
      too_large = true;
    ++pos_;
  }
  field_end_ = pos_;
  if (pos_ < text_.size() && text_[pos_] != ',' && !is_blank(text_[pos_]) &&
      !is_line_end(text_[pos_]))
    fail("a number was expected");
  if (negative) value = -value;
  if (too_large || value < min || value > max) fail("number out of range");
  skip_blanks();
  if (pos_ < text_.size() && text_[pos_] == ',')
    ++pos_;
  else
    consume_line_end();
  return value;
}

}  // namespace compiler
