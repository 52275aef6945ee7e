#include "tools/cli/scenarioc_app.h"

#include <CLI/CLI.hpp>
#include <algorithm>
#include <ostream>
#include <string>
#include <vector>

#include "tools/cli/commands.h"
#include "tools/cli/compile_command.h"
#include "tools/cli/exit_status.h"
#include "tools/cli/subcommand.h"

namespace tools {

int scenarioc_main(int argc, const char* const* argv, platform::Env& env, std::ostream& out,
                   std::ostream& err) {
  CLI::App app{"scenarioc: compiles and inspects train-driving-simulator scenarios.", "scenarioc"};
  // A folder such as /x must stay a folder, not become a Windows-style option.
  app.allow_windows_style_options(false);
  // Set before the subcommands are added, which copy it.
  app.failure_message([](const CLI::App*, const CLI::Error& e) {
    return "scenarioc: " + std::string(e.what()) + "\nRun with --help for more information.\n";
  });
  app.require_subcommand(1);
  app.footer("Run 'scenarioc COMMAND --help' for the arguments of a command.");

  const ToolContext context{env, out, err};
  // One entry per subcommand; new ones are added here.
  const std::vector<Subcommand> commands = {
      add_compile_command(app, context), add_check_command(app, context),
      add_decode_command(app, context),  add_plot_command(app, context),
      add_sources_command(app, context), add_explain_command(app, context),
      add_lsp_command(app, context),     add_pack_command(app, context),
      add_unpack_command(app, context),
  };

  // CLI11 would only say that a command is required.
  if (argc > 1 && argv[1][0] != '-' &&
      std::none_of(commands.begin(), commands.end(),
                   [&](const Subcommand& c) { return c.app->check_name(argv[1]); })) {
    err << "scenarioc: unknown command '" << argv[1] << "' (commands:";
    for (const Subcommand& c : commands) err << ' ' << c.app->get_name();
    err << ")\nRun with --help for more information.\n";
    return kExitPlatform;
  }

  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& e) {
    // Help is a success; everything else CLI11 refuses is bad usage.
    return app.exit(e, out, err) == 0 ? kExitOk : kExitPlatform;
  }
  for (const Subcommand& command : commands)
    if (command.app->parsed()) return command.run();
  return kExitPlatform;  // not reached: a subcommand is required
}

}  // namespace tools
