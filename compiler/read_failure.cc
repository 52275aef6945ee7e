#include "compiler/read_failure.h"

#include "compiler/entry_names.h"
#include "compiler/fault.h"
#include "compiler/field_reference.h"
#include "compiler/keyword.h"
#include "model/status_codes.h"
#include "platform/utf8.h"

namespace compiler {
namespace {

// The field as written where the read failed, cut at its separator.
std::string found_at(std::string_view text, const Location& at) {
  if (at.offset >= text.size()) return {};
  size_t end = text.find_first_of(",\r\n", at.offset);
  if (end == std::string_view::npos) end = text.size();
  std::string found(text.substr(at.offset, end - at.offset));
  while (!found.empty() && (found.back() == ' ' || found.back() == '\t')) found.pop_back();
  // A long field is cut between two characters, never inside one.
  if (found.size() > 40) found = found.substr(0, platform::utf8_cut(found, 37)) + "...";
  return found;
}

bool looks_decimal(std::string_view found) {
  const size_t point = found.find('.');
  return point != std::string_view::npos && point > 0 && point + 1 < found.size() &&
         found.find_first_not_of("-0123456789.") == std::string_view::npos;
}

// What the keyword field's shape tells about a fault further on, or "".
std::string keyword_field_hint(const SourceEntry& e) {
  const KeywordReference& reference = reference_for(e.kind);
  const std::string field = trimmed_field(e.keyword);
  if (!field.empty() && field[0] == '#')
    return "; '#' does not make a comment: the field holds '" + keyword_name(reference) +
           "' and is read as that entry; a comment is a field holding '-'";
  if (field.find('\t') != std::string::npos && number_after_keyword(e))
    return "; a tab separates the keyword from its values, so the values in the keyword field "
           "are not read: put a comma after the keyword";
  if (std::optional<std::string> number = number_after_keyword(e))
    return "; the keyword field '" + trimmed_field(e.keyword) + "' ends in " + *number +
           ": put a comma between the keyword and its first value";
  if (contains(e.keyword, "-")) return "; " + past_the_comment_limit(e);
  if (reads_like_a_note(e))
    return "; the field holds '" + std::string(reference.word) +
           "', and a keyword is found anywhere in a field, so it is read as that entry: put a "
           "'-' in a note to make it a comment";
  return "";
}

// "1200-1300": two numbers written as one field.
bool looks_like_two_numbers(std::string_view found) {
  const size_t dash = found.find('-', 1);
  if (dash == std::string_view::npos || dash + 1 >= found.size()) return false;
  const std::string_view first = found.substr(found[0] == '-' ? 1 : 0, dash - (found[0] == '-'));
  const std::string_view second = found.substr(dash + 1);
  return !first.empty() && first.find_first_not_of("0123456789") == std::string_view::npos &&
         second.find_first_not_of("0123456789") == std::string_view::npos;
}

}  // namespace

void ReadFailure::locate(const Location& at, const SourceRecord& record, int entry,
                         std::string_view text) {
  location_ = at;
  if (entry == SourceRecord::kNone) return;
  const SourceEntry& e = record.entry(entry);
  const KeywordReference& reference = reference_for(e.kind);
  const std::string keyword = written_keyword(e);
  // A failure of the field reader stands at the field it could not read,
  // the one after those the entry holds; a conversion of a value already
  // read belongs to the entry as a whole.
  if (line() == 0) {
    detail_ = keyword + ": " + what();
    return;
  }
  const size_t n = e.fields.size();
  const std::string field =
      n < reference.fields.size() ? std::string(reference.fields[n].name) : std::to_string(n + 1);
  if (std::string(what()) == "read past the end of the file") {
    detail_ = keyword + " is cut short by the end of the file before its field " + field;
    return;
  }
  const std::string found = found_at(text, at);
  const std::string found_text = found.empty() ? "" : ", found '" + found + "'";
  if (sought_past_its_line(e, at)) {
    // The entry's own line gave too few values, and the field was sought on
    // a later one: the fault is the entry's, so it is told there, with the
    // field where the read failed as a note.
    size_t on_its_line = 0;
    while (on_its_line < n && e.fields[on_its_line].line == e.keyword_at.line) ++on_its_line;
    const int sought_from = on_its_line < n ? e.fields[on_its_line].line : at.line;
    // Stations and name boards end in a text.
    const bool all_numbers = e.kind != EntryKind::kStation && e.kind != EntryKind::kNameBoard;
    const std::string values = all_numbers ? " numbers" : " fields";
    const std::string name = on_its_line < reference.fields.size()
                                 ? " (" + std::string(reference.fields[on_its_line].name) + ")"
                                 : "";
    detail_ = keyword + " at line " + std::to_string(e.keyword_at.line) + " has " +
              std::to_string(on_its_line) + " of its " + std::to_string(reference.fields.size()) +
              values + "; the " + ordinal(on_its_line + 1) + name + " was read from line " +
              std::to_string(sought_from) + ": " + what() + found_text;
    const std::string hint = keyword_field_hint(e);
    detail_ += hint.empty()
                   ? "; a value or a comma is missing on line " + std::to_string(e.keyword_at.line)
                   : hint;
    notes_.push_back({at, "field " + field + " of that entry was read here"});
    location_ = e.keyword_at;
    return;
  }
  detail_ = keyword + " field " + field + ": " + what() + found_text;
  if (looks_decimal(found)) detail_ += "; numbers are whole, with no decimal point";
  if (looks_like_two_numbers(found))
    detail_ +=
        "; '" + found + "' is one field: write each number as a field of its own, apart by a comma";
}

Diagnostic read_failure_diagnostic(const ReadFailure& failure) {
  Diagnostic d = fault_diagnostic(model::status::kReadFailure, std::nullopt,
                                  failure.location().value_or(Location{}), failure.detail());
  d.notes = failure.notes();
  return d;
}

}  // namespace compiler
