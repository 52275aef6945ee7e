// The pieces of the platform that know the operating system, on the real
// machine: Windows-1252 both ways, files on the real disk in a folder with a
// Unicode name, the program folder, and the choice of user interface. The same
// tests run in the Linux build and, under Wine, in the Windows build.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <set>
#include <sstream>
#include <string>

#include "platform/cp1252.h"
#include "platform/cp1252_bytes.h"
#include "platform/env.h"
#include "platform/program_path.h"
#include "platform/ui.h"
#include "platform/utf8.h"

#ifndef _WIN32
#include <sys/stat.h>
#endif

namespace {

namespace fs = std::filesystem;

std::string utf8_of(const fs::path& path) {
  std::u8string text = path.u8string();
  return std::string(text.begin(), text.end());
}

fs::path path_of(const std::string& utf8) {
  return fs::path(std::u8string(utf8.begin(), utf8.end()));
}

// ---------------------------------------------------------------- Windows-1252

// Whole UTF-8: what a JSON reader, an XML reader and a browser accept.
TEST(Utf8, TellsWellFormedTextFromBytesThatAreNot) {
  struct Case {
    const char* bytes;
    bool valid;
    const char* shown;  // with U+FFFD for each byte that belongs to no character
  };
  const Case cases[] = {
      {"", true, ""},
      {"a\xC3\xA0z", true, "a\xC3\xA0z"},                               // à
      {"\xE2\x82\xAC", true, "\xE2\x82\xAC"},                           // €
      {"\xF0\x9F\x9A\x86", true, "\xF0\x9F\x9A\x86"},                   // a train, 4 bytes
      {"CITT\xC3", false, "CITT\xEF\xBF\xBD"},                          // cut inside a letter
      {"\xA0", false, "\xEF\xBF\xBD"},                                  // a lone continuation
      {"\xC0\xAF", false, "\xEF\xBF\xBD\xEF\xBF\xBD"},                  // overlong '/'
      {"\xE0\x9F\xBF", false, "\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD"},  // overlong, 3 bytes
      {"\xED\xA0\x80", false, "\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD"},  // a surrogate
      {"\xF4\x90\x80\x80", false,
       "\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD"},  // above U+10FFFF
      {"\xE2\x82z", false, "\xEF\xBF\xBD\xEF\xBF\xBDz"},     // cut short
  };
  for (const Case& c : cases) {
    EXPECT_EQ(platform::is_utf8(c.bytes), c.valid) << c.bytes;
    EXPECT_EQ(platform::valid_utf8(c.bytes), c.shown) << c.bytes;
  }
}

TEST(Utf8, ACutFallsBetweenCharacters) {
  const std::string text = "a\xC3\xA0\xE2\x82\xAC";  // "a", "à", "€"
  const size_t cuts[] = {0, 1, 1, 3, 3, 3, 6, 6};
  for (size_t at = 0; at < std::size(cuts); ++at)
    EXPECT_EQ(platform::utf8_cut(text, at), cuts[at]) << at;
}

TEST(Cp1252, EveryDefinedByteSurvivesTheRoundTrip) {
  std::string all;
  for (int c = 0; c < 256; ++c)
    if (c != 0x81 && c != 0x8D && c != 0x8F && c != 0x90 && c != 0x9D) all += static_cast<char>(c);
  std::string utf8, back;
  ASSERT_EQ(platform::from_cp1252(all, &utf8), std::nullopt);
  EXPECT_EQ(utf8.substr(0, 128), all.substr(0, 128));  // ASCII, the NUL included, is itself
  ASSERT_EQ(platform::to_cp1252(utf8, &back), std::nullopt);
  EXPECT_EQ(back, all);
}

TEST(Cp1252, KnownCharactersBothWays) {
  struct Case {
    std::string byte, utf8;
  } cases[] = {
      {"\x80", "\u20AC"},  // euro sign
      {"\x8A", "\u0160"},  // S with caron
      {"\x99", "\u2122"},  // trade mark
      {"\x9F", "\u0178"},  // Y with diaeresis
      {"\xA0", "\u00A0"},  // no-break space
      {"\xE8", "\u00E8"},  // e with grave
      {"\xFF", "\u00FF"},  // y with diaeresis
      {std::string("a\0b\r\n", 5), std::string("a\0b\r\n", 5)},
      {"", ""},
  };
  for (const Case& c : cases) {
    std::string utf8, bytes;
    EXPECT_EQ(platform::from_cp1252(c.byte, &utf8), std::nullopt) << c.utf8;
    EXPECT_EQ(utf8, c.utf8);
    EXPECT_EQ(platform::to_cp1252(c.utf8, &bytes), std::nullopt) << c.utf8;
    EXPECT_EQ(bytes, c.byte);
  }
}

TEST(Cp1252, TheFiveUndefinedBytesAreRefusedBothWays) {
  const char* const kUndefined[][2] = {{"ab\x81", "ab\u0081"},
                                       {"ab\x8D", "ab\u008D"},
                                       {"ab\x8F", "ab\u008F"},
                                       {"ab\x90", "ab\u0090"},
                                       {"ab\x9D", "ab\u009D"}};
  for (const auto& undefined : kUndefined) {
    std::string out;
    platform::Status from = platform::from_cp1252(undefined[0], &out);
    ASSERT_NE(from, std::nullopt) << undefined[1];
    EXPECT_EQ(from->operation, "convert from Windows-1252");
    // The project's own reason, not the system converter's.
    EXPECT_EQ(from->reason, "undefined Windows-1252 byte at byte 2");
    platform::Status to = platform::to_cp1252(undefined[1], &out);
    ASSERT_NE(to, std::nullopt) << undefined[1];
    EXPECT_EQ(to->operation, "convert to Windows-1252");
  }
}

// The project's table of undefined bytes, over every byte: the system
// converter may refuse some of them on its own and hide a change in it.
TEST(Cp1252, TheTableOfUndefinedBytesHoldsExactlyTheFive) {
  for (int c = 0; c < 256; ++c) {
    const bool undefined = c == 0x81 || c == 0x8D || c == 0x8F || c == 0x90 || c == 0x9D;
    EXPECT_EQ(platform::cp1252_undefined(static_cast<unsigned char>(c)), undefined) << "byte " << c;
    std::string out;
    platform::Status from = platform::from_cp1252(std::string(1, static_cast<char>(c)), &out);
    if (undefined) {
      ASSERT_NE(from, std::nullopt) << "byte " << c;
      EXPECT_EQ(from->reason, "undefined Windows-1252 byte at byte 0") << "byte " << c;
    } else {
      EXPECT_EQ(from, std::nullopt) << "byte " << c;
    }
  }
}

TEST(Cp1252, TextWithoutAWindows1252ByteIsRefusedNotReplaced) {
  const char* const kRefused[] = {
      "x\u03A9",      // Greek capital omega
      "x\u0100",      // A with macron: a "best fit" would quietly write "A"
      "x\u2212",      // minus sign: a "best fit" would write "-"
      "x\U0001F600",  // outside the basic plane
      "x\xFF",        // not UTF-8 at all
      "x\xC3",        // cut in the middle of a character
  };
  for (const char* text : kRefused) {
    std::string bytes;
    platform::Status status = platform::to_cp1252(text, &bytes);
    ASSERT_NE(status, std::nullopt) << text;
    EXPECT_EQ(status->operation, "convert to Windows-1252");
    EXPECT_NE(status->reason.find("at byte 1"), std::string::npos) << status->reason;
  }
}

// ------------------------------------------------------------ files on a disk

// A fresh folder whose name needs more than one code page.
class RealDisk : public ::testing::Test {
 protected:
  void SetUp() override {
    std::random_device random;
    std::string name = "platform_test_\u00E8\u03A9\u65E5\u672C_" + std::to_string(random());
    folder_path_ = fs::temp_directory_path() / path_of(name);
    ASSERT_TRUE(fs::create_directory(folder_path_));
    folder_ = utf8_of(folder_path_);
  }
  void TearDown() override {
    std::error_code ignored;
    fs::remove_all(folder_path_, ignored);
  }

