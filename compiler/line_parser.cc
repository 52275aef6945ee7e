#include "compiler/compile.h"
namespace compiler {
bool parse_line_source(model::Scenario&, platform::Env&, const std::string&, ParseState&) { return false; }
}
