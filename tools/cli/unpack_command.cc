// `scenarioc unpack`: what an installer will install, listed or written out.
#include <memory>
#include <ostream>

#include "model/file_names.h"
#include "payload/payload.h"
#include "platform/folders.h"
#include "tools/cli/commands.h"
#include "tools/cli/exit_status.h"
#include "tools/cli/installer_file.h"

namespace tools {
namespace {

constexpr char kFooter[] =
    "Writes the files of the scenario that INSTALLER installs into DIR (made when missing):\n"
    "the line source, the train source and the documents, byte for byte, so that 'check',\n"
    "'compile' or 'plot' can run on them. An installer without a packed scenario gives its\n"
    "built-in one. Files of those names already in DIR are not replaced without --force.\n"
    "\n"
    "With --list, prints instead the scenario name, the train number, each file with its size,\n"
    "and whether the packed scenario's checksum holds.\n"
    "\n"
    "Exit status: 0 done; 1 the packed scenario is damaged (nothing is written; --list shows\n"
    "what can still be read); 2 bad usage, or a file that cannot be read or written.";

struct UnpackArgs {
  std::string installer;
  std::string folder;
  bool list = false;
  bool force = false;
};

std::string file_name(const payload::Contents& contents, model::FileKind kind) {
  return model::file_name(kind, contents.scenario_name, contents.train_number);
}

void print_list(std::ostream& out, const payload::Reading& reading,
                const payload::Contents& contents) {
  out << "scenario: " << contents.scenario_name << "\n";
  out << "train: " << contents.train_number << "\n";
  if (reading.found == payload::Reading::Found::kNone)
    out << "payload: none, the installer's built-in scenario\n";
  else
    out << "payload: format version " << reading.version << ", " << reading.end - reading.begin
        << " bytes, checksum " << (reading.checksum_holds ? "holds" : "DOES NOT MATCH") << "\n";
  for (const payload::File& file : contents.files)
    out << "  " << file_name(contents, file.kind) << "  " << file.bytes.size() << " bytes\n";
}

int run_unpack(const UnpackArgs& args, const ToolContext& context) {
  if (!args.list && args.folder.empty()) {
    context.err << "scenarioc: unpack needs DIR (or --list)" << std::endl;
    return kExitPlatform;
  }
  std::string installer;
  payload::Reading reading;
  if (platform::Status status = read_installer(context.env, args.installer, &installer, &reading)) {
    context.err << "scenarioc: " << status->message() << std::endl;
    return kExitPlatform;
  }
  const payload::Contents contents =
      reading.found == payload::Reading::Found::kNone ? built_in_contents() : reading.contents;
  if (args.list && (reading.found != payload::Reading::Found::kDamaged || reading.pieces_read))
    print_list(context.out, reading, contents);
  if (reading.found == payload::Reading::Found::kDamaged) {
    context.err << "scenarioc: the scenario packed into '" << args.installer
                << "' is damaged: " << reading.problem << std::endl;
    return kExitStatus;
  }
  if (args.list) return kExitOk;

  if (platform::Status status = platform::create_folders(args.folder)) {
    context.err << "scenarioc: " << status->message() << std::endl;
    return kExitPlatform;
  }
  const auto path_of = [&](const payload::File& file) {
    return args.folder + platform::kSeparator + file_name(contents, file.kind);
  };
  if (!args.force)
    for (const payload::File& file : contents.files)
      if (context.env.file_exists(path_of(file))) {
        context.err << "scenarioc: '" << path_of(file)
                    << "' already exists; nothing written (--force replaces it)" << std::endl;
        return kExitPlatform;
      }
  for (const payload::File& file : contents.files) {
    if (platform::Status status = platform::replace_file(context.env, path_of(file), file.bytes)) {
      context.err << "scenarioc: " << status->message() << std::endl;
      return kExitPlatform;
    }
    context.out << "wrote " << path_of(file) << std::endl;
  }
  return kExitOk;
}

}  // namespace

Subcommand add_unpack_command(CLI::App& parent, const ToolContext& context) {
  auto args = std::make_shared<UnpackArgs>();
  CLI::App* command = parent.add_subcommand(
      "unpack", "Writes the scenario an installer installs into DIR, or lists it");
  command->add_option("INSTALLER", args->installer, "The installer executable")
      ->type_name("PATH")
      ->required();
  command->add_option("DIR", args->folder, "The folder to write the scenario's files into")
      ->type_name("DIR");
  command->add_flag("--list", args->list, "Print what the installer holds; write nothing");
  command->add_flag("--force", args->force, "Replace files of those names already in DIR");
  command->footer(kFooter);
  return Subcommand{command, [args, &context] { return run_unpack(*args, context); }};
}

}  // namespace tools
