// `scenarioc lsp`: scripted sessions against the server, the disk held in
// memory. What the editor sees: diagnostics at the field at fault, cleared
// by the fix; hover, outline and the jump to a conflict's other entry; a
// proper error for every malformed message; and no file ever touched.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <nlohmann/json.hpp>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "compiler/compile.h"
#include "platform/mem_env.h"
#include "tests/support/case_name.h"
#include "tests/support/given_scenario.h"
#include "tests/support/scenario_sources.h"
#include "tools/lsp/documents.h"
#include "tools/lsp/edits.h"
#include "tools/lsp/message_limits.h"
#include "tools/lsp/message_reader.h"
#include "tools/lsp/server.h"
#include "writers/writers.h"

namespace {

using nlohmann::json;
using testing_support::kGivenScenario;
using testing_support::kGivenTrain;

constexpr char kSecondSignal[] = "segnale,    1500,   2, 4, 0,  0, 0,    2,  2,0,0, 0";

using testing_support::source_text;

std::vector<std::string> given_line() {
  const auto lines = writers::line_source_lines();
  return {lines.begin(), lines.end()};
}
std::vector<std::string> given_train() {
  const auto lines = writers::train_source_lines();
  return {lines.begin(), lines.end()};
}

// The line of `text` (0-based) that holds `needle` (its last occurrence with
// `last`), and where.
std::pair<int, int> find(const std::string& text, const std::string& needle, bool last = false) {
  const size_t at = last ? text.rfind(needle) : text.find(needle);
  EXPECT_NE(at, std::string::npos) << needle;
  int line = 0;
  size_t start = 0;
  for (size_t i = 0; i < at; ++i)
    if (text[i] == '\n') ++line, start = i + 1;
  return {line, static_cast<int>(at - start)};
}

// The disk as the server may use it: it asks whether a file is there and
// reads regular files of a bounded size. Any other call (an unbounded read,
// a write, a lock) is recorded and refused.
class ReadOnlyBoundedDisk final : public platform::Env {
 public:
  explicit ReadOnlyBoundedDisk(platform::Env& base) : base_(base) {}
  std::vector<std::string> refused;

  bool file_exists(const std::string& p) override { return base_.file_exists(p); }
  platform::Status read_regular_file(const std::string& p, size_t l, std::string* c) override {
    return base_.read_regular_file(p, l, c);
  }
  platform::Status read_file(const std::string& p, std::string*) override {
    return refuse("read without a bound", p);
  }
  platform::Status new_writable_file(const std::string& p,
                                     std::unique_ptr<platform::WritableFile>*) override {
    return refuse("write", p);
  }
  platform::Status new_temporary_file(const std::string& t, std::string*,
                                      std::unique_ptr<platform::WritableFile>*) override {
    return refuse("create", t);
  }
  platform::Status rename_file(const std::string& a, const std::string&) override {
    return refuse("rename", a);
  }
  platform::Status delete_file(const std::string& p) override { return refuse("delete", p); }
  platform::Status make_executable(const std::string& p) override {
    return refuse("make executable", p);
  }
  platform::Status sync_folder(const std::string& f) override { return refuse("sync", f); }
  platform::Status try_lock_folder(const std::string& f,
                                   std::unique_ptr<platform::FolderLock>*) override {
    return refuse("lock", f);
  }
  platform::Status folder_identity(const std::string& f, std::string*) override {
    return refuse("identify", f);
  }

 private:
  platform::Status refuse(const std::string& what, const std::string& path) {
    refused.push_back(what + " " + path);
    return platform::Error{what, path, "not the language server's to do"};
  }
  platform::Env& base_;
};

class Session : public testing::Test {
 protected:
  Session()
      : server_(
            checked_disk_, [this](const std::string& folder) { return listing(folder); },
            [this](const std::string& body) { sent_.push_back(json::parse(body)); }) {}

  std::string path(const char* name) const { return folder_ + platform::kSeparator + name; }
  std::string line_path() const { return path("Fiumicino Aeroporto_Roma_linea.txt"); }
  std::string train_path() const { return path("Fiumicino Aeroporto_Roma_3291-.txt"); }
  std::string uri(const std::string& p) const { return tools::lsp::uri_of_path(p); }

  std::vector<std::string> listing(const std::string& folder) {
    std::vector<std::string> names;
    for (const auto& [p, bytes] : disk_.files()) {
      const auto split = tools::lsp::split_path(p);
      if (split.folder == folder) names.push_back(split.name);
    }
    return names;
  }

  void on_disk(const std::string& p, const std::vector<std::string>& lines) {
    ASSERT_FALSE(testing_support::write_source(disk_, p, lines));
  }

  // Sends one message; returns what the server sent back.
  std::vector<json> send(const json& message) {
    sent_.clear();
    server_.handle(message.dump());
    return sent_;
  }
  json request(const std::string& method, json params) {
    const std::vector<json> replies =
        send({{"jsonrpc", "2.0"}, {"id", ++id_}, {"method", method}, {"params", params}});
    EXPECT_EQ(replies.size(), 1u);
    if (replies.empty()) return nullptr;
    EXPECT_EQ(replies.back()["id"], id_);
    return replies.back();
  }
  std::vector<json> notify(const std::string& method, json params) {
    return send({{"jsonrpc", "2.0"}, {"method", method}, {"params", params}});
  }
  void initialize(json capabilities = json::object()) {
    const json reply = request("initialize", {{"capabilities", capabilities}});
    ASSERT_TRUE(reply.contains("result")) << reply.dump();
    notify("initialized", json::object());
  }
  // The diagnostics published for `uri` by the messages of one step.
  static json diagnostics_for(const std::vector<json>& messages, const std::string& uri) {
    json found = nullptr;
    for (const json& m : messages)
      if (m.value("method", "") == "textDocument/publishDiagnostics" && m["params"]["uri"] == uri)
        found = m["params"]["diagnostics"];
    return found;
  }
  std::vector<json> open(const std::string& p, const std::string& text, int version = 1) {
    return notify(
        "textDocument/didOpen",
        {{"textDocument",
          {{"uri", uri(p)}, {"languageId", "scenario"}, {"version", version}, {"text", text}}}});
  }
  std::vector<json> change(const std::string& p, const std::string& text, int version) {
    return notify("textDocument/didChange",
                  {{"textDocument", {{"uri", uri(p)}, {"version", version}}},
                   {"contentChanges", json::array({{{"text", text}}})}});
  }
  json at(const std::string& p, int line, int character) {
    return {{"textDocument", {{"uri", uri(p)}}},
            {"position", {{"line", line}, {"character", character}}}};
  }
  static json range(int line, int start, int end) {
    return {{"start", {{"line", line}, {"character", start}}},
            {"end", {{"line", line}, {"character", end}}}};
  }

