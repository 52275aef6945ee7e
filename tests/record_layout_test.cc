// The binary files read back by the tools as the output step wrote them: a
// value in every field, each different, comes back in its own field.
// (tests/output_test.cc pins the written bytes themselves.)
#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

#include "model/scenario.h"
#include "output/binary_files.h"
#include "tools/decode/binary_readers.h"

namespace {

TEST(RecordLayout, EveryCellFieldReadsBackFromWhereItWasWritten) {
  std::vector<model::Cell> cells(3);
  model::Cell& c = cells[1];
  c.kind = 0x81;
  c.value_a = -0x1234;
  c.value_b = 0x2345;
  c.value_c = -3;
  c.value_d = 0x4567;
  c.signal_time = 0x92;
  c.repeat_code = 0xA3;
  c.tunnel_type = 0xB4;
  c.speed_limit = 0xC5;
  c.gradient = 0xD6;
  c.adhesion = 0xE7;
  cells[2].adhesion = 1;  // a cell read from the wrong place shows
  const std::string bytes = output::encode_cell_track(cells);
  ASSERT_EQ(bytes.size(), 3 * output::kCellBytes);
  std::vector<model::Cell> read;
  ASSERT_EQ(tools::read_cells(bytes, &read), "");
  EXPECT_EQ(read, cells);
}

TEST(RecordLayout, EveryServiceFieldReadsBackAroundTextsOfAnyLength) {
  std::array<model::ServiceRecord, model::kServiceRecords> table;
  for (size_t i = 0; i < table.size(); i += 7) {
    model::ServiceRecord& r = table[i];
    const auto n = static_cast<int>(i);
    r.kind = static_cast<uint8_t>(0x80 + n);
    r.start_m = -100000 - n;
    r.end_m = 200000 + n;
    r.position_m = 0x01020304 + n;
    r.flag_a = static_cast<uint8_t>(0xF0 - n);
    r.text = std::string(i % 5, 'a' + static_cast<char>(i % 26)) + "\xC3\xA8";  // "è"
    r.word_a = static_cast<int16_t>(-1000 - n);
    r.word_b = static_cast<int16_t>(2000 + n);
    r.word_c = static_cast<int16_t>(-3000 - n);
    r.word_d = static_cast<int16_t>(4000 + n);
    r.word_e = static_cast<int16_t>(0x7F00 + n);
    r.byte_a = static_cast<uint8_t>(0x10 + n);
    r.byte_b = static_cast<uint8_t>(0x90 + n);
    r.byte_c = static_cast<uint8_t>(0x20 + n);
    r.byte_d = static_cast<uint8_t>(0xA0 + n);
    r.time_s = -86400 - n;
  }
  std::string bytes;
  ASSERT_FALSE(output::encode_service_table(table, &bytes));
  std::array<model::ServiceRecord, model::kServiceRecords> read;
  ASSERT_EQ(tools::read_service(bytes, &read), "");
  for (size_t i = 0; i < table.size(); ++i) EXPECT_EQ(read[i], table[i]) << "record " << i;
}

}  // namespace
