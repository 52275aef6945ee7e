#include <gtest/gtest.h>

#include <functional>
#include <initializer_list>
#include <map>
#include <string>

#include "model/file_names.h"
#include "model/status_codes.h"
#include "output/binary_files.h"
#include "output/competition_codes.h"
#include "output/output_step.h"
#include "platform/mem_env.h"
#include "tests/support/given_scenario.h"

namespace {

using model::Variant;
using platform::MemEnv;
using testing_support::le16;
using testing_support::le32;
using testing_support::plain_code;
using testing_support::weighted_code;

constexpr char kFolder[] = "/scen";

std::string bytes(std::initializer_list<int> values) {
  std::string b;
  for (int v : values) b.push_back(static_cast<char>(v));
  return b;
}

// --- Encoding ------------------------------------------------------------------

TEST(LineTableEncoding, ColumnZeroThenColumnOneEachVariantTaggedByteByByte) {
  model::LineTable table;
  table.column[0] = {Variant::integer(-2), Variant::real(1.5), Variant{}};
  table.column[1] = {Variant::integer(1), Variant{}, Variant::real(-2.0)};
  const std::string expected =
      bytes({0x02, 0x00, 0xFE, 0xFF}) +                                      // Integer -2
      bytes({0x05, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0xF8, 0x3F}) +  // Double 1.5
      bytes({0x00, 0x00}) +                                                  // Empty
      bytes({0x02, 0x00, 0x01, 0x00}) +                                      // Integer 1
      bytes({0x00, 0x00}) +                                                  // Empty
      bytes({0x05, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0xC0});   // Double -2
  EXPECT_EQ(output::encode_line_table(table), expected);
}

// The file is written in pieces; a plan of many pieces, with every tag and a
// value straddling each piece boundary somewhere, must give the same bytes.
TEST(LineTableEncoding, WrittenInPiecesGivesTheSameBytes) {
  model::LineTable table;
  table.allocate(30000);
  for (int32_t m = 0; m <= table.last_row(); ++m) {
    for (int col = 0; col < 2; ++col) {
      if (m % 7 == 3) continue;  // Empty
      table.at(m, col) = m % 5 == 0 ? model::Variant::integer(static_cast<int16_t>(m - 15000))
                                    : model::Variant::real(m * 0.1 - col);
    }
  }
  platform::MemEnv env;
  std::unique_ptr<platform::WritableFile> file;
  ASSERT_FALSE(env.new_writable_file("/plan", &file));
  ASSERT_FALSE(output::write_line_table(table, *file));
  ASSERT_FALSE(file->close());
  const std::string whole = output::encode_line_table(table);
  EXPECT_GT(whole.size(), 4u * 65536);
  EXPECT_EQ(env.files().at("/plan"), whole);
}

TEST(ServiceTableEncoding, RecordTakes34BytesPlusItsTextInFieldOrder) {
  std::array<model::ServiceRecord, model::kServiceRecords> table;
  model::ServiceRecord& r = table[3];
  r.kind = 0x11;
  r.start_m = 0x01020304;
  r.end_m = -2;
  r.position_m = 35000;
  r.flag_a = 0x22;
  r.text = "Citt\xC3\xA0\xE2\x82\xAC";  // "Città€": two letters outside ASCII, one byte each
  r.word_a = 0x0102;
  r.word_b = -1;
  r.word_c = 3;
  r.word_d = 4;
  r.word_e = 0x7FFF;
  r.byte_a = 0xA1;
  r.byte_b = 0xB2;
  r.byte_c = 0xC3;
  r.byte_d = 0xD4;
  r.time_s = 37800;
  const std::string record =
      bytes({0x11, 0x04, 0x03, 0x02, 0x01, 0xFE, 0xFF, 0xFF, 0xFF, 0xB8, 0x88, 0x00, 0x00, 0x22}) +
      bytes({0x06, 0x00, 'C', 'i', 't', 't', 0xE0, 0x80}) +
      bytes({0x02, 0x01, 0xFF, 0xFF, 0x03, 0x00, 0x04, 0x00, 0xFF, 0x7F}) +
      bytes({0xA1, 0xB2, 0xC3, 0xD4}) + bytes({0xA8, 0x93, 0x00, 0x00});
  ASSERT_EQ(record.size(), 34u + 6u);
  const std::string expected =
      std::string(3 * 34, '\0') + record + std::string((87 - 4) * 34, '\0');

  std::string encoded;
  ASSERT_FALSE(output::encode_service_table(table, &encoded));
  EXPECT_EQ(encoded, expected);
}

TEST(ServiceTableEncoding, TextWithoutAWindows1252CharacterIsAnError) {
  std::array<model::ServiceRecord, model::kServiceRecords> table;
  table[7].text =
      "\xC5\x81\xC3\xB3"
      "d\xC5\xBA";  // "Łódź": Ł and ź have no Windows-1252 byte
  std::string encoded;
  platform::Status status = output::encode_service_table(table, &encoded);
  ASSERT_TRUE(status);
  EXPECT_NE(status->message().find("service record 7"), std::string::npos) << status->message();
}

TEST(CellTrackEncoding, FifteenLittleEndianBytesPerCellInFieldOrder) {
  std::vector<model::Cell> cells(2);
  model::Cell& c = cells[1];
  c.kind = 1;
  c.value_a = 0x1234;
  c.value_b = -2;
  c.value_c = 258;
  c.value_d = 0x7FFF;
  c.signal_time = 160;
  c.repeat_code = 0x41;
  c.tunnel_type = 2;
  c.speed_limit = 28;
  c.gradient = 97;
  c.adhesion = 100;
  const std::string expected =
      std::string(15, '\0') + bytes({0x01, 0x34, 0x12, 0xFE, 0xFF, 0x02, 0x01, 0xFF, 0x7F, 0xA0,
                                     0x41, 0x02, 0x1C, 0x61, 0x64});
  EXPECT_EQ(output::encode_cell_track(cells), expected);
}

// --- Competition codes ------------------------------------------------------------

struct CodeCase {
  const char* train;
  const char* scenario;     // UTF-8
  std::string_view window;  // the expected window, written out by hand
  friend void PrintTo(const CodeCase& c, std::ostream* os) {
    *os << '"' << c.train << "\" + \"" << c.scenario << '"';
  }
};

class CompetitionCodes : public ::testing::TestWithParam<CodeCase> {};

TEST_P(CompetitionCodes, SumOverTheWindowOfTrainNameAndSalt) {
  const CodeCase& c = GetParam();
  model::Scenario m;
  m.service_table[model::kTrainRecord].text = c.train;
  m.service_table[model::kScenarioRecord].text = c.scenario;
  std::string window;
  ASSERT_FALSE(output::code_window(m, &window));
  EXPECT_EQ(window, c.window);
  EXPECT_EQ(output::plain_competition_code(window), plain_code(c.window));
  EXPECT_EQ(output::weighted_competition_code(window), weighted_code(c.window));
}

INSTANTIATE_TEST_SUITE_P(
    Windows, CompetitionCodes,
    ::testing::Values(
        // The given scenario: 28 characters, the salt does not enter.
        CodeCase{"3291", "Fiumicino Aeroporto_Roma", "3291fiumicino aeroporto_r"},
        // Upper case gives the codes of lower case, also for Windows-1252 letters.
        CodeCase{"3291", "FIUMICINO AEROPORTO_ROMA", "3291fiumicino aeroporto_r"},
        CodeCase{"3291", "fiumicino aeroporto_roma", "3291fiumicino aeroporto_r"},
        CodeCase{"3291", "\xC3\x80\xC3\x89\xC5\xA0 \xC3\xA0\xC3\xA9\xC5\xA1",  // "ÀÉŠ àéš"
                 "3291\xE0\xE9\x9A \xE0\xE9\x9Appqqrrssttuuvv"},
        // Exactly 25 characters: still no salt, the same codes as the given name.
        CodeCase{"3291", "Fiumicino Aeroporto_R", "3291fiumicino aeroporto_r"},
        // 24 characters: the salt's first letter enters.
        CodeCase{"3291", "Fiumicino Aeroporto_", "3291fiumicino aeroporto_p"},
        // A short name: most of the window is salt.
        CodeCase{"12", "Ab", "12abppqqrrssttuuvvzzaabbc"},
        CodeCase{"", "", "ppqqrrssttuuvvzzaabbccdde"}),
    [](const auto& info) { return "case" + std::to_string(info.index); });

TEST(CompetitionCodesOfAModel, TextWithoutAWindows1252CharacterIsAnError) {
  model::Scenario m;
  m.service_table[model::kTrainRecord].text = "3291";
  m.service_table[model::kScenarioRecord].text =
      "\xC5\x81\xC3\xB3"
      "d\xC5\xBA";
  std::string window;
  EXPECT_TRUE(output::code_window(m, &window));
}

// --- The output step ---------------------------------------------------------------

// A small model as the parsers could leave it: the given names, a plan of 21
// metres, 10 cells with a few values, every service record empty but 85 and 86.
model::Scenario hand_built_model() {
  model::Scenario m;
  m.scenario_name = "Fiumicino Aeroporto_Roma";
  m.train_number = "3291";
  m.service_table[model::kScenarioRecord].text = m.scenario_name;
  m.service_table[model::kTrainRecord].text = m.train_number;
  m.line_span = 20;
  m.cell_last = 9;
  m.cell_track.assign(10, model::Cell{});
  m.line_table.allocate(m.line_span);
  m.line_table.at(0, 0) = Variant::integer(0);
  m.line_table.at(1, 0) = Variant::integer(0);
  m.line_table.at(0, 1) = Variant::integer(0);
  m.line_table.at(1, 1) = Variant::integer(1);
  for (int32_t row = 2; row <= m.line_span - 2; ++row) {
    m.line_table.at(row, 0) = Variant::real(-0.001 * row);
    m.line_table.at(row, 1) = Variant::real(row);
  }
  m.cell(3).kind = model::kind::kSignal;
  m.cell(3).value_a = 42;
  for (model::Cell& c : m.cell_track) c.gradient = 100;
  return m;
}

std::string path_of(model::FileKind kind) {
  model::Scenario m = hand_built_model();
  return model::file_path(kFolder, kind, m);
}

const model::FileKind kBinaries[] = {model::FileKind::kLineGeometry, model::FileKind::kService,
                                     model::FileKind::kCells};

// The files of an earlier run, longer than the new ones.
std::map<std::string, std::string> old_files() {
  std::map<std::string, std::string> files;
  for (model::FileKind kind : kBinaries)
    files[path_of(kind)] = "old " + path_of(kind) + std::string(100000, 'x');
  return files;
}

// The finished model, written: what a compile job does with a model that
// passed the reserved-slot checks.
platform::Status finish_and_write(model::Scenario& m, MemEnv& env) {
  EXPECT_EQ(output::finish_model(m), 0);
  bool in_place = false;
  platform::Status failure = output::write_binary_files(m, env, kFolder, &in_place);
  EXPECT_EQ(in_place, !failure);
  return failure;
}

TEST(OutputStep, StampsTheFixedValuesAndCodesAndWritesTheThreeFiles) {
  MemEnv env;
  model::Scenario m = hand_built_model();
  platform::Status failure = finish_and_write(m, env);
  ASSERT_FALSE(failure) << failure->message();

  EXPECT_EQ(m.service_table[85].word_a, 610);
  EXPECT_EQ(m.service_table[85].time_s, testing_support::kGivenWeightedCode);
  EXPECT_EQ(m.cell(1).value_a, 5121);
  EXPECT_EQ(m.cell(1).value_b, testing_support::kGivenPlainCode);

  ASSERT_EQ(env.files().size(), 3u);
  const std::string& service = env.files().at(path_of(model::FileKind::kService));
  // Every record empty but 85 and 86, which hold the 24-character name and the
  // 4-character train number.
  ASSERT_EQ(service.size(), 2986u);
  const size_t r85 = 85 * 34;
  EXPECT_EQ(service.substr(r85 + 16, 24), "Fiumicino Aeroporto_Roma");
  EXPECT_EQ(le16(service, r85 + 40), 610);
  EXPECT_EQ(le32(service, r85 + 54), testing_support::kGivenWeightedCode);
  EXPECT_EQ(service.substr(r85 + 58 + 16, 4), "3291");

  const std::string& cells = env.files().at(path_of(model::FileKind::kCells));
  ASSERT_EQ(cells.size(), 10u * 15u);
  EXPECT_EQ(le16(cells, 15 + 1), 5121);
  EXPECT_EQ(le16(cells, 15 + 3), testing_support::kGivenPlainCode);
  EXPECT_EQ(cells[3 * 15], 1);

  // Metres 0 and 1 as Integers, 2 to 18 as Doubles, 19 and 20 Empty.
  const std::string& geometry = env.files().at(path_of(model::FileKind::kLineGeometry));
  EXPECT_EQ(geometry.size(), 2u * (2 * 4 + 17 * 10 + 2 * 2));
}

struct SlotCase {
  const char* name;
  std::function<void(model::Scenario&)> fill;
  int32_t code;
  friend void PrintTo(const SlotCase& c, std::ostream* os) { *os << c.name; }
};

class ReservedSlots : public ::testing::TestWithParam<SlotCase> {};

// (That the job then writes nothing is the installer's own test.)
TEST_P(ReservedSlots, AUsedSlotIsRefusedWithItsCode) {
  model::Scenario m = hand_built_model();
  GetParam().fill(m);
  EXPECT_EQ(output::finish_model(m), GetParam().code);
}

INSTANTIATE_TEST_SUITE_P(
    Checks, ReservedSlots,
    ::testing::Values(SlotCase{"record85_word_a",
                               [](model::Scenario& m) { m.service_table[85].word_a = 1; },
                               model::status::kReservedSlotA},
                      SlotCase{"cell1_value_a", [](model::Scenario& m) { m.cell(1).value_a = -1; },
                               model::status::kReservedSlotA},
                      SlotCase{"record85_time_s",
                               [](model::Scenario& m) { m.service_table[85].time_s = 5; },
                               model::status::kReservedSlotB},
                      SlotCase{"cell1_value_b", [](model::Scenario& m) { m.cell(1).value_b = 7; },
                               model::status::kReservedSlotB},
                      SlotCase{"both_slots_first_check_wins",
                               [](model::Scenario& m) {
                                 m.cell(1).value_a = 2828;
                                 m.cell(1).value_b = 3030;
                               },
                               model::status::kReservedSlotA}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(OutputStep, WithoutLineFileLeavesTheGeometryFileAlone) {
  for (bool old_geometry : {false, true}) {
    SCOPED_TRACE(old_geometry ? "old geometry file" : "no geometry file");
    MemEnv env;
    const std::string geometry = path_of(model::FileKind::kLineGeometry);
    if (old_geometry) env.files()[geometry] = "geometry of an earlier run";
    model::Scenario m = hand_built_model();
    m.line_table = model::LineTable{};  // no plan was built
    ASSERT_FALSE(finish_and_write(m, env));
    EXPECT_EQ(env.files().count(geometry), old_geometry ? 1u : 0u);
    if (old_geometry) {
      EXPECT_EQ(env.files().at(geometry), "geometry of an earlier run");
    }
    EXPECT_EQ(env.files().count(path_of(model::FileKind::kService)), 1u);
    EXPECT_EQ(env.files().count(path_of(model::FileKind::kCells)), 1u);
    EXPECT_EQ(env.files().size(), old_geometry ? 3u : 2u);
  }
}

TEST(OutputStep, LongerFilesOfAnEarlierRunHoldOnlyTheNewContent) {
  MemEnv fresh;
  model::Scenario m = hand_built_model();
  ASSERT_FALSE(finish_and_write(m, fresh));

  MemEnv env;
  env.files() = old_files();
  model::Scenario again = hand_built_model();
  ASSERT_FALSE(finish_and_write(again, env));
  EXPECT_EQ(env.files(), fresh.files());
  EXPECT_EQ(env.files().at(path_of(model::FileKind::kCells)).size(),
            static_cast<size_t>(again.cell_last + 1) * 15);
}

}  // namespace
