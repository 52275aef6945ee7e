#include "compiler/read_failure.h"

#include "compiler/field_reference.h"
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

}  // namespace

void ReadFailure::locate(const Location& at, const SourceRecord& record, int entry,
                         std::string_view text) {
  location_ = at;
  if (entry == SourceRecord::kNone) return;
  const SourceEntry& e = record.entry(entry);
  const KeywordReference& reference = reference_for(e.kind);
  const std::string keyword = "'" + keyword_text(reference) + "'";
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
  detail_ = keyword + " field " + field + ": " + what();
  const std::string found = found_at(text, at);
  if (!found.empty()) detail_ += ", found '" + found + "'";
  if (looks_decimal(found)) detail_ += "; numbers are whole, with no decimal point";
}

}  // namespace compiler