  std::string in_folder(const std::string& name) const {
    return folder_ + platform::kSeparator + name;
  }
  std::set<std::string> listing() const {
    std::set<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder_path_))
      names.insert(utf8_of(entry.path().filename()));
    return names;
  }
  // Read without the Env under test.
  std::string bytes_of(const std::string& name) const {
    std::ifstream in(path_of(in_folder(name)), std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
  }

  platform::Env& env_ = platform::default_env();
  fs::path folder_path_;
  std::string folder_;
};

// Bytes that a text-mode file would change on Windows: line ends, Ctrl-Z, NUL.
const std::string kAwkwardBytes("one\r\ntwo\nthree\x1A\0\xFF\x80 end", 21);

TEST_F(RealDisk, ReplaceFileWritesExactlyTheBytesAndLeavesNoTemporaryFile) {
  const std::string name = "Fiumicino \u00E8 \u03A9.dat";
  ASSERT_EQ(platform::replace_file(env_, in_folder(name), kAwkwardBytes), std::nullopt);
  EXPECT_EQ(bytes_of(name), kAwkwardBytes);
  std::string read;
  ASSERT_EQ(env_.read_file(in_folder(name), &read), std::nullopt);
  EXPECT_EQ(read, kAwkwardBytes);
  EXPECT_EQ(listing(), std::set<std::string>{name});
}

