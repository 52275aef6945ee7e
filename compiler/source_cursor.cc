#include "compiler/source_cursor.h"

#include "compiler/entry_names.h"
#include "compiler/field_text.h"
#include "compiler/keyword.h"
#include "compiler/read_failure.h"
#include "compiler/warnings.h"

namespace compiler {
namespace {

// Characters of the decoded text; each came from one Windows-1252 byte.
size_t characters(std::string_view utf8) {
  size_t n = 0;
  for (char c : utf8)
    if ((static_cast<unsigned char>(c) & 0xC0) != 0x80) ++n;
  return n;
}

}  // namespace

Location SourceCursor::last_field() const {
  Location at;
  at.in_source = true;
  at.file = file_;
  at.line = reader_.field_line();
  at.column = reader_.field_column();
  at.offset = reader_.field_offset();
  at.length = reader_.field_length();
  return at;
}

void SourceCursor::warn(Diagnostic d) {
  // A source that is not one at all (a binary file, say) would bury the
  // first warnings under thousands; the first ones are what helps.
  if (++warnings_given_ == kMostWarnings + 1)
    warnings_.push_back(warning(d.at, "more warnings in this file are not shown"));
  if (warnings_given_ <= kMostWarnings) warnings_.push_back(std::move(d));
}

const KeywordReference* SourceCursor::keyword_of_another_section() const {
  for (const KeywordReference& r : keyword_references()) {
    if (r.section == section_) continue;
    const size_t variants = r.variants.empty() ? 1 : r.variants.size();
    for (size_t v = 0; v < variants; ++v)
      if (keyword_matches(r, keyword_, v)) return &r;
  }
  return nullptr;
}

bool SourceCursor::told_already(const KeywordReference& found) const {
  // Every feature entry after the first would be told the same.
  return section_ == Section::kGeneral && found.file == file_ && told_general_never_ended_;
}

Diagnostic SourceCursor::misplaced(const KeywordReference& other) {
  const std::string name = keyword_name(other);
  const std::string field = trimmed_field(keyword_);
  const bool just_the_keyword = contains_ignoring_case(name, lower_ascii(field));
  const std::string is = "'" + field + "'" + (just_the_keyword ? " is" : " holds '" + name + "',");
  if (other.file != file_) {
    const bool train = other.file == model::FileKind::kTrainSource;
    return warning(keyword_at_, is + " a keyword of the " + (train ? "train" : "line") +
                                    " source: the " + (train ? "line" : "train") +
                                    " source passes it over; move the entry to the " +
                                    (train ? "train" : "line") + " source");
  }
  if (section_ == Section::kGeneral) {
    told_general_never_ended_ = true;
    return warning(keyword_at_,
                   is + " a line feature, but the general part has not ended: it ends at the "
                        "first section header after '[generale]' (a field such as '[curve]'), "
                        "and until then no feature entry is read; put a section header before "
                        "the first feature entry");
  }
  return warning(keyword_at_, is +
                                  " a keyword of the general part, which ended at the section "
                                  "header on line " +
                                  std::to_string(section_header_at_.line) +
                                  ": here it is passed over; move it before that header");
}

void SourceCursor::finish_keyword(bool examined, bool cut_short) {
  const std::vector<int> begun = std::move(begun_);
  begun_.clear();
  const bool passed_over = entry_passed_over_;
  entry_passed_over_ = false;
  const bool follows_comment = follows_comment_on_its_line_;
  follows_comment_on_its_line_ = false;
  if (!warning_ || keyword_at_.line == 0 || warnings_given_ > kMostWarnings) return;
  if (passed_over && begun.empty()) {
    line_passed_over_ = keyword_at_.line;
    return;
  }
  // Whatever else stands on a line whose keyword matched nothing goes with it.
  if (begun.empty() && line_passed_over_ == keyword_at_.line) return;
  if (!begun.empty()) {
    for (int e : begun)
      for (Diagnostic& d : entry_layout(text_, record_.entry(e), cut_short)) warn(std::move(d));
    last_entry_ = begun.back();
    return;
  }
  const std::string_view field = keyword_;
  const bool number = is_whole_number(field);
  if (number) {
    if (last_entry_ == SourceRecord::kNone || last_entry_ == extra_warned_) return;
    const SourceEntry& entry = record_.entry(last_entry_);
    if (entry.fields.empty() || entry.fields.back().line != keyword_at_.line ||
        line_passed_over_ == keyword_at_.line)
      return;
    warn(extra_field(text_, entry, keyword_at_));
    extra_warned_ = last_entry_;
    return;
  }
  // A comment field, passed over on purpose.
  if (contains(keyword_, "-")) return;
  if (!examined) {
    if (!field.empty() && field[0] != '[')
      warn(warning(keyword_at_,
                   "the last field of a file is never read: end the source with a "
                   "line such as [fine]"));
    return;
  }
  std::optional<Diagnostic> d;
  if (const KeywordReference* other = keyword_of_another_section()) {
    if (told_already(*other)) {
      line_passed_over_ = keyword_at_.line;
      return;
    }
    d = misplaced(*other);
  } else {
    d = unmatched_field(keyword_, keyword_at_);
  }
  if (d && follows_comment) {
    const std::string t = trimmed_field(keyword_);
    d = warning(keyword_at_, "'" + t +
                                 "' is read as a keyword field, although it continues the comment "
                                 "before it: a comment ends at its comma; put a '-' in this field "
                                 "too, or leave out the comma");
  }
  if (d) {
    warn(std::move(*d));
    line_passed_over_ = keyword_at_.line;
  }
}

void SourceCursor::finish() {
  // The pass ended at the end of the text: a keyword field that nothing
  // followed was never examined.
  const bool last = text_.find_first_not_of(" \t\r\n,", keyword_at_.offset + keyword_at_.length) ==
                    std::string_view::npos;
  finish_keyword(/*examined=*/!(begun_.empty() && last));
}

void SourceCursor::finish_entry(bool cut_short) {
  if (!begun_.empty()) finish_keyword(/*examined=*/true, cut_short);
}

bool SourceCursor::resume_after_entry(const Location& failed_at) {
  begun_.clear();
  entry_passed_over_ = false;
  follows_comment_on_its_line_ = false;
  if (entry_ == SourceRecord::kNone) return !reader_.at_end();
  const SourceEntry& entry = record_.entry(entry_);
  // A failure told at the entry as a whole (a value that does not fit, a
  // read past the end) has no field of its own: the entry ends at its last.
  const bool at_a_field = failed_at.line > 0 && failed_at.offset != entry.keyword_at.offset;
  if (at_a_field && sought_past_its_line(entry, failed_at)) {
    reader_.resume_at_line_of(failed_at.offset, failed_at.line);
  } else {
    const Location& last = at_a_field             ? failed_at
                           : entry.fields.empty() ? entry.keyword_at
                                                  : entry.fields.back();
    reader_.resume_after_line(last.offset, last.line);
  }
  keyword_at_ = Location{};
  entry_ = SourceRecord::kNone;
  return !reader_.at_end();
}

bool SourceCursor::skip_rest_of_entry_line() {
  finish_keyword(/*examined=*/true);
  reader_.skip_rest_of_line();
  keyword_at_ = Location{};
  entry_ = SourceRecord::kNone;
  return !reader_.at_end();
}

void SourceCursor::enter_section(Section section) {
  if (section_ == Section::kGeneral && section != Section::kGeneral)
    section_header_at_ = keyword_at_;
  section_ = section;
}

void SourceCursor::read_keyword() {
  finish_keyword(/*examined=*/true);
  keyword_ = reader_.read_text();
  keyword_at_ = last_field();
  entry_ = SourceRecord::kNone;
}

bool SourceCursor::skip_comments(int limit, bool stop_at_end) {
  for (int i = 0; i < limit && contains(keyword_, "-"); ++i) {
    const int comment_line = keyword_at_.line;
    read_keyword();
    follows_comment_on_its_line_ = keyword_at_.line == comment_line;
    if (stop_at_end && reader_.at_end()) return false;
  }
  return true;
}

void SourceCursor::pass_over_entry() { entry_passed_over_ = true; }

int SourceCursor::begin_entry(EntryKind kind) {
  SourceEntry entry{kind, keyword_, keyword_at_, {}, {}, std::nullopt, {}};
  entry_ = record_.add(std::move(entry));
  begun_.push_back(entry_);
  return entry_;
}

void SourceCursor::note_field(int64_t number) {
  if (entry_ == SourceRecord::kNone) return;
  SourceEntry& entry = record_.entry(entry_);
  entry.fields.push_back(last_field());
  entry.numbers.push_back(number);
}

int32_t SourceCursor::read_long() {
  const int32_t value = reader_.read_long();
  note_field(value);
  return value;
}

int16_t SourceCursor::read_integer() {
  const int16_t value = reader_.read_integer();
  note_field(value);
  return value;
}

uint8_t SourceCursor::read_byte() {
  const uint8_t value = reader_.read_byte();
  note_field(value);
  return value;
}

std::string SourceCursor::read_record_text() {
  std::string text = reader_.read_text();
  note_field(0);
  if (characters(text) > kLongestRecordText)
    throw ReadFailure("a text longer than 65535 characters does not fit its record",
                      reader_.field_line(), reader_.field_column());
  return text;
}

Location SourceCursor::failure_location(int failure_line, int failure_column) const {
  // A read past the end has no field of its own: the entry cut short is the
  // one to show.
  if (reader_.field_offset() >= text_.size() || failure_line == 0) {
    if (keyword_at_.line > 0) return keyword_at_;
    return Location::whole_file(file_);
  }
  Location at = last_field();
  at.line = failure_line;
  at.column = failure_column;
  return at;
}

}  // namespace compiler
