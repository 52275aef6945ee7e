// `scenarioc plot`: a picture of the line.
#include <memory>
#include <ostream>

#include "model/file_names.h"
#include "tools/exit_status.h"
#include "tools/binary_readers.h"
#include "tools/check.h"
#include "tools/commands.h"
#include "tools/plot.h"
#include "tools/scenario_options.h"

namespace tools {
namespace {

constexpr char kFooter[] =
    "Draws one SVG page: the plan of the line with the stations named and the signals marked,\n"
    "and under it, on one distance axis, the gradient, the speed limit, the tunnels, boards,\n"
    "signals, slowdowns and station platforms.\n"
    "\n"
    "When both sources are in FOLDER, a copy of them is compiled in memory (FOLDER is left as\n"
    "it is); otherwise the binary files NAME_linea.dat (optional), NAME_NUMBER.sim and\n"
    "NAME_NUMBER.dat are read.\n"
    "\n"
    "Exit status: 0 the picture is written (when the sources compile with a status code, it\n"
    "shows the scenario as far as it was read, and a note on stderr says so); 2 bad usage,\n"
    "sources that would end the compile with \" Errore n. \", a binary file that is missing or\n"
    "malformed, or an SVG file that cannot be written.";

struct PlotArgs {
  ScenarioArgs scenario;
  std::string output;
};

// The model from the binary files of the folder.
std::string load_binaries(platform::Env& env, const ScenarioArgs& args, model::Scenario* m) {
  m->scenario_name = args.scenario;
  m->train_number = args.train;
  std::string bytes, problem;
  const std::string geometry = model::file_path(args.folder, model::FileKind::kLineGeometry, *m);
  // Only regular files of a size their kind can have are read.
  if (env.file_exists(geometry)) {
    if (platform::Status s =
            env.read_regular_file(geometry, largest_file(BinaryKind::kLineGeometry), &bytes))
      return s->message();
    if (!(problem = read_line_geometry(bytes, &m->line_table)).empty())
      return geometry + ": " + problem;
  }
  const std::string service = model::file_path(args.folder, model::FileKind::kService, *m);
  if (platform::Status s =
          env.read_regular_file(service, largest_file(BinaryKind::kService), &bytes))
    return s->message();
  if (!(problem = read_service(bytes, &m->service_table)).empty()) return service + ": " + problem;
  const std::string cells = model::file_path(args.folder, model::FileKind::kCells, *m);
  if (platform::Status s = env.read_regular_file(cells, largest_file(BinaryKind::kCells), &bytes))
    return s->message();
  if (!(problem = read_cells(bytes, &m->cell_track)).empty()) return cells + ": " + problem;
  m->cell_last = static_cast<int32_t>(m->cell_track.size()) - 1;
  return {};
}

int run_plot(PlotArgs args, const ToolContext& context) {
  auto fail = [&](const std::string& why) {
    context.err << "scenarioc: " << why << std::endl;
    return kExitPlatform;
  };
  if (std::string problem = infer_scenario(args.scenario); !problem.empty()) return fail(problem);
  // An empty name would become a hidden temporary file and a rename to
  // nothing, and no message could name the file.
  if (args.output.empty()) return fail("-o: the name of the SVG file is empty");
  model::Scenario m;
  m.scenario_name = args.scenario.scenario;
  m.train_number = args.scenario.train;
  if (context.env.file_exists(model::file_path(args.scenario.folder, model::FileKind::kLineSource, m)) &&
      context.env.file_exists(model::file_path(args.scenario.folder, model::FileKind::kTrainSource, m))) {
    compiler::CompileResult compiled = check_scenario(context.env, args.scenario.folder,
                                                      args.scenario.scenario, args.scenario.train);
    if (compiled.failure) return fail(compiled.failure->message());
    if (compiled.ended_early)
      return fail("the sources do not compile (status " + std::to_string(compiled.status) +
                  "); run 'scenarioc check' for where");
    // The picture is drawn all the same, from the scenario as far as it was read.
    if (compiled.status != 0)
      context.err << "scenarioc: note: the sources compile with status " << compiled.status
                  << "; run 'scenarioc check' for where" << std::endl;
    m = std::move(compiled.model);
  } else if (std::string problem = load_binaries(context.env, args.scenario, &m);
             !problem.empty()) {
    return fail(problem);
  }
  if (platform::Status status = platform::replace_file(context.env, args.output, plot_svg(m)))
    return fail(status->message());
  context.out << "wrote " << args.output << std::endl;
  return kExitOk;
}

}  // namespace

Subcommand add_plot_command(CLI::App& parent, const ToolContext& context) {
  auto args = std::make_shared<PlotArgs>();
  CLI::App* command =
      parent.add_subcommand("plot", "Draws the line, its profiles and features as SVG");
  add_scenario_options(*command, args->scenario);
  command->add_option("-o,--output", args->output, "The SVG file to write")
      ->type_name("FILE.svg")
      ->required();
  command->footer(kFooter);
  return Subcommand{command, [args, &context] { return run_plot(*args, context); }};
}

}  // namespace tools
