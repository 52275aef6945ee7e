#include "compiler/entry_names.h"

#include <vector>

#include "compiler/field_reference.h"
#include "compiler/keyword.h"
#include "platform/utf8.h"

namespace compiler {
namespace {

std::vector<std::string_view> words_of(std::string_view text) {
  std::vector<std::string_view> words;
  size_t i = 0;
  while (i < text.size()) {
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
    const size_t start = i;
    while (i < text.size() && text[i] != ' ' && text[i] != '\t') ++i;
    if (i > start) words.push_back(text.substr(start, i - start));
  }
  return words;
}

bool has_letter(std::string_view word) {
  for (char c : word)
    if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z')) return true;
  return false;
}

// Whether a word of the field is part of the keyword: it holds one of the
// keyword's words or variants.
bool keyword_word(const KeywordReference& r, std::string_view word) {
  if (contains_ignoring_case(word, r.word)) return true;
  if (!r.also.empty() && contains_ignoring_case(word, r.also)) return true;
  for (std::string_view v : r.variants)
    if (contains_ignoring_case(word, v)) return true;
  return false;
}

std::optional<std::string> number_after_keyword_field(std::string_view field) {
  const std::vector<std::string_view> words = words_of(field);
  if (words.size() < 2 || !is_whole_number(words.back())) return std::nullopt;
  return std::string(words.back());
}

// A field longer than this, or with this many words of its own, is prose.
constexpr size_t kLongestKeywordField = 32;
constexpr int kMostWordsOfItsOwn = 2;

}  // namespace

std::string keyword_name(const KeywordReference& reference) {
  return reference.kind == EntryKind::kCurve ? std::string(reference.word)
                                             : keyword_text(reference);
}

bool reads_like_a_note(const SourceEntry& entry) {
  const KeywordReference& r = reference_for(entry.kind);
  const std::string field = trimmed_field(entry.keyword);
  int own = 0;
  for (std::string_view word : words_of(field))
    if (has_letter(word) && !keyword_word(r, word)) ++own;
  return own > kMostWordsOfItsOwn || (field.size() > kLongestKeywordField && own > 0);
}

std::string written_keyword(const SourceEntry& entry) {
  std::string field = trimmed_field(entry.keyword);
  // What follows the keyword's words when a comma is missing after them.
  while (number_after_keyword_field(field))
    field = trimmed_field(std::string_view(field).substr(0, field.find_last_of(" \t")));
  if (!reads_like_a_note(entry) && !contains(field, "-") && !field.empty())
    return "'" + field + "'";
  std::string shown = field;
  if (shown.size() > 40) shown = shown.substr(0, platform::utf8_cut(shown, 37)) + "...";
  return "'" + keyword_name(reference_for(entry.kind)) + "' (found in the field '" + shown + "')";
}

std::optional<std::string> number_after_keyword(const SourceEntry& entry) {
  // The signal repetition's code stands in its keyword field on purpose.
  if (entry.kind == EntryKind::kSignalRepetition) return std::nullopt;
  return number_after_keyword_field(trimmed_field(entry.keyword));
}

std::string past_the_comment_limit(const SourceEntry& entry) {
  const KeywordReference& reference = reference_for(entry.kind);
  const SectionRules& rules = section_rules(reference.section);
  return "the field holds '-', but only " + std::to_string(rules.comment_fields) +
         " comment fields in a row are passed over " +
         (reference.section == Section::kGeneral ? "in the general part"
                                                 : "here (ten in the general part)") +
         ", so it is read as a keyword field, and it holds '" + std::string(reference.word) +
         "': shorten the comment, or break the run with an empty line";
}

std::string ordinal(size_t n) {
  const char* suffix = "th";
  if (n % 100 < 11 || n % 100 > 13) {
    if (n % 10 == 1) suffix = "st";
    if (n % 10 == 2) suffix = "nd";
    if (n % 10 == 3) suffix = "rd";
  }
  return std::to_string(n) + suffix;
}

}  // namespace compiler
