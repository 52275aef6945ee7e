// The cell post-processing on an arbitrary cell track: it never reaches
// outside the track, records only its own codes, and touches only the cells
// it may turn into markers.
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "compiler/compile.h"
#include "fuzz/fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // Each cell takes 3 input bytes: kind (mod 16), value_a low and high byte.
  const size_t cells = size / 3;
  if (cells == 0) return 0;
  model::Scenario m;
  m.cell_track.resize(cells);
  m.cell_last = static_cast<int32_t>(cells) - 1;
  for (size_t i = 0; i < cells; ++i) {
    m.cell_track[i].kind = data[3 * i] % 16;
    int16_t value;
    std::memcpy(&value, data + 3 * i + 1, 2);
    m.cell_track[i].value_a = value;
  }
  const std::vector<model::Cell> before = m.cell_track;
  compiler::post_process(m);
  FUZZ_CHECK(m.cell_track.size() == cells);
  FUZZ_CHECK(m.status_code == 0 || m.status_code == 11 || m.status_code == 12 ||
             m.status_code == 13);
  for (size_t i = 0; i < cells; ++i) {
    const model::Cell& was = before[i];
    const model::Cell& now = m.cell_track[i];
    if (was == now) continue;
    // Only free cells become markers, and existing markers may only be capped.
    FUZZ_CHECK(now.kind == model::kind::kMarker);
    if (was.kind == model::kind::kMarker)
      FUZZ_CHECK(now.value_a == (was.value_a > 180 ? 180 : was.value_a));
    else
      FUZZ_CHECK(model::is_free(was) && now.value_a == 180);
  }
  return 0;
}
