#include "tests/support/given_scenario.h"

#include <gtest/gtest.h>

#include <cstring>

namespace testing_support {
namespace {

// The texts that the sources put into the service table: station names
// (records 1 to 9) and name board texts (records 80 down to 70).
constexpr std::string_view kServiceTexts[] = {
    "FIUMICINO AEROPORTO",
    "PONTE GALERIA",
    "MURATELLA",
    "MAGLIANA",
    "VILLA BONELLI",
    "ROMA TRASTEVERE",
    "ROMA OSTIENSE",
    "ROMA TUSCOLANA",
    "ROMA TERMINI",
    "(SOTTOVIA    )(AUTOSTRADALE)",
    "(SOTTOVIA )(MURATELLA)",
    "(SOTTOVIA )(PORTUENSE)",
    "(SOTTOVIA        )(RACCORDO ANULARE)",
    "(SOTTOVIA)(MAGLIANA)",
    "(PONTE SU    )(FIUME TEVERE)",
    "(SOTTOVIA)(COLOMBO )",
    "(SOTTOVIA)(LATINA  )",
    "(SOTTOVIA)(SIRIA   )",
    "(SOTTOVIA)(ACQUI   )",
    "(SOTTOVIA)(APPIA   )",
};

size_t texts_before_record_85() {
  size_t n = 0;
  for (std::string_view text : kServiceTexts) n += text.size();
  return n;
}

}  // namespace

size_t given_service_bytes() {
  return 87 * 34 + std::strlen(kGivenScenario) + std::strlen(kGivenTrain) +
         texts_before_record_85();
}

int32_t plain_code(std::string_view window) {
  int32_t sum = 0;
  for (size_t i = 0; i < 25; ++i) sum += static_cast<unsigned char>(window[i]);
  return sum;
}

int32_t weighted_code(std::string_view window) {
  int32_t sum = 0;
  for (size_t i = 0; i < 25; ++i) sum += static_cast<unsigned char>(window[i]) * int32_t(i + 1);
  return sum;
}

int32_t le16(const std::string& b, size_t at) {
  return static_cast<int16_t>(static_cast<unsigned char>(b.at(at)) |
                              static_cast<unsigned char>(b.at(at + 1)) << 8);
}

int32_t le32(const std::string& b, size_t at) {
  uint32_t v = 0;
  for (size_t i = 0; i < 4; ++i) v |= uint32_t{static_cast<unsigned char>(b.at(at + i))} << (8 * i);
  return static_cast<int32_t>(v);
}

double le_double(const std::string& b, size_t at) {
  uint64_t bits = 0;
  for (size_t i = 0; i < 8; ++i)
    bits |= uint64_t{static_cast<unsigned char>(b.at(at + i))} << (8 * i);
  double v;
  std::memcpy(&v, &bits, sizeof v);
  return v;
}

void expect_given_geometry(const std::string& g) {
  ASSERT_EQ(g.size(), kGivenGeometryBytes);
  const size_t col1 = kGivenGeometryColumnBytes;
  // Metres 0 and 1 are the Integer points (0, 0) and (0, 1).
  EXPECT_EQ(g.substr(0, 8), std::string("\x02\x00\x00\x00\x02\x00\x00\x00", 8));
  EXPECT_EQ(g.substr(col1, 8), std::string("\x02\x00\x00\x00\x02\x00\x01\x00", 8));
  // Metre 651, the first step of the left curve at 650: (-0.003, 651), exactly.
  const size_t row651 = 8 + (651 - 2) * 10;
  EXPECT_EQ(le16(g, row651), 5);
  EXPECT_EQ(le_double(g, row651 + 2), -0.003);
  EXPECT_EQ(le_double(g, col1 + row651 + 2), 651.0);
  // Metre 41998, the last computed point, and the two Empty metres after it.
  const size_t row41998 = 8 + (41998 - 2) * 10;
  EXPECT_NEAR(le_double(g, row41998 + 2), -35429.54, 0.01);
  EXPECT_NEAR(le_double(g, col1 + row41998 + 2), 12397.71, 0.01);
  EXPECT_EQ(g.substr(col1 - 4, 4), std::string(4, '\0'));
  EXPECT_EQ(g.substr(g.size() - 4), std::string(4, '\0'));
}

void expect_given_service(const std::string& s) {
  ASSERT_EQ(s.size(), given_service_bytes());
  const size_t r85 = 85 * 34 + texts_before_record_85();
  EXPECT_EQ(le16(s, r85 + 14), 24);
  EXPECT_EQ(s.substr(r85 + 16, 24), kGivenScenario);
  EXPECT_EQ(le16(s, r85 + 40), 610);                 // word_a
  EXPECT_EQ(le32(s, r85 + 54), kGivenWeightedCode);  // time_s
  const size_t r86 = r85 + 34 + 24;
  EXPECT_EQ(le16(s, r86 + 14), 4);
  EXPECT_EQ(s.substr(r86 + 16, 4), kGivenTrain);
}

void expect_given_cells(const std::string& c) {
  ASSERT_EQ(c.size(), kGivenCellBytes);
  EXPECT_EQ(le16(c, 15 + 1), 5121);             // cell 1 value_a
  EXPECT_EQ(le16(c, 15 + 3), kGivenPlainCode);  // cell 1 value_b
  // The first station's marker: cell 5, kind 10, value_a 1.
  EXPECT_EQ(c[5 * 15], 10);
  EXPECT_EQ(le16(c, 5 * 15 + 1), 1);
}

}  // namespace testing_support
