// `scenarioc plot`: a picture of the line.
#include <cctype>
#include <memory>
#include <optional>
#include <ostream>

#include "model/file_names.h"
#include "tools/cli/check.h"
#include "tools/cli/commands.h"
#include "tools/cli/exit_status.h"
#include "tools/cli/scenario_options.h"
#include "tools/decode/binary_readers.h"
#include "tools/plot/plot.h"

namespace tools {
namespace {

constexpr char kFooter[] =
    "Draws the plan of the line, turned to run across the page, with its end, tunnels, name\n"
    "boards and their texts, signals and stations (filled: stop, hollow: pass-through); under it,\n"
    "on one distance axis, the curves (side and class), the gradient and speed limit profiles "
    "with\n"
    "their values, the tunnels, boards, signals, slowdowns and markers, and the station\n"
    "platforms; and a legend.\n"
    "\n"
    "The extension of FILE chooses the output: FILE.svg is one static SVG picture; FILE.html is\n"
    "the route viewer, one self-contained page a browser opens from disk, with zoom and pan\n"
    "along the kilometres (wheel, drag, double-click) and the values of any object under the\n"
    "pointer. Drawn from the sources, each object shows its entry's values and file:line, and a\n"
    "status other than 0 is shown in a banner with the first error; drawn from the binary files,\n"
    "each shows what its cell or record holds.\n"
    "\n"
    "When both sources are in FOLDER, a copy of them is compiled in memory (FOLDER is left as\n"
    "it is); otherwise the binary files NAME_linea.dat (optional), NAME_NUMBER.sim and\n"
    "NAME_NUMBER.dat are read.\n"
    "\n"
    "Exit status: 0 the picture is written (when the sources compile with a status code, it\n"
    "shows the scenario as far as it was read, and a note on stderr says so); 2 bad usage,\n"
    "sources that would end the compile with \" Errore n. \", a binary file that is missing or\n"
    "malformed, an output name that ends in neither .svg nor .html, or an output file that\n"
    "cannot be written.";

enum class Output { kSvg, kHtml, kUnknown };

// The output kind follows the name's extension, in any letter case.
Output output_kind(const std::string& name) {
  auto ends_with = [&](const std::string& suffix) {
    if (name.size() < suffix.size()) return false;
    for (size_t i = 0; i < suffix.size(); ++i)
      if (std::tolower(static_cast<unsigned char>(name[name.size() - suffix.size() + i])) !=
          suffix[i])
        return false;
    return true;
  };
  if (ends_with(".svg")) return Output::kSvg;
  if (ends_with(".html") || ends_with(".htm")) return Output::kHtml;
  return Output::kUnknown;
}

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
  if (args.output.empty()) return fail("-o: the name of the output file is empty");
  const Output kind = output_kind(args.output);
  if (kind == Output::kUnknown)
    return fail("-o " + args.output +
                ": the name must end in .svg (a picture) or .html (the "
                "route viewer)");
  model::Scenario m;
  std::optional<compiler::CompileResult> compiled_result;
  m.scenario_name = args.scenario.scenario;
  m.train_number = args.scenario.train;
  if (context.env.file_exists(
          model::file_path(args.scenario.folder, model::FileKind::kLineSource, m)) &&
      context.env.file_exists(
          model::file_path(args.scenario.folder, model::FileKind::kTrainSource, m))) {
    job::FolderCompile checked =
        check_scenario(context.env, args.scenario.folder, args.scenario.scenario,
                       args.scenario.train, /*keep_track_plan=*/true);
    if (checked.failure) return fail(checked.failure->message());
    compiler::CompileResult& compiled = checked.result;
    if (compiled.ended_early)
      return fail("the sources do not compile (status " + std::to_string(compiled.status) +
                  "); run 'scenarioc check' for where");
    // The picture is drawn all the same, from the scenario as far as it was read.
    if (compiled.status != 0)
      context.err << "scenarioc: note: the sources compile with status " << compiled.status
                  << "; run 'scenarioc check' for where" << std::endl;
    compiled_result = std::move(compiled);
  } else if (std::string problem = load_binaries(context.env, args.scenario, &m);
             !problem.empty()) {
    return fail(problem);
  }
  const compiler::CompileResult* from_sources = compiled_result ? &*compiled_result : nullptr;
  const model::Scenario& drawn = from_sources ? from_sources->model : m;
  const std::string picture =
      kind == Output::kHtml ? plot_html(drawn, from_sources) : plot_svg(drawn, from_sources);
  if (platform::Status status = platform::replace_file(context.env, args.output, picture))
    return fail(status->message());
  context.out << "wrote " << args.output << std::endl;
  return kExitOk;
}

}  // namespace

Subcommand add_plot_command(CLI::App& parent, const ToolContext& context) {
  auto args = std::make_shared<PlotArgs>();
  CLI::App* command = parent.add_subcommand(
      "plot", "Draws the line, its profiles and features as SVG or as an HTML route viewer");
  add_scenario_options(*command, args->scenario);
  command->add_option("-o,--output", args->output, "The file to write: FILE.svg or FILE.html")
      ->type_name("FILE")
      ->required();
  command->footer(kFooter);
  return Subcommand{command, [args, &context] { return run_plot(*args, context); }};
}

}  // namespace tools