  void TearDown() override { EXPECT_EQ(checked_disk_.refused, std::vector<std::string>{}); }

  platform::MemEnv disk_;
  ReadOnlyBoundedDisk checked_disk_{disk_};
  std::string folder_ = std::string(1, platform::kSeparator) + "scenari";
  tools::lsp::Server server_;
  std::vector<json> sent_;
  int id_ = 0;
};

TEST_F(Session, AConflictIsUnderlinedAtItsFieldNamesTheOtherEntryAndClearsWhenFixed) {
  on_disk(line_path(), given_line());
  initialize();
  const std::string faulty = source_text(testing_support::train_source_with({kSecondSignal}));
  const json d = diagnostics_for(open(train_path(), faulty), uri(train_path()));
  ASSERT_EQ(d.size(), 1u) << d.dump(1);
  // The second "segnale, 1500": its position field, with the status code.
  const auto [line, column] = find(faulty, kSecondSignal, true);
  const int field = column + static_cast<int>(std::string(kSecondSignal).find("1500"));
  EXPECT_EQ(d[0]["range"], range(line, field, field + 4)) << d[0].dump();
  EXPECT_EQ(d[0]["code"], 16);
  EXPECT_EQ(d[0]["severity"], 1);
  // The signal that holds cell 31 already, on its own line.
  const auto first = find(faulty, "segnale,    1500");
  ASSERT_TRUE(d[0].contains("relatedInformation")) << d[0].dump();
  const json& related = d[0]["relatedInformation"][0]["location"];
  EXPECT_EQ(related["uri"], uri(train_path()));
  EXPECT_EQ(related["range"]["start"]["line"], first.first);
  EXPECT_NE(related["range"]["start"]["line"], line);

  // Definition from the conflict's field jumps there too.
  const json jump = request("textDocument/definition", at(train_path(), line, field + 1));
  ASSERT_EQ(jump["result"].size(), 1u) << jump.dump();
  EXPECT_EQ(jump["result"][0], related);

  const json fixed =
      diagnostics_for(change(train_path(), source_text(given_train()), 2), uri(train_path()));
  EXPECT_EQ(fixed, json::array());
}

// An editor shows every fault at once: the second signal on a taken cell
// and, past it, a speed that does not read and a station off the 50 m grid.
TEST_F(Session, EveryFaultIsPublishedAtOnce) {
  on_disk(line_path(), given_line());
  initialize();
  const std::string faulty = source_text(testing_support::train_source_with(
      {kSecondSignal, "velocita,   20000,    8O",
       "stazione,   17175, 21,  400,  0, 0, 0,  0,0,0,  4,1,1,    0,   0, 0, 0, X"}));
  const json d = diagnostics_for(open(train_path(), faulty), uri(train_path()));
  ASSERT_EQ(d.size(), 3u) << d.dump(1);
  EXPECT_EQ(d[0]["code"], 16);
  EXPECT_EQ(d[1]["code"], 25);
  EXPECT_EQ(d[1]["range"]["start"]["line"], find(faulty, "velocita,   20000").first);
  EXPECT_EQ(d[2]["code"], 8);
  EXPECT_EQ(d[2]["range"]["start"]["line"], find(faulty, "stazione,   17175").first);
}

TEST_F(Session, ARangedEditIsAppliedInTheNegotiatedUnits) {
  on_disk(line_path(), given_line());
  initialize();
  // "è" before the fault: one UTF-16 unit, two bytes.
  const std::string faulty =
      source_text(testing_support::train_source_with({"-- \xC3\xA8", kSecondSignal}));
  open(train_path(), faulty);
  const auto [line, column] = find(faulty, kSecondSignal, true);
  // The author deletes the line of the second signal from just after "è"
  // (4 UTF-16 units, 5 bytes): an edit that cut "è" in two would leave a
  // byte that is no character, an error.
  const json edit = {{"range",
                      {{"start", {{"line", line - 1}, {"character", 4}}},
                       {"end", {{"line", line + 1}, {"character", 0}}}}},
                     {"text", "\r\n"}};
  const std::vector<json> sent = notify(
      "textDocument/didChange", {{"textDocument", {{"uri", uri(train_path())}, {"version", 2}}},
                                 {"contentChanges", json::array({edit})}});
  EXPECT_EQ(diagnostics_for(sent, uri(train_path())), json::array());
  // The buffer is now the given source with a comment line "-- è" before [fine].
  const json symbols =
      request("textDocument/documentSymbol", {{"textDocument", {{"uri", uri(train_path())}}}});
  EXPECT_EQ(symbols["result"].back()["name"], "[fine]") << symbols.dump();
  EXPECT_EQ(symbols["result"].back()["range"]["start"]["line"], line);
}

TEST_F(Session, ALineSourceBufferIsUsedForTheTrainSourceAndItsFaultShows) {
  // Both open; the line source's buffer differs from the disk's.
  on_disk(line_path(), given_line());
  on_disk(train_path(), given_train());
  initialize();
  open(train_path(), source_text(given_train()));
  const std::string faulty_line =
      source_text(testing_support::line_source_with({"cartello indicatore, 1500, (X)"}));
  std::vector<json> sent = open(line_path(), faulty_line);
  const json line_d = diagnostics_for(sent, uri(line_path()));
  const json train_d = diagnostics_for(sent, uri(train_path()));
  ASSERT_FALSE(line_d.is_null());
  ASSERT_FALSE(train_d.is_null());
  // The board takes cell 31 first; the train source's signal there is the fault.
  ASSERT_EQ(train_d.size(), 1u) << train_d.dump(1);
  EXPECT_EQ(train_d[0]["code"], 16);
  EXPECT_EQ(train_d[0]["relatedInformation"][0]["location"]["uri"], uri(line_path()));
  EXPECT_EQ(train_d[0]["relatedInformation"][0]["location"]["range"]["start"]["line"],
            find(faulty_line, "cartello indicatore").first);
  EXPECT_EQ(line_d, json::array());

  // Closing the line source: the train source is compiled with the disk's again.
  sent = notify("textDocument/didClose", {{"textDocument", {{"uri", uri(line_path())}}}});
  EXPECT_EQ(diagnostics_for(sent, uri(line_path())), json::array());
  EXPECT_EQ(diagnostics_for(sent, uri(train_path())), json::array());
}

TEST_F(Session, AFaultInAClosedLineSourceShowsAtTheTopOfTheTrainSource) {
  const std::vector<std::string> line = testing_support::line_source_with({"pendenza, 1350, x"});
  on_disk(line_path(), line);
  initialize();
  const json d = diagnostics_for(open(train_path(), source_text(given_train())), uri(train_path()));
  ASSERT_EQ(d.size(), 1u) << d.dump(1);
  EXPECT_EQ(d[0]["range"], range(0, 0, 0));
  EXPECT_EQ(d[0]["code"], 25);
  // Named by file, line and column, and linked to the place itself.
  const auto [row, column] = find(source_text(line), "x\r\n[fine]");
  const std::string place = "Fiumicino Aeroporto_Roma_linea.txt:" + std::to_string(row + 1) + ":" +
                            std::to_string(column + 1) + ": ";
  EXPECT_EQ(d[0]["message"].get<std::string>().rfind(place, 0), 0u) << d[0]["message"];
  const json& related = d[0]["relatedInformation"][0]["location"];
  EXPECT_EQ(related["uri"], uri(line_path()));
  EXPECT_EQ(related["range"], range(row, column, column + 1));
}

TEST_F(Session, AConflictWithAClosedLineSourcePointsIntoIt) {
  const std::vector<std::string> line =
      testing_support::line_source_with({"cartello indicatore, 1500, (X)"});
  on_disk(line_path(), line);
  initialize();
  const std::string train = source_text(given_train());
  const json d = diagnostics_for(open(train_path(), train), uri(train_path()));
  ASSERT_EQ(d.size(), 1u) << d.dump(1);
  EXPECT_EQ(d[0]["code"], 16);
  EXPECT_EQ(d[0]["range"]["start"]["line"], find(train, "segnale,    1500").first);
  const json& related = d[0]["relatedInformation"][0]["location"];
  EXPECT_EQ(related["uri"], uri(line_path()));
  EXPECT_EQ(related["range"]["start"]["line"],
            find(source_text(line), "cartello indicatore").first);
}

TEST_F(Session, AMissingLineSourceIsSaidAtTheTopOfTheTrainSource) {
  initialize();
  const json d = diagnostics_for(open(train_path(), source_text(given_train())), uri(train_path()));
  ASSERT_EQ(d.size(), 1u) << d.dump(1);
  EXPECT_EQ(d[0]["code"], 101);
  EXPECT_EQ(d[0]["range"], range(0, 0, 0));
}

TEST_F(Session, ALineSourceAloneIsCompiledWithoutATrainSource) {
  initialize();
  const std::string faulty = source_text(testing_support::line_source_with({"pendenza, 1350, x"}));
  const json d = diagnostics_for(open(line_path(), faulty), uri(line_path()));
  ASSERT_EQ(d.size(), 1u) << d.dump(1);
  EXPECT_EQ(d[0]["code"], 25);
  const auto [line, column] = find(faulty, "pendenza, 1350, x");
  EXPECT_EQ(d[0]["range"]["start"]["line"], line);
  EXPECT_EQ(diagnostics_for(change(line_path(), source_text(given_line()), 2), uri(line_path())),
            json::array());
}

TEST_F(Session, ALineSourceLargerThanAnySourceIsRefusedUnread) {
  initialize();
  disk_.files()[line_path()] = std::string(compiler::kLargestSource + 1, ' ');
  const json d = diagnostics_for(open(train_path(), source_text(given_train())), uri(train_path()));
  // The reason alone: the source is there, so no "missing line source".
  ASSERT_EQ(d.size(), 1u) << d.dump(1);
  EXPECT_NE(d[0]["message"].get<std::string>().find(
                std::to_string(compiler::kLargestSource + 1) + " bytes, more than the " +
                std::to_string(compiler::kLargestSource) + " allowed"),
            std::string::npos)
      << d.dump(1);
  EXPECT_EQ(d[0]["range"], range(0, 0, 0));
}

TEST_F(Session, AUriWithAControlCharacterReadsNoFile) {
  initialize();
  // What the system would open for a path cut at its NUL: the file a raw NUL
  // in the URI points at, stored here under the whole path.
  const std::string cut = path("secret.txt") + std::string(1, '\0') + platform::kSeparator;
  disk_.files()[cut + "a_linea.txt"] = "SEGRETO\r\n";
  disk_.files()[cut + "a_1-.txt"] = "SEGRETO\r\n";
  for (const std::string& bad : {uri(path("secret.txt")) + std::string(1, '\0') + "/a_1-.txt",
                                 uri(path("secret.txt")) + "%00/a_1-.txt",
                                 uri(path("a\n_linea.txt")), uri(path("a")) + "%0A_linea.txt"}) {
    SCOPED_TRACE(testing::PrintToString(bad));
    const std::vector<json> sent =
        notify("textDocument/didOpen",
               {{"textDocument",
                 {{"uri", bad}, {"languageId", "scenario"}, {"version", 1}, {"text", "x\r\n"}}}});
    EXPECT_EQ(diagnostics_for(sent, bad), json::array());
    for (const json& m : sent) EXPECT_EQ(m.dump().find("SEGRETO"), std::string::npos);
  }
}

// A station name with characters that Windows-1252 lacks: each is an error at
// its own place, counted in the negotiated units.
struct EncodingCase {
  const char* offered;  // nullptr: the client offers nothing (UTF-16)
  int start;            // of the second unencodable character, after "X"
  int end;
  friend void PrintTo(const EncodingCase& c, std::ostream* os) {
    *os << (c.offered ? c.offered : "none_offered");
  }
};

class Unencodable : public Session, public testing::WithParamInterface<EncodingCase> {};

TEST_P(Unencodable, IsAnErrorAtItsPositionInTheClientsUnits) {
  on_disk(line_path(), given_line());
  const EncodingCase& c = GetParam();
  json capabilities = json::object();
  if (c.offered) capabilities["general"]["positionEncodings"] = json::array({c.offered});
  initialize(capabilities);
  // "ł" (2 bytes, 1 UTF-16 unit), then "X", then an emoji (4 bytes, 2 units).
  const std::string name = "ROMA \xC5\x82X\xF0\x9F\x98\x80";
  // A fault after them is still underlined at its field.
  const std::string text = source_text(testing_support::replacing(
      testing_support::train_source_with({kSecondSignal}), "stazione,   35000",
      "stazione,   35000,  5,  800,  1, 0, 0,  1,1,0,  2,1,1,    0,  10,39, 0, " + name));
  const json d = diagnostics_for(open(train_path(), text), uri(train_path()));
  ASSERT_EQ(d.size(), 3u) << d.dump(1);
  const auto [fault_line, fault_column] = find(text, kSecondSignal, true);
  EXPECT_EQ(d[2]["range"], range(fault_line, fault_column + 12, fault_column + 16));
  const auto [line, column] = find(text, name);
  EXPECT_EQ(d[1]["range"]["start"], (json{{"line", line}, {"character", column + c.start}}));
  EXPECT_EQ(d[1]["range"]["end"], (json{{"line", line}, {"character", column + c.end}}));
  EXPECT_EQ(d[0]["range"]["start"]["character"], column + 5);
}

INSTANTIATE_TEST_SUITE_P(Encodings, Unencodable,
                         testing::Values(EncodingCase{nullptr, 7, 9}, EncodingCase{"utf-8", 8, 12},
                                         EncodingCase{"utf-32", 7, 8}),
                         testing_support::CaseName());

// "€" is one byte in Windows-1252, three in UTF-8, one UTF-16 unit: a fault
// after it on its line starts where the client counts.
struct EuroCase {
  const char* offered;  // nullptr: the client offers nothing (UTF-16)
  int units;            // of "€"
  friend void PrintTo(const EuroCase& c, std::ostream* os) {
    *os << (c.offered ? c.offered : "none_offered");
  }
};

class AfterEuro : public Session, public testing::WithParamInterface<EuroCase> {};

TEST_P(AfterEuro, ADiagnosticStartsAtTheRightPlace) {
  const EuroCase& c = GetParam();
  json capabilities = json::object();
  if (c.offered) capabilities["general"]["positionEncodings"] = json::array({c.offered});
  initialize(capabilities);
  // The keyword field holds "pendenza" after the sign, so the entry is read.
  const std::string entry = "\xE2\x82\xAC pendenza, 1350, x";
  const std::string faulty = source_text(testing_support::line_source_with({entry}));
  const json d = diagnostics_for(open(line_path(), faulty), uri(line_path()));
  ASSERT_EQ(d.size(), 1u) << d.dump(1);
  EXPECT_EQ(d[0]["code"], 25);
  const auto [line, bytes] = find(faulty, entry);
  const int x = bytes + static_cast<int>(entry.find('x')) - 3 + c.units;
  EXPECT_EQ(d[0]["range"], range(line, x, x + 1)) << d.dump(1);
}

INSTANTIATE_TEST_SUITE_P(Encodings, AfterEuro,
                         testing::Values(EuroCase{nullptr, 1}, EuroCase{"utf-16", 1},
                                         EuroCase{"utf-8", 3}, EuroCase{"utf-32", 1}),
                         testing_support::CaseName());

TEST_F(Session, OutlineShowsSectionsStationsByNameAndSignalsByPosition) {
  on_disk(line_path(), given_line());
  initialize();
  const std::string text = source_text(given_train());
  open(train_path(), text);
  const json reply =
      request("textDocument/documentSymbol", {{"textDocument", {{"uri", uri(train_path())}}}});
  std::map<std::string, json> sections;
  for (const json& s : reply["result"]) sections[s["name"]] = s;
  ASSERT_TRUE(sections.count("[stazioni]")) << reply.dump(1);
  ASSERT_TRUE(sections.count("[segnali]"));
  const json& stations = sections["[stazioni]"]["children"];
  ASSERT_EQ(stations.size(), 9u);
  EXPECT_EQ(stations[6]["name"], "ROMA OSTIENSE");
  EXPECT_EQ(stations[6]["selectionRange"]["start"]["line"], find(text, "stazione,   26650").first);
  EXPECT_EQ(sections["[segnali]"]["children"][0]["name"], "segnale 1500 m");
  EXPECT_EQ(sections["[segnali]"]["children"].size(), 18u);
}

TEST_F(Session, HoverTellsTheFieldTheValueReadAndTheCellAsStored) {
  on_disk(line_path(), given_line());
  initialize();
  const std::string text = source_text(given_train());
  open(train_path(), text);
  auto hover = [&](const std::string& needle, int field_offset) {
    const auto [line, column] = find(text, needle);
    const json reply = request("textDocument/hover", at(train_path(), line, column + field_offset));
    EXPECT_TRUE(reply["result"].is_object()) << needle << reply.dump();
    return reply["result"];
  };
  // The position of the signal at 1500 m: the field's reference, the number
  // read, and cell 31 with the values the compiler packed into it.
  json h = hover("1500,   2, 4", 1);
  std::string value = h["contents"]["value"];
  EXPECT_NE(value.find("`p` (m, "), std::string::npos) << value;
  EXPECT_NE(value.find("read as 1500"), std::string::npos) << value;
  // The place as the plot and decode give it: the author's metres with the
  // cell, and a cell alone with the metres it covers.
  EXPECT_NE(value.find("\n\nthe signal at 1500 m (cell 31)\n\n"), std::string::npos) << value;
  EXPECT_NE(
      value.find(
          "- cell 31 (1550 to 1600 m), signal: value_a 42, value_b 0, value_c 0, value_d 8\n"),
      std::string::npos)
      << value;
  const auto [line, column] = find(text, "1500,   2, 4");
  EXPECT_EQ(h["range"], range(line, column, column + 4));
  // The tempo of the signal at 28200 m (sx = 2): kept, and stored.
  value = hover("28200,   2, 4, 0,  0, 0,    2,  2,0,0, 160", 40)["contents"]["value"];
  EXPECT_NE(value.find("`tempo`"), std::string::npos) << value;
  EXPECT_NE(value.find("signal_time 160"), std::string::npos) << value;
  // A station's name: its service record.
  value = hover("ROMA OSTIENSE", 2)["contents"]["value"];
  EXPECT_NE(value.find("\n\nthe station ROMA OSTIENSE at 26650 m (cell 537)\n\n"),
            std::string::npos)
      << value;
  EXPECT_NE(value.find("- service record 7: kind 2, start_m "), std::string::npos) << value;
  EXPECT_NE(value.find("text \"ROMA OSTIENSE\""), std::string::npos) << value;
  // The keyword: its fields and an example.
  value = hover("segnale,    3000", 2)["contents"]["value"];
  EXPECT_NE(value.find("Fields: p, sx, s1"), std::string::npos) << value;
  // ... and the built-in scenario's own signals, by kind, each where it
  // stands, said to be that scenario's choice.
  EXPECT_NE(value.find("What the built-in scenario uses (its own choices, not rules of the "
                       "format):\n- `segnale, p, 2, 4, 0, 0, 0, 2, 2, 0, 0, 0` at 1500 m, 1500 m "
                       "after FIUMICINO AEROPORTO; 3000 m, "),
            std::string::npos)
      << value;
  EXPECT_NE(value.find("\n- `segnale, p, 1, 4, 1, 1, 0, 1, 2, 1, 1, 0` at 25200 m, 600 m before "
                       "ROMA TRASTEVERE\n"),
            std::string::npos)
      << value;
  // A field: the values the built-in scenario gives it, most used first.
  value = hover("segnale,    3000,   2", 20)["contents"]["value"];
  EXPECT_NE(value.find("`sx`"), std::string::npos) << value;
  EXPECT_NE(value.find("The built-in scenario gives it (its choice, not a rule of the format): "
                       "2 (12 entries), 1 (6 entries).\n"),
            std::string::npos)
      << value;
  // Outside the entries there is nothing to tell: "[generale]" is no entry.
  EXPECT_TRUE(request("textDocument/hover", at(train_path(), 0, 2))["result"].is_null());
}

TEST_F(Session, CompletionOffersTheKeywordsOfTheFileWithTheirFields) {
  on_disk(line_path(), given_line());
  initialize(json::parse(
      R"({"textDocument": {"completion": {"completionItem": {"snippetSupport": true}}}})"));
  open(train_path(), source_text(given_train()));
  open(line_path(), source_text(given_line()));
  auto items = [&](const std::string& p) {
    std::map<std::string, json> by_label;
    const json reply = request("textDocument/completion", at(p, 0, 0));
    for (const json& item : reply["result"]) by_label[item["label"]] = item;
    return by_label;
  };
  std::map<std::string, json> train = items(train_path());
  ASSERT_TRUE(train.count("segnale"));
  EXPECT_EQ(train["segnale"]["insertText"],
            "segnale, ${1:p}, ${2:sx}, ${3:s1}, ${4:s2}, ${5:s3}, ${6:rapp}, ${7:dx}, ${8:d1}, "
            "${9:d2}, ${10:d3}, ${11:tempo}");
  EXPECT_EQ(train["segnale"]["insertTextFormat"], 2);
  // Numbers that may share a line are apart by blanks.
  EXPECT_EQ(train["orologio"]["insertText"], "orologio, ${1:h} ${2:m} ${3:s}");
  EXPECT_FALSE(train.count("lunghezza percorso"));
  std::map<std::string, json> line = items(line_path());
  EXPECT_TRUE(line.count("lunghezza percorso"));
  EXPECT_FALSE(line.count("segnale"));
  // Typing another word for a keyword finds it: the client filters on the
  // keyword and its other names.
  EXPECT_EQ(line["montagna"]["filterText"],
            "montagna tunnel tunnels galleria gallerie underpass sottovia traforo montagne");
}

TEST_F(Session, CompletionWithoutSnippetsInsertsTheKeywordAlone) {
  on_disk(line_path(), given_line());
  initialize();
  open(train_path(), source_text(given_train()));
  const json result = request("textDocument/completion", at(train_path(), 0, 0))["result"];
  ASSERT_FALSE(result.empty());
  for (const json& item : result) {
    EXPECT_EQ(item["insertTextFormat"], 1);
    EXPECT_EQ(item["insertText"], item["label"].get<std::string>() + ", ");
  }
}

// --- Robustness ----------------------------------------------------------------------------

TEST_F(Session, MalformedMessagesGetJsonRpcErrors) {
  struct Case {
    const char* body;
    int code;
    json id;
  };
  const Case cases[] = {
      {"{not json", -32700, nullptr},
      {"[1, 2]", -32600, nullptr},
      {"{\"jsonrpc\":\"2.0\",\"id\":7}", -32600, 7},
      {"{\"jsonrpc\":\"2.0\",\"id\":8,\"method\":5}", -32600, 8},
      {"{\"jsonrpc\":\"2.0\",\"id\":{},\"method\":\"x\"}", -32600, nullptr},
      {"{\"jsonrpc\":\"2.0\",\"id\":9,\"method\":\"shutdown\"}", -32002, 9},  // before initialize
  };
  for (const Case& c : cases) {
    sent_.clear();
    server_.handle(c.body);
    ASSERT_EQ(sent_.size(), 1u) << c.body;
    EXPECT_EQ(sent_[0]["error"]["code"], c.code) << c.body;
    EXPECT_EQ(sent_[0]["id"], c.id) << c.body;
  }
  initialize();
  EXPECT_EQ(request("no/such/method", json::object())["error"]["code"], -32601);
  EXPECT_EQ(request("textDocument/hover", {{"textDocument", 3}})["error"]["code"], -32602);
  EXPECT_EQ(request("textDocument/hover", json::array())["error"]["code"], -32602);
  // Positions that are no whole number, or beyond what a line can hold.
  on_disk(line_path(), given_line());
  open(train_path(), source_text(given_train()));
  EXPECT_EQ(
      request("textDocument/hover",
              json::parse(R"({"textDocument": {"uri": ")" + uri(train_path()) +
                          R"("}, "position": {"line": 1e300, "character": 0}})"))["error"]["code"],
      -32602);
  EXPECT_TRUE(request("textDocument/hover", at(train_path(), 2147483647, -5))["result"].is_null());
  EXPECT_TRUE(
      request("textDocument/hover",
              json::parse(
                  R"({"textDocument": {"uri": ")" + uri(train_path()) +
                  R"("}, "position": {"line": 18446744073709551615, "character": 0}})"))["result"]
          .is_null());
  // Notifications are never answered, known or not, well formed or not.
  EXPECT_TRUE(notify("no/such/notification", json::object()).empty());
  EXPECT_TRUE(notify("textDocument/didOpen", {{"textDocument", 1}}).empty());
  EXPECT_TRUE(notify("textDocument/didChange", json::object()).empty());
  EXPECT_TRUE(notify("$/cancelRequest", {{"id", 1}}).empty());
}

