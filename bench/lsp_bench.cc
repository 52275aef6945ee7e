// The language server's answer to an edit: from the didChange message of a
// whole buffer to the published diagnostics, for the built-in scenario and
// for a line of the maximum length. The other source is read from a disk
// held in memory, as a closed file would be.
#include <benchmark/benchmark.h>

#include <nlohmann/json.hpp>
#include <string>

#include "bench/scenario_generator.h"
#include "platform/cp1252.h"
#include "platform/mem_env.h"
#include "tools/lsp/documents.h"
#include "tools/lsp/server.h"
#include "writers/writers.h"

namespace {

using nlohmann::json;

// Opens the line source as a buffer (the train source on disk) and measures
// one full-text change of it, each time to a text that differs.
void change_line_source(benchmark::State& state, const std::string& line,
                        const std::string& train) {
  platform::MemEnv disk;
  const std::string folder = "/scenari";
  const std::string name = writers::kScenarioName;
  std::string bytes;
  if (platform::to_cp1252(train, &bytes)) state.SkipWithError("train source not Windows-1252");
  disk.files()[folder + "/" + name + "_" + writers::kTrainNumber + "-.txt"] = bytes;
  size_t published = 0;
  tools::lsp::Server server(
      disk, [](const std::string&) { return std::vector<std::string>{}; },
      [&](const std::string& body) { published += body.size(); });
  server.handle(
      json{{"jsonrpc", "2.0"}, {"id", 1}, {"method", "initialize"}, {"params", json::object()}}
          .dump());
  const std::string uri = tools::lsp::uri_of_path(folder + "/" + name + "_linea.txt");
  server.handle(json{{"jsonrpc", "2.0"},
                     {"method", "textDocument/didOpen"},
                     {"params", {{"textDocument", {{"uri", uri}, {"version", 1}, {"text", line}}}}}}
                    .dump());
  // Two texts in turn: the same bytes but for one trailing blank.
  const std::string texts[2] = {line, line + " "};
  std::string messages[2];
  for (int i = 0; i < 2; ++i)
    messages[i] = json{{"jsonrpc", "2.0"},
                       {"method", "textDocument/didChange"},
                       {"params",
                        {{"textDocument", {{"uri", uri}, {"version", i + 2}}},
                         {"contentChanges", json::array({{{"text", texts[i]}}})}}}}
                      .dump();
  int i = 0;
  for (auto _ : state) {
    server.handle(messages[i]);
    i ^= 1;
  }
  state.counters["published_bytes"] =
      static_cast<double>(published) / static_cast<double>(state.iterations() + 1);
}

void BM_LspChangeGiven(benchmark::State& state) {
  change_line_source(state, bench::given_line_source(), bench::given_train_source());
}
BENCHMARK(BM_LspChangeGiven)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_LspChangeMaximum(benchmark::State& state) {
  change_line_source(state, bench::maximum_line_source(), bench::maximum_train_source());
}
BENCHMARK(BM_LspChangeMaximum)->Unit(benchmark::kMillisecond)->UseRealTime();

// The same line with a value that does not read in its first gradient: the
// compile stops there, and the diagnostic pass reads the rest for faults
// after it, as the editor shows every fault at once.
void BM_LspChangeMaximumFaulty(benchmark::State& state) {
  std::string line = bench::maximum_line_source();
  const size_t gradient = line.find("pendenza,");
  if (gradient == std::string::npos)
    state.SkipWithError("no gradient to spoil");
  else
    line.insert(gradient + 9, " x,");
  change_line_source(state, line, bench::maximum_train_source());
}
BENCHMARK(BM_LspChangeMaximumFaulty)->Unit(benchmark::kMillisecond)->UseRealTime();

// One didChange of 20,000 ranged edits (about 12 MB) on a 5 MB document of
// 80-byte lines, each edit somewhere else in it: what an editor's
// search-and-replace over a large file sends. The document is no source, so
// only the edits are measured; every other message undoes the one before.
void BM_LspRangedEdits(benchmark::State& state) {
  platform::MemEnv disk;
  tools::lsp::Server server(
      disk, [](const std::string&) { return std::vector<std::string>{}; },
      [](const std::string&) {});
  server.handle(
      json{{"jsonrpc", "2.0"}, {"id", 1}, {"method", "initialize"}, {"params", json::object()}}
          .dump());
  const std::string uri = "file:///scenari/note.txt";
  constexpr int kLines = 65536;  // of 80 bytes: 5 MB
  std::string text;
  for (int i = 0; i < kLines; ++i) text += std::string(78, 'a' + i % 26) + "\r\n";
  server.handle(json{{"jsonrpc", "2.0"},
                     {"method", "textDocument/didOpen"},
                     {"params", {{"textDocument", {{"uri", uri}, {"version", 1}, {"text", text}}}}}}
                    .dump());
  std::string messages[2];
  for (int m = 0; m < 2; ++m) {
    json changes = json::array();
    for (int i = 0; i < 20000; ++i) {
      // Spread over the document, back and forth.
      const int line = static_cast<int>((i * 7919LL) % kLines);
      changes.push_back({{"range",
                          {{"start", {{"line", line}, {"character", 10}}},
                           {"end", {{"line", line}, {"character", 10 + 500 * m}}}}},
                         {"text", std::string(m == 0 ? 500 : 0, 'z')}});
    }
    messages[m] = json{{"jsonrpc", "2.0"},
                       {"method", "textDocument/didChange"},
                       {"params",
                        {{"textDocument", {{"uri", uri}, {"version", m + 2}}},
                         {"contentChanges", std::move(changes)}}}}
                      .dump();
  }
  state.counters["message_bytes"] = static_cast<double>(messages[0].size());
  int m = 0;
  for (auto _ : state) {
    server.handle(messages[m]);
    m ^= 1;
  }
}
BENCHMARK(BM_LspRangedEdits)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
