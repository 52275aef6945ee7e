#include "compiler/compile.h"
namespace compiler {
void parse_train_source(model::Scenario&, platform::Env&, const std::string&, ParseState&) {}
}