// The parts of params the protocol leaves optional keep their meaning: a
// request on a document that is not open is answered empty before its
// position is read, a version left out or null is 0 on open and the old one
// on change, and a close publishes no version.
TEST_F(Session, OptionalPartsOfParamsKeepTheirMeaning) {
  initialize();
  const json not_open = {{"textDocument", {{"uri", uri(path("Altro_linea.txt"))}}}};
  EXPECT_TRUE(request("textDocument/hover", not_open)["result"].is_null());
  EXPECT_EQ(request("textDocument/definition", not_open)["result"], json::array());
  EXPECT_EQ(request("textDocument/documentSymbol", not_open)["result"], json::array());

  on_disk(line_path(), given_line());
  const std::vector<json> opened = notify(
      "textDocument/didOpen",
      {{"textDocument", {{"uri", uri(train_path())}, {"text", source_text(given_train())}}}});
  ASSERT_EQ(opened.size(), 1u);
  EXPECT_EQ(opened[0]["params"]["version"], 0);
  const std::vector<json> changed =
      notify("textDocument/didChange",
             {{"textDocument", {{"uri", uri(train_path())}, {"version", nullptr}}},
              {"contentChanges", json::array({{{"text", source_text(given_train())}}})}});
  ASSERT_EQ(changed.size(), 1u);
  EXPECT_EQ(changed[0]["params"]["version"], 0);
  const std::vector<json> closed =
      notify("textDocument/didClose", {{"textDocument", {{"uri", uri(train_path())}}}});
  ASSERT_EQ(closed.size(), 1u);
  EXPECT_EQ(closed[0]["params"],
            json({{"uri", uri(train_path())}, {"diagnostics", json::array()}}));
}

