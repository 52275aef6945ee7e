// The route viewer's script, tools/plot/route_viewer.js, as the build embeds
// it. Elements that carry data-m0 (and data-m1) are placed anew at every
// zoom; the profiles, drawn once on the whole axis, are scaled.
#pragma once

#include <string_view>

namespace tools {

// The bytes of route_viewer.js, exactly.
std::string_view route_viewer_script();

}  // namespace tools
