// `scenarioc explain`: the field reference of one keyword, or all of them.
#include <algorithm>
#include <memory>
#include <ostream>
#include <string_view>

#include "compiler/field_reference.h"
#include "tools/cli/commands.h"
#include "tools/cli/exit_status.h"
#include "tools/cli/field_reference_text.h"

namespace tools {
namespace {

struct ExplainArgs {
  std::string keyword;
  bool markdown = false;
};

int run_explain(const ExplainArgs& args, const ToolContext& context) {
  if (args.markdown) {
    context.out << reference_markdown();
    return kExitOk;
  }
  if (args.keyword.empty()) {
    for (const compiler::KeywordReference& r : compiler::keyword_references())
      context.out << compiler::keyword_text(r) << ": " << r.summary << '\n';
    return kExitOk;
  }
  const std::vector<const compiler::KeywordReference*> found =
      compiler::references_known_as(args.keyword);
  if (found.size() == 1) {
    std::string_view written = args.keyword;
    written.remove_prefix(std::min(written.size(), written.find_first_not_of(" \t")));
    written = written.substr(0, written.find_last_not_of(" \t") + 1);
    if (found.front() != compiler::reference_named(written))
      context.out << "'" << args.keyword << "' is no keyword; the keyword for it is "
                  << compiler::keyword_text(*found.front()) << ".\n\n";
    context.out << explain_text(*found.front());
    return kExitOk;
  }
  if (!found.empty()) {
    context.out << "'" << args.keyword << "' may mean any of these keywords:\n";
    for (const compiler::KeywordReference* r : found)
      context.out << "  " << compiler::keyword_text(*r) << ": " << r->summary << '\n';
    context.out << "Run 'scenarioc explain KEYWORD' for one of them.\n";
    return kExitOk;
  }
  context.err << "scenarioc: no keyword '" << args.keyword << "'";
  std::vector<std::string> like = compiler::similar_keywords(args.keyword);
  if (like.empty()) like = compiler::similar_other_names(args.keyword);
  if (!like.empty()) context.err << "; did you mean '" << like.front() << "'?";
  context.err << "\nRun 'scenarioc explain' for the list." << std::endl;
  return kExitPlatform;
}

}  // namespace

Subcommand add_explain_command(CLI::App& parent, const ToolContext& context) {
  auto args = std::make_shared<ExplainArgs>();
  CLI::App* command = parent.add_subcommand(
      "explain", "Shows what a keyword's fields are, their units, and what the compiler does");
  command->add_option("KEYWORD", args->keyword,
                      "A keyword of either source, as written in an entry (segnale, stazione, "
                      "cartello_indicatore, \"lunghezza percorso\", ...), or a word for what "
                      "it stands for, in Italian or English (galleria, tunnel, curve, board, ...)");
  command->add_flag("--markdown", args->markdown,
                    "Print the whole reference as Markdown (the section of docs/format.md)");
  command->footer(
      "Without KEYWORD, lists every keyword with one line on what it is. With one, also\n"
      "shows the built-in scenario's own entries of that keyword as templates, each with\n"
      "where it stands: what that scenario uses, not a rule of the format.\n"
      "\n"
      "Exit status: 0 the reference is printed, or the keywords a word may mean are listed;\n"
      "2 bad usage or a keyword that does not exist (the nearest keyword, or other word\n"
      "for one, is suggested).");
  return Subcommand{command, [args, &context] { return run_explain(*args, context); }};
}

}  // namespace tools