// A message nested or filled beyond what an editor sends is refused before
// it is built, and the session goes on.
TEST_F(Session, AMessagePastTheCapsIsRefusedAndTheSessionGoesOn) {
  using tools::lsp::kMaxDepth;
  using tools::lsp::kMaxValues;
  auto nested = [](size_t depth) { return std::string(depth, '[') + std::string(depth, ']'); };
  // An array of `values` values, itself one of them.
  auto filled = [](size_t values) {
    std::string body = "[0";
    for (size_t i = 2; i < values; ++i) body += ",0";
    return body + "]";
  };
  initialize();
  const std::string within_depth = nested(kMaxDepth);
  const std::string within_values = filled(kMaxValues);
  for (const std::string* body : {&within_depth, &within_values}) {
    sent_.clear();
    server_.handle(*body);
    ASSERT_EQ(sent_.size(), 1u);
    EXPECT_EQ(sent_[0]["error"]["message"], "a message must be a JSON object");
  }
  const std::string deep = std::string(64 << 20, '[');  // the whole of it is never built
  const std::pair<std::string, std::string> refused[] = {
      {nested(kMaxDepth + 1), "nested more than 64 deep"},
      {deep, "nested more than 64 deep"},
      {"{\"jsonrpc\":\"2.0\",\"id\":1,\"method\":\"x\",\"params\":" + nested(kMaxDepth) + "}",
       "nested more than 64 deep"},
      {filled(kMaxValues + 1), "of more than 2097152 values"}};
  for (const auto& [body, why] : refused) {
    sent_.clear();
    server_.handle(body);
    ASSERT_EQ(sent_.size(), 1u);
    EXPECT_EQ(sent_[0]["error"]["code"], -32600);
    EXPECT_EQ(sent_[0]["id"], nullptr);
    EXPECT_EQ(sent_[0]["error"]["message"], "refused: a message " + why);
  }
  EXPECT_TRUE(request("shutdown", nullptr)["result"].is_null());
}