TEST_F(RealDisk, ReplacingALongerFileLeavesOnlyTheNewContent) {
  const std::string name = "cells.dat";
  ASSERT_EQ(platform::replace_file(env_, in_folder(name), std::string(5000, 'x')), std::nullopt);
  ASSERT_EQ(platform::replace_file(env_, in_folder(name), "short"), std::nullopt);
  EXPECT_EQ(bytes_of(name), "short");
  EXPECT_EQ(listing(), std::set<std::string>{name});
}

TEST_F(RealDisk, AReplacementThatCannotBePutInPlaceLeavesNothingBehind) {
  // A folder of the target's name cannot be replaced by a file.
  fs::create_directory(folder_path_ / "taken");
  platform::Status status = platform::replace_file(env_, in_folder("taken"), "content");
  ASSERT_NE(status, std::nullopt);
  EXPECT_EQ(status->operation, "replace");
  EXPECT_EQ(status->path, in_folder("taken"));
  EXPECT_FALSE(status->reason.empty());
  EXPECT_TRUE(fs::is_directory(folder_path_ / "taken"));
  EXPECT_EQ(listing(), std::set<std::string>{"taken"});
}

TEST_F(RealDisk, AFileInAMissingFolderIsAnErrorNamingTheFile) {
  const std::string path = in_folder(std::string("missing") + platform::kSeparator + "x.txt");
  platform::Status status = platform::replace_file(env_, path, "content");
  ASSERT_NE(status, std::nullopt);
  EXPECT_EQ(status->operation, "create");
  // The file that could not be created: the temporary one beside the target.
  EXPECT_EQ(platform::target_of_temporary(status->path), path) << status->path;
  EXPECT_TRUE(listing().empty());
}

TEST_F(RealDisk, ATemporaryFileIsNeverWrittenThroughWhatStandsUnderItsName) {
  // The next names are predictable: learn the current one, then plant a
  // link, a hard link and a folder under the names that follow it.
  std::string temp;
  std::unique_ptr<platform::WritableFile> file;
  const std::string target = in_folder("Fiumicino Aeroporto_Roma_3291.dat");
  ASSERT_EQ(env_.new_temporary_file(target, &temp, &file), std::nullopt);
  ASSERT_EQ(file->close(), std::nullopt);
  file.reset();
  ASSERT_EQ(env_.delete_file(temp), std::nullopt);
  const std::string stem = temp.substr(0, temp.rfind('-') + 1);
  const long next = std::stol(temp.substr(stem.size())) + 1;
  const auto name = [&](long attempt) { return stem + std::to_string(attempt) + ".tmp~"; };

  std::ofstream(path_of(in_folder("victim"))) << "keep me";
  std::error_code error;
  fs::create_symlink(path_of(in_folder("victim")), path_of(name(next)), error);
  const bool links = !error;  // Windows may refuse links without privileges
  if (links) {
    fs::create_symlink(path_of(in_folder("nowhere")), path_of(name(next + 1)));
    fs::create_hard_link(path_of(in_folder("victim")), path_of(name(next + 2)));
  }
  fs::create_directory(path_of(name(next + 3)));
  const std::set<std::string> planted = listing();

  ASSERT_EQ(platform::replace_file(env_, target, "new"), std::nullopt);
  EXPECT_EQ(bytes_of("victim"), "keep me");
  EXPECT_FALSE(fs::exists(path_of(in_folder("nowhere"))));
  EXPECT_TRUE(fs::is_regular_file(fs::symlink_status(path_of(target))));
  EXPECT_EQ(bytes_of("Fiumicino Aeroporto_Roma_3291.dat"), "new");
  std::set<std::string> expected = planted;
  expected.insert("Fiumicino Aeroporto_Roma_3291.dat");
  EXPECT_EQ(listing(), expected);
  (void)links;
}

