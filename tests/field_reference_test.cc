// The field reference against the compiler it describes and the document
// that prints it.
#include "compiler/field_reference.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <string>

#include "compiler/compile.h"
#include "compiler/warnings.h"
#include "job/sources.h"
#include "platform/mem_env.h"
#include "tests/support/tool_folder.h"
#include "tools/cli/exit_status.h"
#include "tools/cli/field_reference_text.h"

namespace {

using compiler::EntryKind;
using compiler::KeywordReference;
using model::FileKind;

bool in_general_part(EntryKind kind) {
  return kind == EntryKind::kLineLength || kind == EntryKind::kProgressive ||
         kind == EntryKind::kBackground || kind == EntryKind::kSignalRepetition;
}

// A folder whose sources hold the example line where its keyword belongs.
compiler::CompileResult compile_example(const KeywordReference& r) {
  std::string line = "[generale]\r\nlunghezza percorso, 35000\r\n";
  std::string train = "[generale]\r\n";
  if (r.file == FileKind::kTrainSource)
    train += std::string(r.example) + "\r\n";
  else if (in_general_part(r.kind))
    line += std::string(r.example) + "\r\n";
  line += "[curve]\r\n";
  if (r.file == FileKind::kLineSource && !in_general_part(r.kind))
    line += std::string(r.example) + "\r\n";
  line += "[fine]\r\n";
  train += "[fine]\r\n";

  return compiler::compile_sources(job::decoded_sources("/r", "Prova", "1", line, train));
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

}  // namespace