TEST_F(Session, ShutdownThenExitEndsCleanlyAndNothingOnDiskChanged) {
  on_disk(line_path(), given_line());
  on_disk(train_path(), given_train());
  const std::map<std::string, std::string> before = disk_.files();
  initialize();
  open(train_path(), source_text(testing_support::train_source_with({kSecondSignal})));
  notify("textDocument/didSave", {{"textDocument", {{"uri", uri(train_path())}}}});
  EXPECT_TRUE(request("shutdown", nullptr)["result"].is_null());
  EXPECT_EQ(request("textDocument/hover", at(train_path(), 0, 0))["error"]["code"], -32600);
  notify("exit", nullptr);
  EXPECT_TRUE(server_.exited());
  EXPECT_EQ(server_.exit_code(), 0);
  EXPECT_EQ(disk_.files(), before);
}

TEST_F(Session, ExitWithoutShutdownIsStatusOne) {
  initialize();
  notify("exit", nullptr);
  EXPECT_TRUE(server_.exited());
  EXPECT_EQ(server_.exit_code(), 1);
}

// --- The framing ---------------------------------------------------------------------------

std::string framed(const std::string& body) {
  return "Content-Length: " + std::to_string(body.size()) + "\r\n\r\n" + body;
}

TEST(MessageReader, ReadsFramesAndSkipsBadHeaders) {
  using Kind = tools::lsp::Frame::Kind;
  std::istringstream in(framed("{\"a\":1}") + "content-length: 2\r\nContent-Type: x\r\n\r\n{}" +
                        "Content-Type: x\r\n\r\n" +               // no length
                        "Content-Length: 1x\r\n\r\n" +            // not a number
                        "Content-Length: 999999999999\r\n\r\n" +  // too large, and never sent
                        "");
  tools::lsp::MessageReader reader(in);
  tools::lsp::Frame f = reader.next();
  EXPECT_EQ(f.kind, Kind::kMessage);
  EXPECT_EQ(f.body, "{\"a\":1}");
  f = reader.next();
  EXPECT_EQ(f.kind, Kind::kMessage);
  EXPECT_EQ(f.body, "{}");
  EXPECT_EQ(reader.next().kind, Kind::kBadHeader);
  EXPECT_EQ(reader.next().kind, Kind::kBadHeader);
  EXPECT_EQ(reader.next().kind, Kind::kEnd);
  EXPECT_EQ(reader.next().kind, Kind::kEnd);
}