TEST_F(RealDisk, AReplacedLinkBecomesAFileAndItsTargetStays) {
  std::ofstream(path_of(in_folder("victim"))) << "keep me";
  std::error_code error;
  fs::create_symlink(path_of(in_folder("victim")), path_of(in_folder("picture.svg")), error);
  if (error) GTEST_SKIP() << "no symbolic links here";
  ASSERT_EQ(platform::replace_file(env_, in_folder("picture.svg"), "<svg/>"), std::nullopt);
  EXPECT_EQ(bytes_of("victim"), "keep me");
  EXPECT_TRUE(fs::is_regular_file(fs::symlink_status(path_of(in_folder("picture.svg")))));
  EXPECT_EQ(bytes_of("picture.svg"), "<svg/>");
}

TEST_F(RealDisk, ReadRegularFileTakesOnlyRegularFilesUpToTheLimit) {
  std::ofstream(path_of(in_folder("ten")), std::ios::binary) << "0123456789";
  fs::create_directory(folder_path_ / "sub");
  std::string bytes = "stale";
  EXPECT_EQ(env_.read_regular_file(in_folder("ten"), 10, &bytes), std::nullopt);
  EXPECT_EQ(bytes, "0123456789");

  struct Case {
    std::string path;
    size_t limit;
    const char* reason;  // a part of it
  } cases[] = {
      {in_folder("ten"), 9, "10 bytes, more than the 9 allowed"},
      {in_folder("sub"), 100, ""},
      {in_folder("missing"), 100, ""},
#ifndef _WIN32
      {"/dev/zero", 100, "not a regular file"},
#endif
  };
  for (const Case& c : cases) {
    bytes = "stale";
    platform::Status status = env_.read_regular_file(c.path, c.limit, &bytes);
    ASSERT_NE(status, std::nullopt) << c.path;
    EXPECT_EQ(status->path, c.path);
    EXPECT_NE(status->reason.find(c.reason), std::string::npos) << status->reason;
    EXPECT_EQ(bytes, "");
  }
}

