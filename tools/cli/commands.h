// The subcommands of scenarioc beside compile: each registers itself on the
// tool's command line.
#pragma once

#include <CLI/CLI.hpp>

#include "tools/cli/subcommand.h"

namespace tools {

Subcommand add_check_command(CLI::App& parent, const ToolContext& context);
Subcommand add_decode_command(CLI::App& parent, const ToolContext& context);
Subcommand add_explain_command(CLI::App& parent, const ToolContext& context);
// What `scenarioc decode FILE [--json]` does once its command line is read.
int decode_file(const std::string& file, bool json, const ToolContext& context);
Subcommand add_plot_command(CLI::App& parent, const ToolContext& context);
Subcommand add_sources_command(CLI::App& parent, const ToolContext& context);
Subcommand add_lsp_command(CLI::App& parent, const ToolContext& context);
Subcommand add_pack_command(CLI::App& parent, const ToolContext& context);
Subcommand add_unpack_command(CLI::App& parent, const ToolContext& context);

}  // namespace tools