TEST(MessageReader, ABodyCutShortIsTheEnd) {
  std::istringstream in("Content-Length: 10\r\n\r\n{}");
  tools::lsp::MessageReader reader(in);
  EXPECT_EQ(reader.next().kind, tools::lsp::Frame::Kind::kEnd);
}

// The whole server over a byte stream, as an editor drives it.
TEST(Serve, AScriptedSessionOverTheWire) {
  platform::MemEnv disk;
  std::string script;
  auto add = [&](const json& m) { script += framed(m.dump()); };
  add({{"jsonrpc", "2.0"}, {"id", 1}, {"method", "initialize"}, {"params", json::object()}});
  script += "Content-Length: nope\r\n\r\n";
  add({{"jsonrpc", "2.0"}, {"id", 2}, {"method", "shutdown"}});
  add({{"jsonrpc", "2.0"}, {"method", "exit"}});
  add({{"jsonrpc", "2.0"}, {"id", 3}, {"method", "never/read"}});
  std::istringstream in(script);
  std::ostringstream out;
  EXPECT_EQ(tools::lsp::serve(in, out, disk,
                              [](const std::string&) { return std::vector<std::string>{}; }),
            0);
  std::istringstream replies(out.str());
  tools::lsp::MessageReader reader(replies);
  std::vector<json> got;
  for (auto f = reader.next(); f.kind == tools::lsp::Frame::Kind::kMessage; f = reader.next())
    got.push_back(json::parse(f.body));
  ASSERT_EQ(got.size(), 3u) << out.str();
  EXPECT_EQ(got[0]["result"]["capabilities"]["positionEncoding"], "utf-16");
  EXPECT_EQ(got[1]["error"]["code"], -32700);
  EXPECT_EQ(got[2]["id"], 2);
  EXPECT_TRUE(got[2]["result"].is_null());
  EXPECT_TRUE(disk.files().empty());
}

