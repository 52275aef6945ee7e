#include "compiler/pass_driver.h"

#include <string>

namespace compiler {

PassOutcome place_entries(EntryPass& pass, Section section, std::string_view field) {
  for (const KeywordReference& keyword : keyword_references()) {
    if (keyword.section != section) continue;
    const size_t variants = keyword.variants.empty() ? 1 : keyword.variants.size();
    for (size_t variant = 0; variant < variants; ++variant) {
      if (!keyword_matches(keyword, field, variant)) continue;
      if (keyword.needs_plan && !pass.state.build_line_file) {
        pass.cursor.pass_over_entry();
        continue;
      }
      pass.cursor.begin_entry(keyword.kind);
      const PassOutcome outcome = keyword.place(pass, static_cast<int>(variant));
      if (outcome != PassOutcome::kGoOn) return outcome;
    }
  }
  return PassOutcome::kGoOn;
}

PassOutcome read_section(EntryPass& pass, Section section) {
  const SectionRules& rules = section_rules(section);
  SourceCursor& cursor = pass.cursor;
  // The last field of the file is never examined: the loop ends as soon as
  // the end follows a field just read.
  while (!cursor.at_end()) {
    cursor.read_keyword();
    if (cursor.at_end()) break;
    if (!cursor.skip_comments(rules.comment_fields, rules.ends_after_last_comment)) break;
    const std::string field = cursor.keyword();
    if (const PassOutcome outcome = place_entries(pass, section, field);
        outcome != PassOutcome::kGoOn)
      return outcome;
    if (rules.ends_at_header && is_section_header(field)) break;
  }
  return PassOutcome::kGoOn;
}

}  // namespace compiler
