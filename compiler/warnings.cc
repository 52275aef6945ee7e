#include "compiler/warnings.h"

#include <algorithm>

#include "compiler/entry_names.h"
#include "compiler/field_reference.h"
#include "compiler/field_text.h"
#include "compiler/keyword.h"
#include "compiler/range_rule.h"

namespace compiler {
namespace {

constexpr std::string_view kSectionHeaders[] = {
    "[generale]",      "[curve]",   "[pendenze]", "[montagne]",   "[cartelli]",
    "[indicazioni]",   "[fine]",    "[aderenze]", "[vel_limite]", "[stazioni]",
    "[rallentamenti]", "[segnali]", "[codici]"};

std::string keyword_name(const SourceEntry& entry) {
  return keyword_name(reference_for(entry.kind));
}

std::string field_name(const SourceEntry& entry, int n) {
  const KeywordReference& r = reference_for(entry.kind);
  if (n >= 1 && static_cast<size_t>(n) <= r.fields.size())
    return std::string(r.fields[static_cast<size_t>(n) - 1].name);
  return "field " + std::to_string(n);
}

// A field longer than this is no slip on a keyword: the longest is 29.
constexpr size_t kLongestLikeKeyword = 40;

// The edit distance when it is at most `limit`, else limit + 1: only the
// band of the table within `limit` of its diagonal is computed.
size_t distance_within(std::string_view a, std::string_view b, size_t limit) {
  const size_t gap = a.size() > b.size() ? a.size() - b.size() : b.size() - a.size();
  if (gap > limit) return limit + 1;
  const size_t far = limit + 1;
  std::vector<size_t> row(b.size() + 1, far);
  for (size_t j = 0; j <= std::min(b.size(), limit); ++j) row[j] = j;
  for (size_t i = 1; i <= a.size(); ++i) {
    const size_t from = i > limit ? i - limit : 1;
    const size_t to = std::min(b.size(), i + limit);
    size_t diagonal = row[from - 1];
    row[from - 1] = i <= limit && from == 1 ? i : far;
    size_t best = row[from - 1];
    for (size_t j = from; j <= to; ++j) {
      const size_t above = row[j];
      const size_t replace = diagonal + (a[i - 1] == b[j - 1] ? 0 : 1);
      row[j] = std::min(std::min(above, row[j - 1]) + 1, replace);
      diagonal = above;
      best = std::min(best, row[j]);
    }
    if (to < b.size()) row[to + 1] = far;
    if (best > limit) return far;
  }
  return std::min(row[b.size()], far);
}

// Names scored by edit distance, nearest first, each once.
std::vector<std::string> best_first(std::vector<std::pair<size_t, std::string>> scored) {
  std::stable_sort(scored.begin(), scored.end(),
                   [](const auto& a, const auto& b) { return a.first < b.first; });
  std::vector<std::string> names;
  for (auto& entry : scored)
    if (std::find(names.begin(), names.end(), entry.second) == names.end())
      names.push_back(entry.second);
  return names;
}

}  // namespace

Diagnostic warning(const Location& at, std::string message) {
  Diagnostic d;
  d.severity = Diagnostic::Severity::kWarning;
  d.at = at;
  d.message = std::move(message);
  return d;
}

std::vector<std::string> similar_keywords(std::string_view word) {
  struct Known {
    std::string name;        // as an author writes it
    std::string lower_name;  // the same in lower case
    std::string_view word;   // the first word the compiler looks for
  };
  static const std::vector<Known> kKnown = [] {
    std::vector<Known> known;
    for (const KeywordReference& r : keyword_references())
      known.push_back({keyword_text(r), lower_ascii(keyword_text(r)), r.word});
    return known;
  }();
  const std::string wanted = lower_ascii(trimmed_field(word));
  if (wanted.size() > kLongestLikeKeyword) return {};
  // Keywords are letters, digits, blanks and underscores: anything else in
  // the field is no slip of the keyboard on one.
  if (wanted.find_first_not_of("abcdefghijklmnopqrstuvwxyz0123456789 _") != std::string::npos)
    return {};
  // The first word of what was written against the keyword's first word,
  // and the whole field against the whole keyword.
  const std::string_view first = std::string_view(wanted).substr(0, wanted.find_first_of(" _\t"));
  std::vector<std::pair<size_t, std::string>> scored;
  for (const Known& k : kKnown) {
    // A slip of the keyboard seldom hits the first letter; looking only at
    // keywords that share it keeps this cheap on text that is no keyword.
    if (wanted.empty() || wanted[0] != k.lower_name[0]) continue;
    const size_t limit = std::max<size_t>(2, k.word.size() / 4);
    const size_t d = std::min(distance_within(wanted, k.lower_name, limit),
                              distance_within(first, k.word, limit));
    if (d <= limit && d < k.word.size()) scored.emplace_back(d, k.name);
  }
  return best_first(std::move(scored));
}

std::vector<std::string> similar_other_names(std::string_view word) {
  const std::string wanted = lower_ascii(trimmed_field(word));
  if (wanted.empty() || wanted.size() > kLongestLikeKeyword) return {};
  std::vector<std::pair<size_t, std::string>> scored;
  for (const KeywordReference& r : keyword_references())
    for (std::string_view name : r.also_known_as) {
      const size_t limit = std::max<size_t>(1, name.size() / 4);
      const size_t d = distance_within(wanted, name, limit);
      if (d <= limit && d < name.size()) scored.emplace_back(d, std::string(name));
    }
  return best_first(std::move(scored));
}

bool is_known_section_header(std::string_view field) {
  const std::string t = lower_ascii(trimmed_field(field));
  return std::find(std::begin(kSectionHeaders), std::end(kSectionHeaders), t) !=
         std::end(kSectionHeaders);
}

std::optional<Diagnostic> unmatched_field(std::string_view field, const Location& at) {
  const std::string t = trimmed_field(field);
  if (t.empty() || is_whole_number(t)) return std::nullopt;
  if (t[0] == '#')
    return warning(at,
                   "'#' does not make a comment: this field is read like any other, and a "
                   "keyword in it would be read as an entry; a comment is a field holding "
                   "'-', such as '- " +
                       t.substr(1) + " -'");
  if (t.front() == '[' && t.back() == ']') {
    if (is_known_section_header(t)) return std::nullopt;
    return warning(at, "'" + t +
                           "' is not a section header the formats know; headers only "
                           "group entries, and one like '[stazione]' is read as a keyword");
  }
  const size_t tab = t.find('\t');
  if (tab != std::string::npos && tab + 1 < t.size() &&
      (std::isdigit(static_cast<unsigned char>(t[tab + 1])) || t[tab + 1] == '-'))
    return warning(at,
                   "a tab separates the keyword from its values; put a comma after the "
                   "keyword");
  std::string message =
      "'" + t + "' matches no keyword: it and the values after it are passed over";
  const std::vector<std::string> like = similar_keywords(t);
  if (!like.empty() && lower_ascii(like.front()) == lower_ascii(t))
    message += "; letter case matters for this keyword: write '" + like.front() + "'";
  else if (!like.empty())
    message += "; did you mean '" + like.front() + "'?";
  return warning(at, message);
}

std::vector<Diagnostic> entry_layout(std::string_view text, const SourceEntry& entry,
                                     bool cut_short) {
  std::vector<Diagnostic> found;
  // A fault that read a field past the entry's line says all this itself.
  if (cut_short) return found;
  const std::string& k = entry.keyword;
  const std::string t = trimmed_field(k);
  if (!t.empty() && t[0] == '#') {
    found.push_back(warning(entry.keyword_at, "'#' does not make a comment: this field holds '" +
                                                  keyword_name(entry) +
                                                  "' and is read as that entry; a comment is "
                                                  "a field holding '-'"));
    return found;
  }
  if (!t.empty() && t.front() == '[' && t.back() == ']') {
    found.push_back(warning(entry.keyword_at, "'" + t +
                                                  "' looks like a section header but holds '" +
                                                  keyword_name(entry) +
                                                  "' and is read as that entry; name the "
                                                  "section otherwise, e.g. '[stazioni]'"));
    return found;
  }
  const size_t tab = k.find('\t');
  if (tab != std::string::npos && tab + 1 < k.size() &&
      (std::isdigit(static_cast<unsigned char>(k[tab + 1])) || k[tab + 1] == '-')) {
    found.push_back(warning(entry.keyword_at,
                            "a tab separates '" + keyword_name(entry) +
                                "' from its values, so the values in this field are not read; "
                                "put a comma after the keyword"));
    return found;
  }
  if (contains(k, "-")) {
    found.push_back(warning(entry.keyword_at, past_the_comment_limit(entry)));
    return found;
  }
  for (size_t i = 0; i < entry.fields.size(); ++i) {
    if (entry.fields[i].line == entry.keyword_at.line) continue;
    found.push_back(warning(
        entry.keyword_at,
        written_keyword(entry) + " has " + std::to_string(reference_for(entry.kind).fields.size()) +
            " fields but its line ends after " + std::to_string(i) + "; '" +
            field_name(entry, static_cast<int>(i) + 1) + "' and the rest were read from line " +
            std::to_string(entry.fields[i].line)));
    break;
  }
  (void)text;
  return found;
}

Diagnostic extra_field(std::string_view text, const SourceEntry& entry, const Location& at) {
  const Location& last = entry.fields.back();
  const size_t end = last.offset + last.length;
  const bool decimal_comma = end < text.size() && text[end] == ',' && at.offset == end + 1 &&
                             is_whole_number(text.substr(last.offset, last.length));
  if (decimal_comma)
    return warning(
        last, "'" + std::string(text.substr(last.offset, at.offset + at.length - last.offset)) +
                  "' is read as " + std::string(text.substr(last.offset, last.length)) +
                  " and a field of its own: numbers are whole, with no decimal comma");
  const std::string field = trimmed_field(text.substr(at.offset, at.length));
  if (!field.empty() && field[0] == '-')
    return warning(at, "a field beyond the " + std::to_string(entry.fields.size()) + " of " +
                           written_keyword(entry) + ": '" + field +
                           "' holds '-', so it is passed over as a comment");
  return warning(at, "a field beyond the " + std::to_string(entry.fields.size()) + " of " +
                         written_keyword(entry) + ": it is passed over");
}

std::vector<Diagnostic> encoding_warnings(std::string_view bytes, model::FileKind file) {
  std::vector<Diagnostic> found;
  int line = 1;
  size_t line_start = 0;
  for (size_t i = 0; i < bytes.size(); ++i) {
    const auto c = static_cast<unsigned char>(bytes[i]);
    const bool bom = i == 0 && bytes.substr(0, 3) == "\xEF\xBB\xBF";
    const bool pair = c >= 0xC2 && c <= 0xDF && i + 1 < bytes.size() &&
                      static_cast<unsigned char>(bytes[i + 1]) >= 0x80 &&
                      static_cast<unsigned char>(bytes[i + 1]) <= 0xBF;
    if (bom || pair) {
      Location at{true, file, line, static_cast<int>(i - line_start) + 1, i, bom ? 3u : 2u};
      found.push_back(warning(at, bom ? "the file starts with a UTF-8 byte order mark; save it as "
                                        "Windows-1252 (ANSI) text"
                                      : "these bytes look like a letter saved as UTF-8 (they read "
                                        "as two Windows-1252 characters); save the file as "
                                        "Windows-1252 (ANSI) text"));
      return found;  // one is enough: the whole file was saved so
    }
    if (c == '\n' || (c == '\r' && (i + 1 >= bytes.size() || bytes[i + 1] != '\n'))) {
      ++line;
      line_start = i + 1;
    }
  }
  return found;
}

std::optional<Diagnostic> curve_side(const SourceEntry& entry) {
  const std::string_view word = reference_for(EntryKind::kCurve).word;
  std::string rest = lower_ascii(entry.keyword);
  rest.erase(0, rest.find(word) + word.size());
  std::string letters;
  for (char c : rest)
    if (c >= 'a' && c <= 'z') letters += c;
  if (letters.empty() || letters == "s" || letters == "d") return std::nullopt;
  const bool left = letters.find('s') != std::string::npos;
  return warning(entry.keyword_at,
                 "'" + trimmed_field(entry.keyword) + "' is read as a " +
                     (left ? "left" : "right") +
                     " curve: any 's' after 'curva' makes it left; write 'curvas' + class for a "
                     "left curve, 'curvad' + class for a right one");
}

std::optional<Diagnostic> past_line_end(const model::Scenario& model, const SourceEntry& entry,
                                        int margin) {
  const int32_t length = model.service_table[model::kTrainSettingsRecord].end_m;
  if (!entry.position || *entry.position <= length || !model.has_cell_track() ||
      !within_range(model, *entry.position, margin))
    return std::nullopt;
  return warning(entry.fields.empty() ? entry.keyword_at : entry.fields.front(),
                 std::to_string(*entry.position) + " m lies past the end of the line (" +
                     std::to_string(length) + " m); the range rule still accepts it, in the " +
                     "7000 m the simulator runs on beyond the end");
}

Diagnostic stored_otherwise(const SourceEntry& entry, int n, const std::string& how) {
  const size_t i = static_cast<size_t>(n) - 1;
  const Location at = i < entry.fields.size() ? entry.fields[i] : entry.keyword_at;
  return warning(at, written_keyword(entry) + " field " + field_name(entry, n) + ": " + how);
}

size_t edit_distance(std::string_view a, std::string_view b, size_t limit) {
  return distance_within(a, b, limit);
}

}  // namespace compiler
