// A fixture for the tests of scenarioc's subcommands: a fresh real folder per
// test, the tool run in-process on it, and the files of the given scenario.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "model/file_names.h"
#include "platform/env.h"

namespace testing_support {

struct ToolOutcome {
  int status;
  std::string out;
  std::string err;
};

// scenarioc with `args` (argv[0] is added), on the files of `env`.
ToolOutcome run_scenarioc(std::vector<std::string> args,
                          platform::Env& env = platform::default_env());

// The built-in sources, line by line.
std::vector<std::string> given_line_source();
std::vector<std::string> given_train_source();

class ToolFolder : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  ToolOutcome scenarioc(std::vector<std::string> args) { return run_scenarioc(std::move(args)); }

  // The path of a file of the given scenario in the folder.
  std::string path(model::FileKind kind) const;
  std::string path(const std::string& name) const;
  std::string read(model::FileKind kind) const { return read(path(kind)); }
  static std::string read(const std::string& path);
  void put(const std::string& name, const std::string& content) const;

  // Every file of the folder, name to bytes.
  std::map<std::string, std::string> snapshot() const;

  void write_sources(const std::vector<std::string>& line, const std::vector<std::string>& train);
  void write_given_sources();
  // Compiles the given sources with `scenarioc compile --delete-sources`:
  // the three binary files, no source left.
  void compile_given_scenario();

  std::filesystem::path folder_path_;
  std::string folder_;
};

}  // namespace testing_support
