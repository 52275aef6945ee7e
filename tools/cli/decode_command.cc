// `scenarioc decode`: one binary file in readable form.
#include <filesystem>
#include <memory>
#include <ostream>

#include "tools/cli/commands.h"
#include "tools/cli/exit_status.h"
#include "tools/decode/binary_readers.h"
#include "tools/decode/decode.h"

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
    "A file of the wrong size or layout for its kind is refused, and so is anything but a\n"
    "regular file, a file larger than the largest its kind can be (about 20 MB for the line\n"
    "geometry, 5.7 MB for the service file, 300 KB for the cell file), and a plan value that\n"
    "is not a finite number.\n"
    "\n"
    "Exit status: 0 the file is shown; 2 bad usage, a name of none of the three kinds, a file\n"
    "that cannot be read, or one of the wrong size or layout (the reason is on stderr).";

struct DecodeArgs {
  std::string file;
  bool json = false;
};

}  // namespace

int decode_file(const std::string& file, bool json, const ToolContext& context) {
  const DecodeArgs args{file, json};
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
  // Only a regular file of a size its kind can have is read: a device, a
  // pipe or a huge file would never end or take all memory.
  std::string bytes;
  if (platform::Status status =
          context.env.read_regular_file(args.file, largest_file(kind), &bytes))
    return fail(status->message());

  std::string problem;
  model::LineTable geometry;
  std::array<model::ServiceRecord, model::kServiceRecords> service;
  std::vector<model::Cell> cells;
  switch (kind) {
    case BinaryKind::kLineGeometry:
      problem = read_line_geometry(bytes, &geometry);
      break;
    case BinaryKind::kService:
      problem = read_service(bytes, &service);
      break;
    case BinaryKind::kCells:
      problem = read_cells(bytes, &cells);
      break;
  }
  if (!problem.empty()) return fail(problem);
  bytes = std::string();
  // The text is written as it is made, never held whole.
  switch (kind) {
    case BinaryKind::kLineGeometry:
      args.json ? write_line_geometry_json(geometry, context.out)
                : write_line_geometry_text(geometry, context.out);
      break;
    case BinaryKind::kService:
      if (args.json)
        context.out << describe_service(service).dump(2) << std::endl;
      else
        write_service_text(service, context.out);
      break;
    case BinaryKind::kCells:
      if (args.json)
        context.out << describe_cells(cells).dump(2) << std::endl;
      else
        write_cells_text(cells, context.out);
      break;
  }
  context.out.flush();
  return kExitOk;
}

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
  return Subcommand{command,
                    [args, &context] { return decode_file(args->file, args->json, context); }};
}

}  // namespace tools
