// Every input the fuzzers were seeded with or found a fault with, replayed
// through the same invariants.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "fuzz/fuzz_checks.h"
#include "fuzz/payload_checks.h"
#include "fuzz/tool_checks.h"

namespace {

namespace fs = std::filesystem;
using Check = std::string (*)(const uint8_t*, size_t);

void replay(const std::string& target, Check check) {
  int inputs = 0;
  for (const char* kind : {"corpus", "regressions"}) {
    fs::path dir = fs::path(FUZZ_INPUTS_DIR) / kind / target;
    if (!fs::exists(dir)) continue;
    for (const auto& entry : fs::directory_iterator(dir)) {
      std::ifstream in(entry.path(), std::ios::binary);
      std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
      EXPECT_EQ(check(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size()), "")
          << entry.path();
      ++inputs;
    }
  }
  EXPECT_GT(inputs, 0) << "no saved inputs for " << target;
}

TEST(FuzzInputs, FieldReader) { replay("field_reader", fuzz::check_field_reader); }
TEST(FuzzInputs, Compile) { replay("compile", fuzz::check_compile); }
TEST(FuzzInputs, PostProcess) { replay("post_process", fuzz::check_post_process); }
TEST(FuzzInputs, Decode) { replay("decode", fuzz::check_decode); }
TEST(FuzzInputs, Plot) { replay("plot", fuzz::check_plot); }
TEST(FuzzInputs, Plan) { replay("plan", fuzz::check_plan); }
TEST(FuzzInputs, Payload) { replay("payload", fuzz::check_payload); }
TEST(FuzzInputs, Render) { replay("render", fuzz::check_render); }
TEST(FuzzInputs, LspMessages) { replay("lsp_messages", fuzz::check_lsp_messages); }

}  // namespace
