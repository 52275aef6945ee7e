#include "writers/writers.h"

#include <gtest/gtest.h>

#include <string>

#include "model/file_names.h"
#include "platform/mem_env.h"
#include "tests/support/sha256.h"
#include "writers/line_block.h"

namespace {

using platform::MemEnv;

constexpr char kFolder[] = "/scen";

model::Scenario given_scenario() {
  model::Scenario m;
  m.scenario_name = "Fiumicino Aeroporto_Roma";
  m.train_number = "3291";
  return m;
}

using WriterFn = platform::Status (*)(const model::Scenario&, platform::Env&, const std::string&);

struct WriterCase {
  const char* name;
  WriterFn writer;
  model::FileKind kind;
  const char* file_name;
  size_t lines;
  size_t bytes;  // 0: not fixed (the notes end with the credit line)
  // The SHA-256 of the whole file: every byte of the text is fixed, the
  // notes' credit line included.
  const char* sha256;
};

const WriterCase kCases[] = {
    {"line_source", writers::write_line_source, model::FileKind::kLineSource,
     "Fiumicino Aeroporto_Roma_linea.txt", 82, 2837,
     "69d536d1541333cdc9fe0ae129be6b5f320a3ecc483d5e5baf8ae0b1ed836e99"},
    {"train_source", writers::write_train_source, model::FileKind::kTrainSource,
     "Fiumicino Aeroporto_Roma_3291-.txt", 49, 2210,
     "1727e90aba342acd7da02eee0ef2b7ad5929504dc4ba59bd082d8d118afc7668"},
    {"train_card", writers::write_train_card, model::FileKind::kTrainCard,
     "Fiumicino Aeroporto_Roma_3291_scheda_treno.txt", 48, 3731,
     "9fe6aaca85a58a50380675536a72f0c6a99e3a68440742b75c15fd1636632c52"},
    {"slowdown_form", writers::write_slowdown_form, model::FileKind::kSlowdownForm,
     "Fiumicino Aeroporto_Roma_3291_rallentamenti.txt", 46, 3283,
     "3309db203696c79ee4d65fae32d4eacb0481546556cde26e9ad1ff72f4a65cff"},
    {"route_notes", writers::write_route_notes, model::FileKind::kRouteNotes,
     "Fiumicino Aeroporto_Roma_3291_note.txt", 20, 0,
     "bd23c98d2c5bd991e5a05fdddf27f7799ffbc222017fa2522cc0d4b058739eab"},
};

class WriterTest : public ::testing::TestWithParam<WriterCase> {};

std::vector<std::string> split_crlf(const std::string& bytes) {
  std::vector<std::string> lines;
  size_t start = 0;
  for (size_t end; (end = bytes.find("\r\n", start)) != std::string::npos; start = end + 2)
    lines.push_back(bytes.substr(start, end - start));
  EXPECT_EQ(start, bytes.size()) << "the file must end with CR LF";
  return lines;
}

TEST_P(WriterTest, WritesExactlyItsLinesWithCrLf) {
  const WriterCase& c = GetParam();
  MemEnv env;
  ASSERT_FALSE(c.writer(given_scenario(), env, kFolder));
  const std::string path = std::string(kFolder) + platform::kSeparator + c.file_name;
  ASSERT_EQ(env.files().size(), 1u) << "no temporary file may be left";
  const std::string& bytes = env.files().at(path);
  if (c.bytes) {
    EXPECT_EQ(bytes.size(), c.bytes);
  }
  EXPECT_EQ(testing_support::sha256_hex(bytes), c.sha256) << "a byte of the fixed text changed";
  std::vector<std::string> lines = split_crlf(bytes);
  EXPECT_EQ(lines.size(), c.lines);
  for (const std::string& line : lines) {
    EXPECT_EQ(line.find('\n'), std::string::npos);
    EXPECT_EQ(line.find('\r'), std::string::npos);
  }
  EXPECT_EQ(bytes.find(writers::kEndMarker), std::string::npos);
  EXPECT_NE(bytes.substr(0, 3), "\xEF\xBB\xBF");
}

TEST_P(WriterTest, ReplacesALongerFileAndIsRepeatable) {
  const WriterCase& c = GetParam();
  MemEnv env;
  const std::string path = std::string(kFolder) + platform::kSeparator + c.file_name;
  env.files()[path] = std::string(100000, 'x');
  ASSERT_FALSE(c.writer(given_scenario(), env, kFolder));
  std::string first = env.files().at(path);
  EXPECT_EQ(first.find('x' + std::string(20, 'x')), std::string::npos);
  ASSERT_FALSE(c.writer(given_scenario(), env, kFolder));
  EXPECT_EQ(env.files().at(path), first);
}

// The digest that pins the texts, on the standard's own examples: the empty
// message, "abc", and a message whose padding needs a second block.
TEST(Sha256, StandardExamples) {
  EXPECT_EQ(testing_support::sha256_hex(""),
            "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855");
  EXPECT_EQ(testing_support::sha256_hex("abc"),
            "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
  EXPECT_EQ(testing_support::sha256_hex("abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq"),
            "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1");
}

INSTANTIATE_TEST_SUITE_P(AllWriters, WriterTest, ::testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.name); });

