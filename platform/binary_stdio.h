// Standard input and output as plain bytes, for protocols that count them.
#pragma once

namespace platform {

// On Windows the C runtime turns CR LF into LF on input and LF into CR LF on
// output; this switches both streams to binary. Nothing to do elsewhere.
void binary_stdio();

}  // namespace platform