TEST(Serve, TheEndOfInputWithoutExitIsStatusOne) {
  platform::MemEnv disk;
  std::istringstream in("");
  std::ostringstream out;
  EXPECT_EQ(tools::lsp::serve(in, out, disk,
                              [](const std::string&) { return std::vector<std::string>{}; }),
            1);
}

}  // namespace

namespace {

// --- File URIs -----------------------------------------------------------------------------

TEST(Uri, FileUrisAndPathsBothWays) {
  using tools::lsp::path_of_uri;
  using tools::lsp::uri_of_path;
  using namespace std::string_literals;
  for (const std::string& refused :
       {"http://x/y"s, "file://elsewhere/x"s, "file:///a%2"s, "file:///a%zz"s, "file:x"s,
        // Control characters, raw (a JSON "\u0000" gives a raw NUL) and encoded.
        "file:///s/secret.txt\0/a_1-.txt"s, "file:///a\nb"s, "file:///a\tb"s, "file:///a\x7F"s,
        "file:///a%00b"s, "file:///a%0Ab"s, "file:///a%0d"s, "file:///a%1F"s, "file:///a%7F"s,
        "file:///a%C2%85b"s, "file:///a\xC2\x9F"s})
    EXPECT_FALSE(path_of_uri(refused)) << testing::PrintToString(refused);
  // The characters next to them are names' own.
  EXPECT_TRUE(path_of_uri("file:///a%20%7E%C2%A0%C3%A0"));
  if constexpr (platform::kSeparator == '\\') {
    EXPECT_EQ(path_of_uri("file:///c%3A/Scenari/a%20b.txt"), "c:\\Scenari\\a b.txt");
    EXPECT_EQ(path_of_uri("FILE:///C:/x/y"), "C:\\x\\y");
    EXPECT_EQ(uri_of_path("C:\\Scenari\\a b.txt"), "file:///C:/Scenari/a%20b.txt");
  } else {
    EXPECT_EQ(path_of_uri("file:///home/a%20b/%C3%A0.txt"), "/home/a b/\xC3\xA0.txt");
    EXPECT_EQ(path_of_uri("file://localhost/x?q#f"), "/x");
    EXPECT_EQ(uri_of_path("/home/a b/\xC3\xA0 \xE2\x82\xAC.txt"),
              "file:///home/a%20b/%C3%A0%20%E2%82%AC.txt");
  }
  const std::string path = std::string(1, platform::kSeparator) + "d \xE2\x82\xAC%" +
                           platform::kSeparator + "Roma_3291-.txt";
  EXPECT_EQ(path_of_uri(uri_of_path(path)), path);
}

}  // namespace

