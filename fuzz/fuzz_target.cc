// A libFuzzer target around one of the checks, chosen at build time.
#include <cstdio>
#include <cstdlib>

#include "fuzz/fuzz_checks.h"
#include "fuzz/payload_checks.h"
#include "fuzz/tool_checks.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string broken = fuzz::FUZZ_CHECK_FUNCTION(data, size);
  if (!broken.empty()) {
    std::fprintf(stderr, "invariant broken: %s\n", broken.c_str());
    std::abort();
  }
  return 0;
}