#ifndef _WIN32
TEST_F(RealDisk, AReplacedFileGetsTheModeOfANewFile) {
  const mode_t mask = ::umask(027);
  ASSERT_EQ(platform::replace_file(env_, in_folder("a.txt"), "a"), std::nullopt);
  ::umask(mask);
  struct stat info;
  ASSERT_EQ(::stat(path_of(in_folder("a.txt")).c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0640u);
}

TEST_F(RealDisk, ReadRegularFileRefusesAPipeWithoutWaitingForAWriter) {
  const std::string fifo = in_folder("pipe.dat");
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  std::string bytes;
  platform::Status status = env_.read_regular_file(fifo, 100, &bytes);
  ASSERT_NE(status, std::nullopt);
  EXPECT_EQ(status->reason, "not a regular file");
}
#endif

TEST_F(RealDisk, ReplaceFilesPutsEveryFileInPlaceAndLeavesNoTemporaryFile) {
  std::ofstream(path_of(in_folder("a"))) << "old a";
  std::ofstream(path_of(in_folder("b"))) << "old b";
  const auto content = [](std::string bytes) {
    return [bytes](platform::WritableFile& file) { return file.append(bytes); };
  };
  ASSERT_EQ(platform::replace_files(env_, folder_,
                                    {{in_folder("a"), content("new a")},
                                     {in_folder("b"), content("new b")},
                                     {in_folder("c"), content("new c")}}),
            std::nullopt);
  EXPECT_EQ(bytes_of("a"), "new a");
  EXPECT_EQ(bytes_of("b"), "new b");
  EXPECT_EQ(bytes_of("c"), "new c");
  EXPECT_EQ(listing(), (std::set<std::string>{"a", "b", "c"}));
}

TEST_F(RealDisk, ExistsReadAndDeleteSeeOnlyFiles) {
  fs::create_directory(folder_path_ / "sub");
  ASSERT_EQ(platform::replace_file(env_, in_folder("a.txt"), "a"), std::nullopt);
  EXPECT_TRUE(env_.file_exists(in_folder("a.txt")));
  EXPECT_FALSE(env_.file_exists(in_folder("sub")));
  EXPECT_FALSE(env_.file_exists(in_folder("b.txt")));

  std::string contents = "left over";
  platform::Status read = env_.read_file(in_folder("b.txt"), &contents);
  ASSERT_NE(read, std::nullopt);
  EXPECT_EQ(read->operation, "open");
  EXPECT_EQ(read->path, in_folder("b.txt"));

  EXPECT_EQ(env_.delete_file(in_folder("a.txt")), std::nullopt);
  EXPECT_FALSE(env_.file_exists(in_folder("a.txt")));
  platform::Status again = env_.delete_file(in_folder("a.txt"));
  ASSERT_NE(again, std::nullopt);
  EXPECT_EQ(again->operation, "delete");
  EXPECT_EQ(listing(), std::set<std::string>{"sub"});
}

// ------------------------------------------------------------- program folder

TEST(ProgramFolder, IsTheFolderOfTheRunningExecutable) {
  std::string folder;
  ASSERT_EQ(platform::program_folder(&folder), std::nullopt);
  ASSERT_FALSE(folder.empty());
  EXPECT_TRUE(path_of(folder).is_absolute()) << folder;
  EXPECT_EQ(platform::application_name(), "unit_tests");
#ifdef _WIN32
  const std::string file = "unit_tests.exe";
#else
  const std::string file = "unit_tests";
#endif
  EXPECT_TRUE(platform::default_env().file_exists(folder + platform::kSeparator + file)) << folder;
}

TEST(ProgramFolder, KeepsTheSeparatorOnlyAtTheRoot) {
  struct Case {
    const char* path;
    const char* folder;
  } cases[] = {
#ifdef _WIN32
      {"C:\\Giochi\\Treni\\installa.exe", "C:\\Giochi\\Treni"},
      {"C:\\installa.exe", "C:\\"},
      {"\\\\server\\share\\installa.exe", "\\\\server\\share"},
      {"Z:\\tmp\\prova \u00E8\\installa.exe", "Z:\\tmp\\prova \u00E8"},
#else
      {"/home/treni/installa", "/home/treni"},
      {"/installa", "/"},
      {"/tmp/prova \u00E8/installa", "/tmp/prova \u00E8"},
#endif
  };
  for (const Case& c : cases) EXPECT_EQ(platform::folder_of(c.path), c.folder) << c.path;
}

// ------------------------------------------------------------ user interface

#ifndef _WIN32
// Without a display the program must still run: the toolkit is never asked to
// open one (it would end the process), and the console takes its place.
TEST(MakeUi, FallsBackToTheConsoleWhenNoDisplayCanBeOpened) {
  const char* saved = std::getenv("DISPLAY");
  const std::string old_display = saved ? saved : "";
  const char* const kDisplays[] = {nullptr, "", ":4093", "/nonexistent/socket:0"};
  for (const char* display : kDisplays) {
    if (display)
      setenv("DISPLAY", display, 1);
    else
      unsetenv("DISPLAY");
    std::ostringstream out, err;
    std::unique_ptr<platform::Ui> ui = platform::make_ui(out, err);
    ui->report_next_message_box(out);
    ui->show_waiting("Attendere");
    ui->message_box(" Errore n. 1250");
    ui->close_waiting();
    EXPECT_EQ(out.str(), "Attendere\n") << (display ? display : "(unset)");
    EXPECT_EQ(err.str(), " Errore n. 1250\n");
  }
  if (saved)
    setenv("DISPLAY", old_display.c_str(), 1);
  else
    unsetenv("DISPLAY");
}
#endif

}  // namespace