namespace {

// --- Ranged edits ----------------------------------------------------------------------------

// One edit as the protocol defines it, applied to the whole text: the
// result the blocks must give.
void replace_in_whole(std::string* text, tools::lsp::PositionEncoding encoding,
                      tools::lsp::Position start, tools::lsp::Position end,
                      const std::string& with) {
  const tools::lsp::LineIndex index(*text, encoding);
  const size_t from = index.offset(start);
  const size_t to = std::max(from, index.offset(end));
  text->replace(from, to - from, with);
}

class RangedEdits : public testing::TestWithParam<tools::lsp::PositionEncoding> {};

// Many edits anywhere (line breaks of every kind met and parted, characters
// of 1 to 4 bytes, positions past a line's end or the text's, reversed
// ranges) on a text of many blocks, with long lines and short ones.
TEST_P(RangedEdits, GiveTheTextOfEditsAppliedOneByOne) {
  const auto encoding = GetParam();
  const std::vector<std::string> pieces = {
      "a", "\r\n", "\r", "\n", "\xE2\x82\xAC", "\xC5\x82", "\xF0\x9F\x98\x80", "segnale, 1500", ""};
  std::mt19937 random(21);
  auto some_text = [&](size_t n) {
    std::string t;
    for (size_t i = 0; i < n; ++i) t += pieces[random() % pieces.size()];
    return t;
  };
  std::string expected = some_text(6000) + std::string(20000, 'x') + some_text(3000);
  tools::lsp::EditedText edited(expected, encoding);
  auto position = [&] {
    return tools::lsp::Position{
        static_cast<int>(random() % 2500) - 5,
        static_cast<int>(random() % 40) - 2 + (random() % 8 == 0 ? 20000 : 0)};
  };
  for (int i = 0; i < 3000; ++i) {
    const tools::lsp::Position start = position();
    tools::lsp::Position end = start;
    if (random() % 3 == 0)
      end = position();
    else
      end.character += static_cast<int>(random() % 30);
    const std::string with = random() % 50 == 0 ? some_text(2000) : some_text(random() % 4);
    replace_in_whole(&expected, encoding, start, end, with);
    edited.replace(start, end, with);
    if (i % 100 == 0) {
      ASSERT_EQ(edited.text(), expected) << "after edit " << i;
    }
  }
  EXPECT_EQ(edited.text(), expected);
  // Down to nothing and back.
  edited.replace({0, 0}, {1 << 30, 0}, "");
  EXPECT_EQ(edited.text(), "");
  edited.replace({3, 3}, {0, 0}, "\r");
  edited.replace({1, 0}, {1, 0}, "\n\xE2\x82\xAC");
  EXPECT_EQ(edited.text(), "\r\n\xE2\x82\xAC");
}

INSTANTIATE_TEST_SUITE_P(Encodings, RangedEdits,
                         testing::Values(tools::lsp::PositionEncoding::kUtf8,
                                         tools::lsp::PositionEncoding::kUtf16,
                                         tools::lsp::PositionEncoding::kUtf32));

}  // namespace
