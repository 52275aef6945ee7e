// The scenario compiler's entry points: the two source parsers under one
// fault handler, and the cell post-processing.
#pragma once

#include <cstdint>
#include <string>

#include "model/file_names.h"
#include "model/scenario.h"
#include "platform/env.h"

namespace compiler {

// Where in which source a fault was found (1-based; line 0 when unknown).
struct SourcePosition {
  model::FileKind file = model::FileKind::kLineSource;
  int line = 0;
  int column = 0;
};

// What the line pass hands to the train pass, and where the last entry stood.
struct ParseState {
  // The record that takes the next name board text, counting down from 80;
  // station records counting up from 1 must stay below it.
  int32_t sign_text_cursor = model::kFirstSignTextRecord;
  // The keyword field of the entry being processed, kept for diagnostics.
  SourcePosition entry;
  // Where a read failure stood, when the fault handler caught one.
  SourcePosition failure;
  std::string failure_text;
};

// Reads the line source and then the train source of `model` from `folder`
// into the model, deleting each source when its pass stops. Every read or
// platform failure inside becomes status 25, with both sources deleted where
// they still exist. Always returns normally.
void memorizza_dati(model::Scenario& model, platform::Env& env, const std::string& folder,
                    ParseState* state_out = nullptr);

// The line pass. Returns whether the train pass follows (true also after a
// range-rule stop, status 15). Throws ReadFailure.
bool parse_line_source(model::Scenario& model, platform::Env& env, const std::string& folder,
                       ParseState& state);

// The train pass. Throws ReadFailure.
void parse_train_source(model::Scenario& model, platform::Env& env, const std::string& folder,
                        ParseState& state);

// Derives the marker cells around slowdowns. Needs the cell track.
void post_process(model::Scenario& model);

// Source file helpers shared by both passes; failures throw ReadFailure.
std::string load_source(platform::Env& env, const std::string& path);
void delete_source(platform::Env& env, const std::string& path);

}  // namespace compiler
