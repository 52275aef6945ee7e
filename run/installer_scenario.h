// The scenario an installer installs, chosen once at its start: the one
// packed into its executable when there is one, else its built-in one.
#pragma once

#include <functional>
#include <iosfwd>
#include <string>
#include <vector>

#include "model/file_names.h"
#include "payload/payload.h"
#include "platform/env.h"
#include "platform/ui.h"

namespace run {

// Its names and the files the run writes before the compile, in order: the
// line source, the train source, then the documents.
struct InstallerScenario {
  std::string scenario_name;
  std::string train_number;
  struct File {
    model::FileKind kind;
    // Replaces the file in `folder`, under its name for this scenario.
    std::function<platform::Status(platform::Env& env, const std::string& folder)> write;
  };
  std::vector<File> files;
};

// The scenario the installer was built with, written by the five writers.
InstallerScenario built_in_scenario();

// A packed scenario: its files written as the payload holds them.
InstallerScenario packed_scenario(const payload::Contents& contents);

// What the installer at `program_path` installs: the payload's scenario, the
// built-in one when there is none, or the reason it must install nothing.
struct ScenarioChoice {
  InstallerScenario scenario;
  platform::Status failure;  // the executable could not be read
  std::string damage;        // the payload is damaged: why (English)
};
ScenarioChoice choose_scenario(platform::Env& env, const std::string& program_path);

// The box for a damaged payload, in Italian, naming the executable.
std::string damaged_box_text(const std::string& program_path);

}  // namespace run