std::vector<std::string> written_lines(WriterFn writer, model::FileKind kind) {
  MemEnv env;
  model::Scenario m = given_scenario();
  EXPECT_FALSE(writer(m, env, kFolder));
  return split_crlf(env.files().at(model::file_path(kFolder, kind, m)));
}

TEST(LineSourceText, KeepsInnerAndTrailingSpaces) {
  auto lines = written_lines(writers::write_line_source, model::FileKind::kLineSource);
  EXPECT_EQ(lines.front(), "stazione di Orte a km 114,300");
  EXPECT_EQ(lines[1], "[generale]");
  EXPECT_EQ(lines.back(), "[fine]");
  EXPECT_EQ(lines[9], "ripetizione segnali 4 codici,    0    ,0");
  EXPECT_EQ(lines[70], "cartello_indicatore,  7150,   (SOTTOVIA    )(AUTOSTRADALE)");
}

TEST(TrainSourceText, KeepsTheClockLineAndBareSections) {
  auto lines = written_lines(writers::write_train_source, model::FileKind::kTrainSource);
  EXPECT_EQ(lines.front(), "[generale]");
  EXPECT_EQ(lines[4],
            "orologio,    10" + std::string(14, ' ') + "5" + std::string(13, ' ') + "30 ");
  EXPECT_EQ(lines[27], "[rallentamenti]");
  EXPECT_EQ(lines[28], "[segnali]");
  EXPECT_EQ(lines[47], "[codici]");
  EXPECT_EQ(lines[48], "[fine]");
}

TEST(TrainCardText, LayoutFacts) {
  auto lines = written_lines(writers::write_train_card, model::FileKind::kTrainCard);
  EXPECT_EQ(lines[0], "");
  EXPECT_EQ(lines[1], "");
  EXPECT_EQ(lines[8].size(), 64u);
  EXPECT_EQ(lines[8].substr(57), std::string(7, ' '));
  EXPECT_EQ(lines[2].size(), 82u);
  EXPECT_EQ(lines[12].size(), 82u);
  for (size_t i = 13; i < 48; ++i) {
    EXPECT_EQ(lines[i].size(), 83u) << "line " << i + 1;
    for (size_t col : {2, 8, 14, 25, 31, 60, 77, 83}) EXPECT_EQ(lines[i][col - 1], '|');
  }
  EXPECT_EQ(lines[15], lines[47]);
  for (size_t i = 35; i < 47; ++i) EXPECT_EQ(lines[i], lines[34]);
}

TEST(SlowdownFormText, LayoutFacts) {
  auto lines = written_lines(writers::write_slowdown_form, model::FileKind::kSlowdownForm);
  int empty = 0;
  for (const auto& line : lines) empty += line.empty();
  EXPECT_EQ(empty, 3);
  EXPECT_EQ(lines[0], "");
  EXPECT_EQ(lines[11], lines[38]);
  for (size_t i = 13; i < 38; ++i) EXPECT_EQ(lines[i], lines[12]);
  EXPECT_EQ(lines[42].substr(0, 4), " B -");
  EXPECT_EQ(lines[43].substr(0, 4), " D -");
  EXPECT_EQ(lines[44].substr(0, 4), " C -");
}

TEST(RouteNotesText, WritesEGraveAsOneByteAndKeepsTrailingSpaces) {
  MemEnv env;
  model::Scenario m = given_scenario();
  ASSERT_FALSE(writers::write_route_notes(m, env, kFolder));
  const std::string& bytes =
      env.files().at(model::file_path(kFolder, model::FileKind::kRouteNotes, m));
  auto lines = split_crlf(bytes);
  EXPECT_EQ(lines[6], "   una delle quali \xE8 una vettura pilota ed una motrice E 464.");
  EXPECT_EQ(lines[9].substr(0, 6), " - C'\xE8");
  EXPECT_EQ(lines[5].back(), ' ');
  EXPECT_EQ(lines[12].back(), ' ');
  size_t first19 = 0;
  for (size_t i = 0; i < 19; ++i) first19 += lines[i].size() + 2;
  EXPECT_EQ(first19, 1225u);
  // The credit line: a name, one space, an e-mail address in parentheses, ASCII only.
  const std::string& credit = lines[19];
  EXPECT_EQ(credit.back(), ')');
  size_t open = credit.find(" (");
  ASSERT_NE(open, std::string::npos);
  EXPECT_NE(credit.find('@', open), std::string::npos);
  for (char c : credit) EXPECT_LT(static_cast<unsigned char>(c), 0x80);
  for (char c : bytes) EXPECT_NE(static_cast<unsigned char>(c), 0xC3) << "no UTF-8 sequences";
}

}  // namespace
