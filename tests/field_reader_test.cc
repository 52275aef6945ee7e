#include "compiler/field_reader.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "compiler/read_failure.h"

namespace {

using compiler::FieldReader;
using compiler::ReadFailure;

// Reads text fields until the end-of-file test is true.
std::vector<std::string> all_text_fields(const std::string& text) {
  FieldReader reader(text);
  std::vector<std::string> fields;
  while (!reader.at_end()) fields.push_back(reader.read_text());
  return fields;
}

struct TextCase {
  const char* name;
  const char* text;
  std::vector<std::string> fields;
};

class TextFields : public ::testing::TestWithParam<TextCase> {};

TEST_P(TextFields, SplitAsTheFieldRulesSay) {
  EXPECT_EQ(all_text_fields(GetParam().text), GetParam().fields);
}

INSTANTIATE_TEST_SUITE_P(
    FieldReader, TextFields,
    ::testing::Values(
        TextCase{"comma_and_crlf",
                 "stazione di Orte a km 114,300\r\n[generale]\r\n",
                 {"stazione di Orte a km 114", "300", "[generale]"}},
        TextCase{"lone_cr_and_lone_lf_end_lines", "a\rb\nc\r\nd", {"a", "b", "c", "d"}},
        TextCase{"cr_cr_is_two_line_ends", "a\r\rb", {"a", "", "b"}},
        TextCase{"empty_line_is_one_empty_field", "a\r\n\r\nb\r\n", {"a", "", "b"}},
        TextCase{"leading_blanks_skipped_inner_and_trailing_kept",
                 "x,   (SOTTOVIA    )(AUTOSTRADALE)  \r\n",
                 {"x", "(SOTTOVIA    )(AUTOSTRADALE)  "}},
        TextCase{"tab_is_a_blank", "\t \tabc\t,d", {"abc\t", "d"}},
        TextCase{"double_quote_is_ordinary", "\"a,b\"\r\n", {"\"a", "b\""}},
        TextCase{"comma_then_line_end_gives_an_empty_field", "a,\r\nb", {"a", "", "b"}},
        TextCase{"blanks_alone_at_the_end_are_one_field", "a\r\n   ", {"a", ""}},
        TextCase{"no_final_line_end", "[fine]", {"[fine]"}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(FieldReader, NumbersEndAtBlanksAndConsumeOneSeparator) {
  FieldReader reader("ripetizione segnali 4 codici,    0    ,0\r\norologio,    10  5\t30 \r\n-3,x");
  EXPECT_EQ(reader.read_text(), "ripetizione segnali 4 codici");
  EXPECT_EQ(reader.read_long(), 0);
  EXPECT_EQ(reader.read_long(), 0);
  EXPECT_EQ(reader.read_text(), "orologio");
  EXPECT_EQ(reader.read_integer(), 10);
  EXPECT_EQ(reader.read_byte(), 5);
  EXPECT_EQ(reader.read_long(), 30);
  EXPECT_EQ(reader.read_long(), -3);
  EXPECT_EQ(reader.read_text(), "x");
  EXPECT_TRUE(reader.at_end());
}

TEST(FieldReader, ANumberFollowedByTextLeavesTheTextForTheNextRead) {
  FieldReader reader("12 abc\r\n");
  EXPECT_EQ(reader.read_long(), 12);
  EXPECT_EQ(reader.read_text(), "abc");
  EXPECT_TRUE(reader.at_end());
}

TEST(FieldReader, TargetLimitsAreAccepted) {
  FieldReader reader("2147483647,-2147483648,32767,-32768,255,0,-0");
  EXPECT_EQ(reader.read_long(), INT32_MAX);
  EXPECT_EQ(reader.read_long(), INT32_MIN);
  EXPECT_EQ(reader.read_integer(), INT16_MAX);
  EXPECT_EQ(reader.read_integer(), INT16_MIN);
  EXPECT_EQ(reader.read_byte(), 255);
  EXPECT_EQ(reader.read_byte(), 0);
  EXPECT_EQ(reader.read_long(), 0);
  EXPECT_TRUE(reader.at_end());
}

struct BadNumber {
  const char* name;
  const char* text;
  std::function<void(FieldReader&)> read;
};

class BadNumbers : public ::testing::TestWithParam<BadNumber> {};

TEST_P(BadNumbers, AreReadFailures) {
  FieldReader reader(GetParam().text);
  EXPECT_THROW(GetParam().read(reader), ReadFailure);
}

const auto kLong = [](FieldReader& r) { r.read_long(); };
const auto kInteger = [](FieldReader& r) { r.read_integer(); };
const auto kByte = [](FieldReader& r) { r.read_byte(); };

INSTANTIATE_TEST_SUITE_P(
    FieldReader, BadNumbers,
    ::testing::Values(
        BadNumber{"empty_field", ",5", kLong}, BadNumber{"empty_line", "\r\n5", kLong},
        BadNumber{"blanks_to_the_end", "   ", kLong}, BadNumber{"plus_sign", "+5", kLong},
        BadNumber{"minus_alone", "- 5", kLong}, BadNumber{"decimal_point", "1.5", kLong},
        BadNumber{"letter_after_digits", "12a", kLong}, BadNumber{"text", "[fine]", kLong},
        BadNumber{"long_too_large", "2147483648", kLong},
        BadNumber{"long_too_small", "-2147483649", kLong},
        BadNumber{"far_too_many_digits", "123456789012345678901234567890", kLong},
        BadNumber{"integer_too_large", "32768", kInteger},
        BadNumber{"integer_too_small", "-32769", kInteger},
        BadNumber{"byte_too_large", "256", kByte}, BadNumber{"byte_negative", "-1", kByte},
        BadNumber{"nothing_left", "", kLong},
        BadNumber{"text_when_nothing_left", "", [](FieldReader& r) { r.read_text(); }}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(FieldReader, EndOfFileIsTrueRightAfterTheLastFieldAndItsLineEnd) {
  FieldReader reader("a,\t7 \r\n[fine]\r\n");
  EXPECT_FALSE(reader.at_end());
  reader.read_text();
  reader.read_long();
  EXPECT_FALSE(reader.at_end());
  EXPECT_EQ(reader.read_text(), "[fine]");
  EXPECT_TRUE(reader.at_end());
  EXPECT_THROW(reader.read_text(), ReadFailure);
  EXPECT_THROW(reader.read_long(), ReadFailure);
}

TEST(FieldReader, ReportsWhereEachFieldStarts) {
  FieldReader reader("head\r\n  lunghezza,   x7\n\nz");
  reader.read_text();
  EXPECT_EQ(reader.field_line(), 1);
  EXPECT_EQ(reader.field_column(), 1);
  reader.read_text();
  EXPECT_EQ(reader.field_line(), 2);
  EXPECT_EQ(reader.field_column(), 3);
  try {
    reader.read_long();
    FAIL() << "x7 is no number";
  } catch (const ReadFailure& failure) {
    EXPECT_EQ(failure.line(), 2);
    EXPECT_EQ(failure.column(), 16);
  }
}

TEST(FieldReader, ReportsLinesAfterEachKindOfLineEnd) {
  FieldReader reader("a\rb\nc\r\nd");
  for (int line = 1; line <= 4; ++line) {
    reader.read_text();
    EXPECT_EQ(reader.field_line(), line);
  }
}

}  // namespace
