#include "tests/support/tool_folder.h"

#include <fstream>
#include <random>
#include <sstream>

#include "tests/support/given_scenario.h"
#include "tests/support/scenario_sources.h"
#include "tests/support/utf8_path.h"
#include "tools/cli/scenarioc_app.h"
#include "writers/writers.h"

namespace testing_support {

namespace fs = std::filesystem;

ToolOutcome run_scenarioc(std::vector<std::string> args, platform::Env& env) {
  args.insert(args.begin(), "scenarioc");
  std::vector<const char*> argv;
  for (const std::string& a : args) argv.push_back(a.c_str());
  std::ostringstream out, err;
  int status = tools::scenarioc_main(static_cast<int>(argv.size()), argv.data(), env, out, err);
  return {status, out.str(), err.str()};
}

void ToolFolder::SetUp() {
  std::random_device random;
  folder_path_ = fs::temp_directory_path() /
                 ("scenarioc_tool_test_" + std::to_string(random()) + std::to_string(random()));
  ASSERT_TRUE(fs::create_directory(folder_path_));
  folder_ = test::utf8(folder_path_);
}

void ToolFolder::TearDown() { fs::remove_all(folder_path_); }

std::string ToolFolder::path(model::FileKind kind) const {
  return path(model::file_name(kind, kGivenScenario, kGivenTrain));
}

std::string ToolFolder::path(const std::string& name) const {
  return folder_ + platform::kSeparator + name;
}

std::string ToolFolder::read(const std::string& path) {
  std::ifstream in(test::fs_path(path), std::ios::binary);
  std::stringstream content;
  content << in.rdbuf();
  return content.str();
}

void ToolFolder::put(const std::string& name, const std::string& content) const {
  std::ofstream(test::fs_path(path(name)), std::ios::binary) << content;
}

std::map<std::string, std::string> ToolFolder::snapshot() const {
  std::map<std::string, std::string> files;
  for (const auto& entry : fs::directory_iterator(folder_path_))
    files[test::utf8(entry.path().filename())] = read(test::utf8(entry.path()));
  return files;
}

void ToolFolder::write_sources(const std::vector<std::string>& line,
                               const std::vector<std::string>& train) {
  ASSERT_FALSE(write_source(platform::default_env(), path(model::FileKind::kLineSource), line));
  ASSERT_FALSE(write_source(platform::default_env(), path(model::FileKind::kTrainSource), train));
}

void ToolFolder::write_given_sources() { write_sources(given_line_source(), given_train_source()); }

void ToolFolder::compile_given_scenario() {
  write_given_sources();
  ToolOutcome compiled = scenarioc({"compile", folder_, "--scenario", kGivenScenario, "--train",
                                    kGivenTrain, "--delete-sources"});
  ASSERT_EQ(compiled.status, 0) << compiled.out << compiled.err;
}

std::vector<std::string> given_line_source() {
  auto lines = writers::line_source_lines();
  return {lines.begin(), lines.end()};
}

std::vector<std::string> given_train_source() {
  auto lines = writers::train_source_lines();
  return {lines.begin(), lines.end()};
}

}  // namespace testing_support
