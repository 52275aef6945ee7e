// `scenarioc lsp`: the language server on standard input and output.
#include <iostream>
#include <memory>

#include "platform/binary_stdio.h"
#include "tools/cli/commands.h"
#include "tools/lsp/server.h"

namespace tools {
namespace {

constexpr char kFooter[] =
    "Speaks the Language Server Protocol (3.17) on standard input and output, for an editor\n"
    "that starts it: live diagnostics for the line and train sources (NAME_linea.txt,\n"
    "NAME_NUMBER-.txt) as they are typed, hover on any field, keyword completion, the outline\n"
    "of sections and entries, and the jump from a conflict to the other entry.\n"
    "\n"
    "A train source is compiled with the line source of its folder, and a line source with\n"
    "the train source of its scenario: the editor's buffer when it is open, the file on disk\n"
    "otherwise. The server reads files only; it never writes, renames or deletes one.\n"
    "\n"
    "Exit status: 0 after the client's shutdown and exit; 1 when the client ends the session\n"
    "without shutdown or closes the input.";

}  // namespace

Subcommand add_lsp_command(CLI::App& parent, const ToolContext& context) {
  CLI::App* command =
      parent.add_subcommand("lsp", "Runs the language server for editors, on stdin and stdout");
  command->footer(kFooter);
  return Subcommand{command, [&context] {
                      platform::binary_stdio();
                      std::ios_base::sync_with_stdio(false);
                      return lsp::serve(std::cin, context.out, context.env,
                                        lsp::list_folder_on_disk);
                    }};
}

}  // namespace tools
