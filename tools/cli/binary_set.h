// What a run stopped while it replaced the three binary files (killed, or a
// machine that broke down) leaves in their folder, for `check` to say.
#pragma once

#include <string>
#include <vector>

namespace tools {

// One line for each temporary file beside a binary file (an old version
// moved aside, or a new one not yet in place), and one for a service or
// cell file missing while the other binary files are there. Empty when the
// set is whole, or when the folder holds none of it.
std::vector<std::string> interrupted_set_notes(const std::string& folder,
                                               const std::string& scenario_name,
                                               const std::string& train_number);

}  // namespace tools
