// What the compile options change in a compile's result, and what they
// leave exactly as it was.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "compiler/compile.h"
#include "model/file_names.h"
#include "tests/support/scenario_sources.h"
#include "writers/writers.h"

namespace {

using model::FileKind;

compiler::CompileResult compile(const std::vector<std::string>& line,
                                const compiler::CompileOptions& options) {
  compiler::Sources sources;
  sources.scenario_name = writers::kScenarioName;
  sources.train_number = writers::kTrainNumber;
  sources.line = compiler::text_source(testing_support::source_text(line), FileKind::kLineSource);
  std::vector<std::string> train(writers::train_source_lines().begin(),
                                 writers::train_source_lines().end());
  sources.train =
      compiler::text_source(testing_support::source_text(train), FileKind::kTrainSource);
  return compiler::compile_sources(std::move(sources), options);
}

// A caller that shows no track plan lets it go: the plan is built all the
// same (the curves are read with it), so every fault, cell and record is
// the one a compile that keeps it finds, with and without a fault that the
// diagnostic pass reads on past.
TEST(CompileOptions, LeavingTheTrackPlanOutChangesNothingElse) {
  std::vector<std::string> given(writers::line_source_lines().begin(),
                                 writers::line_source_lines().end());
  // A value that does not read (25), then a curve that runs past the end
  // of the plan (103), which only laying the plan finds.
  const std::vector<std::string> faulty = testing_support::replacing(
      testing_support::line_source_with({"pendenza, x, 0", "curvas1, 999000, 5000"}),
      "lunghezza percorso", "lunghezza percorso,    1000000");
  const std::vector<int32_t> codes[] = {{}, {25, 103}};
  int n = 0;
  for (const auto& line : {given, faulty}) {
    const compiler::CompileResult kept = compile(line, {.every_fault = true});
    std::vector<int32_t> found;
    for (const compiler::Diagnostic& d : kept.diagnostics) found.push_back(d.code);
    EXPECT_EQ(found, codes[n++]);
    const compiler::CompileResult left =
        compile(line, {.every_fault = true, .keep_track_plan = false});
    EXPECT_TRUE(kept.model.line_table.allocated());
    EXPECT_FALSE(left.model.line_table.allocated());
    EXPECT_EQ(left.status, kept.status);
    EXPECT_EQ(left.error_position, kept.error_position);
    EXPECT_EQ(left.model.cell_track, kept.model.cell_track);
    EXPECT_EQ(left.model.service_table, kept.model.service_table);
    ASSERT_EQ(left.diagnostics.size(), kept.diagnostics.size());
    for (size_t i = 0; i < kept.diagnostics.size(); ++i)
      EXPECT_EQ(left.diagnostics[i].message, kept.diagnostics[i].message);
  }
}

}  // namespace
