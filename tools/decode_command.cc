// `scenarioc decode`: one binary file in readable form.
#include <filesystem>
#include <memory>
#include <ostream>

#include "tools/exit_status.h"
#include "tools/binary_readers.h"
#include "tools/commands.h"
#include "tools/decode.h"

namespace tools {
namespace {

constexpr char kFooter[] =
    "The kind of FILE comes from its name:\n"
    "  NAME_linea.dat       the line geometry: the plan as metre, x, y (x across the line's\n"
    "                       first direction, y along it; 'empty' where no point was computed)\n"
    "  NAME_NUMBER.sim      the service file: stations (kind, position, platform extent,\n"
    "                       time hh:mm:ss and every stored field), name board texts, the\n"
    "                       kilometric progressives, the train, scenario and signal settings\n"
    "  NAME_NUMBER.dat      the cell file: every non-empty cell with its kind named and its\n"
    "                       packed values unpacked (a signal's s1/d1 ..., a board's speeds per\n"
    "                       group), then the gradient, speed limit and adhesion profiles\n"
    "A file of the wrong size or layout for its kind is refused.\n"
    "\n"
    "Exit status: 0 the file is shown; 2 bad usage, a name of none of the three kinds, a file\n"
    "that cannot be read, or one of the wrong size or layout (the reason is on stderr).";

struct DecodeArgs {
  std::string file;
  bool json = false;
};

int run_decode(const DecodeArgs& args, const ToolContext& context) {
  auto fail = [&](const std::string& why) {
    context.err << "scenarioc: " << args.file << ": " << why << std::endl;
    return kExitPlatform;
  };
  BinaryKind kind;
  // The file name after the last separator; paths are UTF-8 text here.
  const size_t separator = args.file.find_last_of("/\\");
  const std::string name =
      separator == std::string::npos ? args.file : args.file.substr(separator + 1);
  if (!kind_from_name(name, &kind))
    return fail("not a scenario binary file (the name must end in _linea.dat, .sim or .dat)");
  std::string bytes;
  if (platform::Status status = context.env.read_file(args.file, &bytes))
    return fail(status->message());

  std::string problem;
  nlohmann::ordered_json json;
  std::string text;
  if (kind == BinaryKind::kLineGeometry) {
    model::LineTable table;
    problem = read_line_geometry(bytes, &table);
    if (problem.empty())
      args.json ? void(json = describe_line_geometry(table))
                : void(text = line_geometry_text(table));
  } else if (kind == BinaryKind::kService) {
    std::array<model::ServiceRecord, model::kServiceRecords> table;
    problem = read_service(bytes, &table);
    if (problem.empty())
      args.json ? void(json = describe_service(table)) : void(text = service_text(table));
  } else {
    std::vector<model::Cell> cells;
    problem = read_cells(bytes, &cells);
    if (problem.empty())
      args.json ? void(json = describe_cells(cells)) : void(text = cells_text(cells));
  }
  if (!problem.empty()) return fail(problem);
  if (args.json)
    context.out << json.dump(2) << std::endl;
  else
    context.out << text;
  return kExitOk;
}

}  // namespace

Subcommand add_decode_command(CLI::App& parent, const ToolContext& context) {
  auto args = std::make_shared<DecodeArgs>();
  CLI::App* command =
      parent.add_subcommand("decode", "Shows a compiled binary file in readable form");
  command
      ->add_option("FILE", args->file, "A line geometry (.dat), service (.sim) or cell (.dat) file")
      ->type_name("PATH")
      ->required();
  command->add_flag("--json", args->json, "Print one JSON document instead of text");
  command->footer(kFooter);
  return Subcommand{command, [args, &context] { return run_decode(*args, context); }};
}

}  // namespace tools
