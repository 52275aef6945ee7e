// --help of every subcommand: each of its arguments and its footer.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/tool_folder.h"
#include "tools/cli/exit_status.h"
#include "writers/writers.h"

namespace {

struct HelpCase {
  const char* command;
  std::vector<const char*> says;
  friend void PrintTo(const HelpCase& c, std::ostream* os) { *os << c.command; }
};

class SubcommandHelp : public ::testing::TestWithParam<HelpCase> {};

TEST_P(SubcommandHelp, ListsEveryArgumentAndItsFooter) {
  const HelpCase& c = GetParam();
  const testing_support::ToolOutcome help = testing_support::run_scenarioc({c.command, "--help"});
  EXPECT_EQ(help.status, tools::kExitOk);
  EXPECT_EQ(help.err, "");
  EXPECT_NE(help.out.find(std::string("Usage: scenarioc ") + c.command + " [OPTIONS]"),
            std::string::npos)
      << help.out;
  for (const char* word : c.says)
    EXPECT_NE(help.out.find(word), std::string::npos) << word << " missing from:\n" << help.out;
  // Every footer ends with the exit statuses.
  EXPECT_NE(help.out.find("Exit status"), std::string::npos) << help.out;
}

INSTANTIATE_TEST_SUITE_P(
    AllCommands, SubcommandHelp,
    ::testing::Values(
        HelpCase{"compile",
                 {"FOLDER", "--scenario NAME", "--train NUMBER", "--no-line-file", "--json",
                  "NAME_linea.dat", "--delete-sources", "--keep-sources", "kept", "\"position\""}},
        HelpCase{"check",
                 {"FOLDER", "--scenario NAME", "--train NUMBER", "--json",
                  "FILE:LINE:COLUMN: error: MEANING (status N, at M m)", "caret",
                  "left exactly as it is", "\"notes\"", "3 a fault that would end the compile"}},
        HelpCase{"decode",
                 {"FILE", "--json", "NAME_linea.dat", "NAME_NUMBER.sim", "NAME_NUMBER.dat",
                  "hh:mm:ss", "s1/d1", "wrong size"}},
        HelpCase{"plot",
                 {"FOLDER", "--scenario NAME", "--train NUMBER", "-o,--output FILE", "FILE.svg",
                  "FILE.html", "route viewer", "gradient", "speed limit", "binary files"}},
        HelpCase{"sources",
                 {"FOLDER", "--scenario NAME=Fiumicino Aeroporto_Roma", "--train NUMBER=3291",
                  "--force", "NAME_linea.txt", "NAME_NUMBER-.txt"}},
        HelpCase{
            "pack",
            {"FOLDER", "--scenario NAME", "--train NUMBER", "-o,--output FILE", "--installer PATH",
             "--werror", "NAME_NUMBER_note.txt", "NAME_NUMBER.exe", "code\nsignature"}},
        HelpCase{"unpack", {"INSTALLER", "DIR", "--list", "--force", "checksum", "built-in"}}),
    [](const auto& info) { return std::string(info.param.command); });

TEST(ScenariocHelp, NamesEveryCommand) {
  const testing_support::ToolOutcome help = testing_support::run_scenarioc({"--help"});
  EXPECT_EQ(help.status, tools::kExitOk);
  for (const char* command : {"compile", "check", "decode", "plot", "sources", "pack", "unpack"})
    EXPECT_NE(help.out.find(command), std::string::npos) << command << " missing from:\n"
                                                         << help.out;
}

}  // namespace
