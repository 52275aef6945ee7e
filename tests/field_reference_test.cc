// The field reference against the compiler it describes and the document
// that prints it.
#include "compiler/field_reference.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "compiler/compile.h"
#include "compiler/warnings.h"
#include "job/sources.h"
#include "tests/support/tool_folder.h"
#include "tools/cli/exit_status.h"
#include "tools/cli/field_reference_text.h"

namespace {

using compiler::EntryKind;
using compiler::KeywordReference;
using compiler::Section;
using model::FileKind;

// Compiles sources that hold `text` (lines ended by CR LF) where the keywords
// of `section` are read: after the general part's first entry, the line
// length, in the feature part, or in the train source.
compiler::CompileResult compile_in(Section section, const std::string& text,
                                   bool build_plan = true) {
  std::string line = "[generale]\r\nlunghezza percorso, 35000\r\n";
  std::string train = "[generale]\r\n";
  if (section == Section::kTrain) train += text + "\r\n";
  if (section == Section::kGeneral) line += text + "\r\n";
  line += "[curve]\r\n";
  if (section == Section::kFeatures) line += text + "\r\n";
  line += "[fine]\r\n";
  train += "[fine]\r\n";

  compiler::CompileOptions options;
  options.build_line_file = build_plan;
  return compiler::compile_sources(job::decoded_sources("/r", "Prova", "1", line, train), options);
}

// A folder whose sources hold the example line where its keyword belongs.
compiler::CompileResult compile_example(const KeywordReference& r) {
  return compile_in(r.section, std::string(r.example));
}

// The kinds of the entries read from the source of `section`, but the line
// length every line source here starts with.
std::vector<EntryKind> kinds_read(const compiler::CompileResult& result, Section section) {
  const FileKind file = section == Section::kTrain ? FileKind::kTrainSource : FileKind::kLineSource;
  std::vector<EntryKind> kinds;
  const auto& entries = result.record.entries();
  for (size_t i = file == FileKind::kLineSource ? 1 : 0; i < entries.size(); ++i)
    if (entries[i].keyword_at.file == file) kinds.push_back(entries[i].kind);
  return kinds;
}

std::string upper(std::string text) {
  for (char& c : text)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  return text;
}

// Each example is read as its own keyword, with exactly the fields the
// reference lists, and compiles without a fault.
TEST(FieldReference, EveryExampleReadsAsItsKeywordWithTheListedFields) {
  for (const KeywordReference& r : compiler::keyword_references()) {
    SCOPED_TRACE(std::string(r.example));
    const compiler::CompileResult result = compile_example(r);
    EXPECT_EQ(result.status, 0);
    int found = 0;
    for (const compiler::SourceEntry& e : result.record.entries()) {
      if (e.kind != r.kind || e.keyword_at.file != r.file) continue;
      if (r.kind == EntryKind::kLineLength && found == 0 && e.fields.size() == 1 &&
          e.numbers[0] == 35000 && std::string(r.example).find("35000") == std::string::npos)
        continue;  // the length every example source starts with
      ++found;
      EXPECT_EQ(e.fields.size(), r.fields.size());
    }
    EXPECT_GE(found, 1);
    EXPECT_EQ(&compiler::reference_for(r.kind), &r);
  }
}

TEST(FieldReference, TheFormatDocumentPrintsTheTableAsItIs) {
  std::ifstream in(std::string(PROJECT_SOURCE_DIR) + "/docs/format.md", std::ios::binary);
  const std::string doc((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  const std::string begin = "<!-- field reference: begin -->\n";
  const std::string end = "<!-- field reference: end -->";
  const size_t from = doc.find(begin);
  const size_t to = doc.find(end);
  ASSERT_NE(from, std::string::npos);
  ASSERT_NE(to, std::string::npos);
  EXPECT_EQ(doc.substr(from + begin.size(), to - from - begin.size()), tools::reference_markdown())
      << "run 'scenarioc explain --markdown' and put its output between the markers";
}

TEST(FieldReference, NamesAreFoundAsAuthorsWriteThem) {
  struct Case {
    const char* name;
    EntryKind kind;
  };
  for (const Case& c : {Case{"segnale", EntryKind::kSignal}, Case{"STAZIONE", EntryKind::kStation},
                        Case{"lunghezza percorso", EntryKind::kLineLength},
                        Case{"cartello_indicatore", EntryKind::kNameBoard},
                        Case{"indicatori_vmax", EntryKind::kSpeedBoard}}) {
    const KeywordReference* r = compiler::reference_named(c.name);
    ASSERT_NE(r, nullptr) << c.name;
    EXPECT_EQ(r->kind, c.kind) << c.name;
  }
  EXPECT_EQ(compiler::reference_named("segnali"), nullptr);
}

TEST(Explain, ShowsTheFieldsOfAKeywordAndSuggestsForATypo) {
  testing_support::ToolOutcome known = testing_support::run_scenarioc({"explain", "abbattimento"});
  EXPECT_EQ(known.status, tools::kExitOk);
  EXPECT_EQ(known.out, tools::explain_text(*compiler::reference_named("abbattimento")));
  EXPECT_NE(known.out.find("w: above 0: a marker with value w"), std::string::npos) << known.out;

  testing_support::ToolOutcome typo = testing_support::run_scenarioc({"explain", "pendnza"});
  EXPECT_EQ(typo.status, tools::kExitPlatform);
  EXPECT_EQ(typo.out, "");
  EXPECT_NE(typo.err.find("no keyword 'pendnza'; did you mean 'pendenza'?"), std::string::npos)
      << typo.err;
}

// A slip on another name of a keyword is suggested too, within a quarter of
// its letters; a keyword close enough comes first.
TEST(Explain, SuggestsAnotherNameForASlipOnIt) {
  struct Case {
    const char* word;
    const char* says;
  };
  const Case cases[] = {
      {"gallery", "scenarioc: no keyword 'gallery'; did you mean 'galleria'?\n"},  // 2 of 8
      {"tunel", "scenarioc: no keyword 'tunel'; did you mean 'tunnel'?\n"},        // 1 of 6
      {"tnel", "scenarioc: no keyword 'tnel'\n"},                                  // 2 of 6
      {"pendnza", "scenarioc: no keyword 'pendnza'; did you mean 'pendenza'?\n"},
  };
  for (const Case& c : cases) {
    const testing_support::ToolOutcome result = testing_support::run_scenarioc({"explain", c.word});
    EXPECT_EQ(result.status, tools::kExitPlatform) << c.word;
    EXPECT_EQ(result.out, "") << c.word;
    EXPECT_EQ(result.err, std::string(c.says) + "Run 'scenarioc explain' for the list.\n")
        << c.word;
  }
}

// A word an author may try for what a keyword stands for, in Italian or
// English, finds it; a word several keywords stand for finds each of them.
TEST(FieldReference, KeywordsAreFoundByOtherWordsForThem) {
  struct Case {
    const char* word;
    std::vector<EntryKind> found;
  };
  using K = EntryKind;
  const Case cases[] = {
      {"galleria", {K::kTunnel}},
      {" Tunnel ", {K::kTunnel}},
      {"montagna", {K::kTunnel}},
      {"curve", {K::kCurve}},
      {"board", {K::kSpeedBoard, K::kNameBoard}},
      {"cartello", {K::kSpeedBoard, K::kNameBoard}},
      {"cartello_indicatore", {K::kNameBoard}},
      {"signal", {K::kSignal}},
      {"slowdown", {K::kSlowdown}},
      {"gradient", {K::kGradient}},
      {"station", {K::kStation}},
      {"limite", {K::kSpeedBoard, K::kSpeed}},
      {"frenata", {K::kBrakedMass}},
      {"gallery", {}},
  };
  for (const Case& c : cases) {
    std::vector<EntryKind> found;
    for (const KeywordReference* r : compiler::references_known_as(c.word))
      found.push_back(r->kind);
    EXPECT_EQ(found, c.found) << c.word;
  }
}

TEST(Explain, FindsAKeywordByAnotherWordAndSaysWhichItIs) {
  const testing_support::ToolOutcome tunnel =
      testing_support::run_scenarioc({"explain", "galleria"});
  EXPECT_EQ(tunnel.status, tools::kExitOk);
  EXPECT_EQ(tunnel.err, "");
  EXPECT_EQ(tunnel.out,
            "'galleria' is no keyword; the keyword for it is montagna.\n"
            "\n"
            "montagna (line source, feature part): a tunnel\n"
            "  recognised in a field holding \"montagna\" (any letter case)\n"
            "  also found as: tunnel, tunnels, galleria, gallerie, underpass, sottovia, traforo, "
            "montagne\n"
            "\n"
            "  fields:\n"
            "    start [m] (within the range rule): the first cell of the tunnel is "
            "round(start / 50)\n"
            "    end [m] (the last cell within the track): the last cell is round(end / 50 - 1)\n"
            "    type (0 to 255 (low 8 bits kept)): the tunnel type of its cells; above 10: "
            "type - 10 with a filler cell every fourth cell; a tunnel starting 150 m or less "
            "after the previous one gets type 3\n"
            "\n"
            "  example:\n"
            "    montagna,   5000,   5600,   2\n"
            "\n"
            "  what the built-in scenario uses (its own choices, not rules of the format):\n"
            "    montagna, start, end, 2  (10 entries)\n"
            "      at 7200 to 7250 m, 3800 m before PONTE GALERIA\n"
            "      at 9950 to 10000 m, 1050 m before PONTE GALERIA\n"
            "      at 11800 to 11850 m, 800 m after PONTE GALERIA\n"
            "      at 15100 to 15150 m, 2050 m before MURATELLA\n"
            "      at 21200 to 21250 m, 1400 m before VILLA BONELLI\n"
            "      at 27700 to 27750 m, 1050 m after ROMA OSTIENSE\n"
            "      at 29000 to 29050 m, 1900 m before ROMA TUSCOLANA\n"
            "      at 29500 to 29550 m, 1400 m before ROMA TUSCOLANA\n"
            "      at 29900 to 29950 m, 1000 m before ROMA TUSCOLANA\n"
            "      at 30300 to 30350 m, 600 m before ROMA TUSCOLANA\n");

  // The keyword itself, blanks around it or not, needs no such line.
  const testing_support::ToolOutcome keyword =
      testing_support::run_scenarioc({"explain", " montagna "});
  EXPECT_EQ(keyword.out, tools::explain_text(*compiler::reference_named("montagna")));

  const testing_support::ToolOutcome board = testing_support::run_scenarioc({"explain", "board"});
  EXPECT_EQ(board.status, tools::kExitOk);
  EXPECT_EQ(board.out,
            "'board' may mean any of these keywords:\n"
            "  indicatori_vmax: a maximum-speed board with two groups of three speeds\n"
            "  cartello_indicatore: a name board with its text\n"
            "Run 'scenarioc explain KEYWORD' for one of them.\n");
}

// A keyword is suggested for a slip of up to a quarter of its first word's
// letters, and at least two: a slip exactly at that limit gets it, one more
// edit does not.
TEST(KeywordSuggestion, ReachesExactlyToItsDistanceLimit) {
  struct Case {
    const char* typo;
    const char* keyword;
    bool suggested;
  };
  const Case cases[] = {
      {"pndnza", "pendenza", true},           // 2 of 8 letters
      {"pndnz", "pendenza", false},           // 3
      {"rlentamnto", "rallentamento", true},  // 3 of 13
      {"rlentamnt", "rallentamento", false},  // 4
      {"abtimento", "abbattimento", true},    // 3 of 12
      {"atimento", "abbattimento", false},    // 4
  };
  for (const Case& c : cases) {
    const std::vector<std::string> like = compiler::similar_keywords(c.typo);
    EXPECT_EQ(std::find(like.begin(), like.end(), c.keyword) != like.end(), c.suggested) << c.typo;
  }
}

// Every keyword of the table, its words written as the table gives them
// (each variant on its own, in upper case where case is ignored), is read
// as its entry in its own section and as nothing in the others; a keyword
// whose case must match is not read in upper case.
TEST(Grammar, EveryKeywordIsReadAsWrittenInItsSectionAndNowhereElse) {
  for (const KeywordReference& r : compiler::keyword_references()) {
    const std::string_view example = r.example;
    const std::string fields(example.substr(example.find(',')));
    const size_t variants = r.variants.empty() ? 1 : r.variants.size();
    for (size_t v = 0; v < variants; ++v) {
      std::string keyword = std::string(r.word) + " " + std::string(r.also);
      if (!r.variants.empty()) keyword += " " + std::string(r.variants[v]);
      SCOPED_TRACE(keyword);
      const std::string written = r.exact_case ? keyword : upper(keyword);
      EXPECT_EQ(kinds_read(compile_in(r.section, written + fields), r.section),
                std::vector<EntryKind>{r.kind});
      if (r.exact_case) {
        EXPECT_EQ(kinds_read(compile_in(r.section, upper(keyword) + fields), r.section),
                  std::vector<EntryKind>{});
      }
      for (Section other : {Section::kGeneral, Section::kFeatures, Section::kTrain})
        if (other != r.section) {
          EXPECT_EQ(kinds_read(compile_in(other, written + fields), other),
                    std::vector<EntryKind>{})
              << "in section " << static_cast<int>(other);
        }
    }
  }
}

// The keyword tests' oddities, which the format defines and the table must
// keep: what each field is read as.
TEST(Grammar, KeywordTestsKeepTheFormatsOddities) {
  struct Case {
    const char* name;
    Section section;
    std::string text;
    std::vector<EntryKind> read;
    bool build_plan = true;
  };
  using K = EntryKind;
  const Case cases[] = {
      {"length_any_case", Section::kGeneral, "Lunghezza PERCORSO, 35000", {K::kLineLength}},
      {"progressive_exact_case", Section::kGeneral, "Progressiva uno, 0, 0, 0", {}},
      {"progressive_variant_exact_case", Section::kGeneral, "progressiva UNO, 0, 0, 0", {}},
      {"progressive_two_variants",
       Section::kGeneral,
       "progressiva uno due, 0, 0, 0, 50, 50, 0",
       {K::kProgressive, K::kProgressive}},
      {"background_three_variants",
       Section::kGeneral,
       "sfondo tre uno due, 1, 2, 3",
       {K::kBackground, K::kBackground, K::kBackground}},
      {"repetition_words_any_order",
       Section::kGeneral,
       "segnali ripetizione 4, 0, 0",
       {K::kSignalRepetition}},
      {"repetition_exact_case", Section::kGeneral, "ripetizione Segnali 4, 0, 0", {}},
      {"eleven_dashed_general",
       Section::kGeneral,
       "-\r\n-\r\n-\r\n-\r\n-\r\n-\r\n-\r\n-\r\n-\r\n-\r\n- sfondo uno -, 7",
       {K::kBackground}},
      {"curve_side_s_in_destra", Section::kFeatures, "curva destra 4, 2000, 300", {K::kCurve}},
      {"curve_passed_over_without_plan", Section::kFeatures, "curvas4, 2000, 300", {}, false},
      {"speed_board_not_name_board",
       Section::kFeatures,
       "Indicatori_Vmax, 7700, 80, 80, 90, 2, 80, 80, 90, 2",
       {K::kSpeedBoard}},
      {"name_board_not_speed_board",
       Section::kFeatures,
       "CARTELLO_INDICATORE, 7700, X",
       {K::kNameBoard}},
      {"both_boards_in_one_field",
       Section::kFeatures,
       "cartello indicatori_v, 7700, 80, 80, 90, 2, 80, 80, 90, 2, 8000, X",
       {K::kSpeedBoard, K::kNameBoard}},
      {"third_dashed_feature_examined",
       Section::kFeatures,
       "- a -\r\n- b -\r\n- pendenza -, 1000, 5",
       {K::kGradient}},
      {"second_dashed_feature_dropped", Section::kFeatures, "- a -\r\n- pendenza -, 1000, 5", {}},
      {"speed_accented", Section::kTrain, "VELOCIT\xC0, 0, 60", {K::kSpeed}},
      {"braked_mass_needs_both_words", Section::kTrain, "frenata, 140", {}},
      {"two_train_keywords_in_table_order",
       Section::kTrain,
       "sabbia orologio, 9, 8, 7, 3",
       {K::kClock, K::kSand}},
      {"third_dashed_train_examined",
       Section::kTrain,
       "- a -\r\n- b -\r\n- sabbia -, 1",
       {K::kSand}},
      {"second_dashed_train_dropped", Section::kTrain, "- a -\r\n- sabbia -, 1", {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const compiler::CompileResult result = compile_in(c.section, c.text, c.build_plan);
    EXPECT_EQ(kinds_read(result, c.section), c.read);
  }
}

}  // namespace
