#include "compiler/pass_driver.h"

#include <string>

#include "compiler/read_failure.h"
#include "model/status_codes.h"

namespace compiler {

namespace {

// The diagnostic pass stops looking after this many faults: a source that
// is no source at all would give one per line.
constexpr size_t kMostFaults = 100;

bool lies_within(const Location& at, const SourceEntry& entry) {
  if (!at.in_source || at.file != entry.keyword_at.file) return false;
  const Location& last = entry.fields.empty() ? entry.keyword_at : entry.fields.back();
  return at.offset >= entry.keyword_at.offset && at.offset <= last.offset + last.length;
}

// A fault the diagnostic pass finds after another may only follow from the
// entry it passed over: one that names a cell or record of that entry, or a
// station spacing or a track-plan length measured from it.
void mark_consequence(CompileState& state, int entry, Diagnostic& fault) {
  const SourceEntry& now = state.record.entry(entry);
  for (auto it = state.faulted_entries.rbegin(); it != state.faulted_entries.rend(); ++it) {
    const SourceEntry& earlier = state.record.entry(*it);
    bool follows = (fault.code == model::status::kStationsTooClose ||
                    fault.code == model::status::kBadCurve) &&
                   earlier.kind == now.kind;
    for (const Note& note : fault.notes) follows = follows || lies_within(note.at, earlier);
    if (!follows) continue;
    fault.notes.push_back({earlier.keyword_at, "possibly a consequence of the fault of " +
                                                   describe(earlier) + ", which was passed over"});
    return;
  }
}

// The faults that leave nothing to read on with: no cell track, or
// station records that would run into the sign texts.
bool ends_the_diagnostic_pass(int32_t code) {
  return code == model::status::kLineTooLong || code == model::status::kStationsMeetSignTexts;
}

PassOutcome place_entry(EntryPass& pass, const KeywordReference& keyword, int variant) {
  CompileState& state = pass.state;
  if (!state.keep_going) return keyword.place(pass, variant);
  const size_t before = state.diagnostics.size();
  PassOutcome outcome;
  bool read_failed = false;
  Location failed_at;
  try {
    outcome = keyword.place(pass, variant);
  } catch (ReadFailure& failure) {
    failed_at = pass.cursor.failure_location(failure.line(), failure.column());
    failure.locate(failed_at, state.record, pass.cursor.entry(), pass.cursor.text());
    pass.cursor.finish_entry(failure.tells_layout());
    state.fail(read_failure_diagnostic(failure));
    outcome = PassOutcome::kAbort;
    read_failed = true;
  }
  if (outcome == PassOutcome::kGoOn) return outcome;
  const int entry = pass.cursor.entry();
  for (size_t i = before; i < state.diagnostics.size(); ++i)
    if (state.diagnostics[i].severity == Diagnostic::Severity::kError)
      mark_consequence(state, entry, state.diagnostics[i]);
  state.faulted_entries.push_back(entry);
  // Later builders test the status; each fault is told once.
  const int32_t code = state.status_code;
  state.status_code = 0;
  const bool more = read_failed ? pass.cursor.resume_after_entry(failed_at)
                                : pass.cursor.skip_rest_of_entry_line();
  if (!more) return PassOutcome::kEndOfPass;
  if (ends_the_diagnostic_pass(code) || state.faulted_entries.size() >= kMostFaults)
    return PassOutcome::kAbort;
  return PassOutcome::kGoOn;
}

}  // namespace

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
      const PassOutcome outcome = place_entry(pass, keyword, static_cast<int>(variant));
      if (outcome != PassOutcome::kGoOn) return outcome;
      // An entry the diagnostic pass passed over takes the rest of its field.
      if (pass.state.keep_going && !pass.state.faulted_entries.empty() &&
          pass.state.faulted_entries.back() == pass.cursor.entry())
        return PassOutcome::kGoOn;
    }
  }
  return PassOutcome::kGoOn;
}

PassOutcome read_section(EntryPass& pass, Section section) {
  const SectionRules& rules = section_rules(section);
  SourceCursor& cursor = pass.cursor;
  cursor.enter_section(section);
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
