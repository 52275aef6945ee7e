// The two source passes and the cell post-processing, each working on the
// model and the compile's state. Internal to the compiler; the one entry
// point for its callers is compile() in compile.h. A pass throws
// ReadFailure for content that cannot be read as its field requires; the
// compile turns it into status 25.
#pragma once

#include <string_view>

#include "compiler/compile_state.h"
#include "model/scenario.h"

namespace compiler {

// The line pass over the decoded line source: the settings records, the
// cell track and, when the state asks for it, the track plan. Returns
// whether the train pass follows (also after a range-rule stop, status 15).
bool parse_line_source(model::Scenario& model, CompileState& state, std::string_view text);

// The train pass over the decoded train source. Needs the cell track.
void parse_train_source(model::Scenario& model, CompileState& state, std::string_view text);

// Places the marker cells around slowdowns; a marker without room records
// status 11, 12 or 13 and the pass goes on.
void post_process(model::Scenario& model, CompileState& state);

}  // namespace compiler
