#include "payload/payload.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>

#include "tests/support/sha256.h"

namespace {

using model::FileKind;
using payload::Reading;
using Found = payload::Reading::Found;

// A stand-in for the program the payload is appended to.
constexpr char kProgramHead[] =
    "\x7f"
    "ELF program bytes\0\x89";
const std::string kProgram =
    std::string(kProgramHead, sizeof kProgramHead - 1) + std::string(300, 'p');

payload::Contents small_contents() {
  return {"Bracciano_Lago",
          "2207",
          {{FileKind::kLineSource, "[LINEA]\r\nline\r\n"},
           {FileKind::kTrainSource, "train \x80\r\n"},
           {FileKind::kSlowdownForm, "form"}}};
}

void expect_same(const payload::Contents& a, const payload::Contents& b) {
  EXPECT_EQ(a.scenario_name, b.scenario_name);
  EXPECT_EQ(a.train_number, b.train_number);
  ASSERT_EQ(a.files.size(), b.files.size());
  for (size_t i = 0; i < a.files.size(); ++i) {
    EXPECT_EQ(a.files[i].kind, b.files[i].kind);
    EXPECT_EQ(a.files[i].bytes, b.files[i].bytes);
  }
}

TEST(Payload, Sha256OfAKnownText) {
  EXPECT_EQ(testing_support::sha256_hex("abc"),
            "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
}

TEST(Payload, ReadsBackWhatWasWrittenAfterAProgram) {
  const std::string bytes = payload::encode(small_contents());
  const Reading reading = payload::read(kProgram + bytes);
  ASSERT_EQ(reading.found, Found::kWhole) << reading.problem;
  EXPECT_EQ(reading.begin, kProgram.size());
  EXPECT_EQ(reading.end, kProgram.size() + bytes.size());
  EXPECT_TRUE(reading.checksum_holds);
  EXPECT_EQ(reading.version, 1u);
  expect_same(reading.contents, small_contents());
}

TEST(Payload, EveryDocumentIsOptional) {
  payload::Contents contents = small_contents();
  contents.files.resize(2);
  const Reading reading = payload::read(kProgram + payload::encode(contents));
  ASSERT_EQ(reading.found, Found::kWhole) << reading.problem;
  expect_same(reading.contents, contents);
}

TEST(Payload, AProgramWithoutOneHasNone) {
  EXPECT_EQ(payload::read(kProgram).found, Found::kNone);
  EXPECT_EQ(payload::read("").found, Found::kNone);
}

TEST(Payload, IsFoundWithASignatureAppended) {
  const std::string signature(8192, '\x5a');
  const Reading reading = payload::read(kProgram + payload::encode(small_contents()) + signature);
  ASSERT_EQ(reading.found, Found::kWhole) << reading.problem;
  expect_same(reading.contents, small_contents());
}

TEST(Payload, TheSameContentsGiveTheSameBytes) {
  EXPECT_EQ(payload::encode(small_contents()), payload::encode(small_contents()));
}

// Whatever byte is flipped, in the markers, the header, a piece or the
// checksum, the payload is refused: never installed, never mistaken for none.
TEST(Payload, AnyFlippedByteIsDamage) {
  const std::string bytes = payload::encode(small_contents());
  for (size_t at = 0; at < bytes.size(); ++at) {
    for (unsigned char flip : {0x01, 0x80, 0xFF}) {
      std::string file = kProgram + bytes;
      file[kProgram.size() + at] ^= static_cast<char>(flip);
      const Reading reading = payload::read(file + std::string(100, 's'));
      EXPECT_EQ(reading.found, Found::kDamaged) << "byte " << at << " flipped by " << int{flip};
    }
  }
}

// A file cut short anywhere in its payload is refused; only a cut in the
// first bytes of the start marker leaves a program that cannot be told from
// one without a payload.
TEST(Payload, ACutFileIsDamage) {
  const std::string file = kProgram + payload::encode(small_contents());
  for (size_t size = kProgram.size() + 4; size < file.size(); ++size)
    EXPECT_EQ(payload::read(std::string_view(file).substr(0, size)).found, Found::kDamaged)
        << "cut at " << size;
  for (size_t size = kProgram.size(); size < kProgram.size() + 4; ++size)
    EXPECT_EQ(payload::read(std::string_view(file).substr(0, size)).found, Found::kNone);
}

TEST(Payload, AnotherFormatVersionIsRefusedWhateverItsChecksum) {
  std::string bytes = payload::encode(small_contents());
  bytes[16] = 2;
  // The checksum made over the changed header: only the version is wrong.
  const size_t checksum_at = bytes.size() - 48;
  bytes.replace(checksum_at, 32, payload::sha256(bytes.substr(0, checksum_at)));
  const Reading reading = payload::read(kProgram + bytes);
  EXPECT_EQ(reading.found, Found::kDamaged);
  EXPECT_EQ(reading.version, 2u);
  EXPECT_EQ(reading.problem, "the payload has format version 2, this program reads version 1");
}

TEST(Payload, AHandMadePayloadWithABadNameIsRefused) {
  payload::Contents contents = small_contents();
  contents.scenario_name = "../Bracciano";
  const Reading reading = payload::read(kProgram + payload::encode(contents));
  EXPECT_EQ(reading.found, Found::kDamaged);
  EXPECT_TRUE(reading.checksum_holds);
  EXPECT_EQ(
      reading.problem,
      "the payload is not a scenario to install: the scenario name '../Bracciano' holds \"..\"");
}

TEST(Payload, AChecksumThatFailsStillListsThePieces) {
  std::string file = kProgram + payload::encode(small_contents());
  file[file.size() - 40] ^= 1;  // in the checksum
  const Reading reading = payload::read(file);
  EXPECT_EQ(reading.found, Found::kDamaged);
  EXPECT_FALSE(reading.checksum_holds);
  EXPECT_TRUE(reading.pieces_read);
  expect_same(reading.contents, small_contents());
}

TEST(Payload, TheMarkersAreNotInTheReadersConstants) {
  // The markers are what a payload holds; what the reader keeps is their
  // inverse, which never matches.
  EXPECT_EQ(payload::start_marker().size(), 16u);
  EXPECT_NE(payload::start_marker(), payload::end_marker());
  EXPECT_EQ(payload::start_marker()[0], '\x89');
}

TEST(Payload, NamesThatCannotBeFileNamesAreRefused) {
  struct Case {
    std::string name;
    std::string problem;
  };
  const Case cases[] = {
      {"Roma Termini", ""},
      {"Città_è", ""},
      {"3291", ""},
      {"", "an empty name"},
      {"a/b", "'a/b' holds a folder separator"},
      {"a\\b", "'a\\b' holds a folder separator"},
      {"..", "'..' holds \"..\""},
      {"a..b", "'a..b' holds \"..\""},
      {"a\tb", "'a\tb' holds a control character"},
      {std::string("a\0b", 3), std::string("'a\0b' holds a control character", 31)},
      {"a\x7f", "'a\x7f' holds a control character"},
      {"a:b", "'a:b' holds ':', which Windows forbids in file names"},
      {"a*", "'a*' holds '*', which Windows forbids in file names"},
      {"a?", "'a?' holds '?', which Windows forbids in file names"},
      {"a\"", "'a\"' holds '\"', which Windows forbids in file names"},
      {"a<", "'a<' holds '<', which Windows forbids in file names"},
      {"a>", "'a>' holds '>', which Windows forbids in file names"},
      {"a|", "'a|' holds '|', which Windows forbids in file names"},
      {"日本", "'日本' has a character that Windows-1252 cannot represent"},
  };
  for (const Case& c : cases) EXPECT_EQ(payload::name_problem(c.name), c.problem) << c.name;
}

TEST(Payload, ContentsMustHoldBothSourcesOnceInOrder) {
  payload::Contents contents = small_contents();
  EXPECT_EQ(payload::contents_problem(contents), "");
  contents.files.erase(contents.files.begin());
  EXPECT_EQ(payload::contents_problem(contents), "the line source or the train source is missing");
  contents = small_contents();
  contents.files.push_back(contents.files[2]);
  EXPECT_EQ(payload::contents_problem(contents), "files repeated or out of order");
  contents = small_contents();
  contents.files[2].kind = FileKind::kCells;
  EXPECT_EQ(payload::contents_problem(contents), "a file that is not a source or a document");
  contents = small_contents();
  contents.train_number = "3/2";
  EXPECT_EQ(payload::contents_problem(contents), "the train number '3/2' holds a folder separator");
}

}  // namespace

namespace {

std::string read_seed(const std::string& name) {
  std::ifstream in(std::string(FUZZ_INPUTS_DIR) + "/corpus/payload/" + name, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// The fuzz target's seeds were made by a writer of their own from the
// layout in docs/payload.md (after the target's one mode byte).
TEST(Payload, ReadsThePayloadsMadeFromTheWrittenLayout) {
  const std::string whole = read_seed("whole");
  ASSERT_FALSE(whole.empty());
  const Reading reading = payload::read(std::string_view(whole).substr(1));
  ASSERT_EQ(reading.found, Found::kWhole) << reading.problem;
  EXPECT_EQ(reading.contents.scenario_name, "Bracciano_Lago");
  EXPECT_EQ(reading.contents.train_number, "2207");
  ASSERT_EQ(reading.contents.files.size(), 3u);
  EXPECT_EQ(reading.contents.files[2].kind, FileKind::kSlowdownForm);
  EXPECT_EQ(payload::read(std::string_view(read_seed("version_2")).substr(1)).problem,
            "the payload has format version 2, this program reads version 1");
}

}  // namespace
