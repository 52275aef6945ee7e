// The whole compile, from the two source texts in a folder on disk to the
// three binary files, against the cost of writing as many bytes in one go.
#include <benchmark/benchmark.h>
#include <sys/resource.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iostream>
#include <string>

#include "bench/scenario_generator.h"
#include "compiler/compile.h"
#include "job/compile_job.h"
#include "job/sources.h"
#include "model/file_names.h"
#include "platform/env.h"
#include "platform/mem_env.h"
#include "writers/writers.h"

namespace {

namespace fs = std::filesystem;

struct Sources {
  std::string line;
  std::string train;
};

Sources given_sources() { return {bench::given_line_source(), bench::given_train_source()}; }

Sources maximum_sources() { return {bench::maximum_line_source(), bench::maximum_train_source()}; }

class Folder {
 public:
  Folder() : path_(fs::temp_directory_path() / ("compile_bench_" + std::to_string(::getpid()))) {
    fs::create_directories(path_);
  }
  ~Folder() { fs::remove_all(path_); }
  std::string path() const { return path_.string(); }

 private:
  fs::path path_;
};

model::Scenario named_model() {
  model::Scenario m;
  m.scenario_name = writers::kScenarioName;
  m.train_number = writers::kTrainNumber;
  return m;
}

job::JobRequest request_in(const std::string& folder) {
  job::JobRequest request;
  request.folder = folder;
  request.scenario_name = writers::kScenarioName;
  request.train_number = writers::kTrainNumber;
  return request;
}

void put(const std::string& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
}

long peak_rss_kib() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_maxrss;
}

uintmax_t output_bytes(const std::string& folder, const model::Scenario& m) {
  uintmax_t total = 0;
  for (auto kind :
       {model::FileKind::kLineGeometry, model::FileKind::kService, model::FileKind::kCells})
    total += fs::file_size(model::file_path(folder, kind, m));
  return total;
}

void compile(benchmark::State& state, const Sources& sources) {
  Folder folder;
  platform::Env& env = platform::default_env();
  model::Scenario named = named_model();
  uintmax_t bytes = 0;
  for (auto _ : state) {
    state.PauseTiming();
    put(model::file_path(folder.path(), model::FileKind::kLineSource, named), sources.line);
    put(model::file_path(folder.path(), model::FileKind::kTrainSource, named), sources.train);
    state.ResumeTiming();
    const job::JobResult result = job::run_job(env, request_in(folder.path()));
    state.PauseTiming();
    if (result.outcome() != job::Outcome::kClean) {
      state.SkipWithError("the compile failed");
      break;
    }
    bytes = output_bytes(folder.path(), named);
    state.ResumeTiming();
  }
  state.counters["output_bytes"] = static_cast<double>(bytes);
  state.counters["peak_rss_MiB"] = peak_rss_kib() / 1024.0;
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * bytes));
}

// One plain write of as many bytes as the compile writes, with the same
// flush the compile makes for each file.
void raw_write(benchmark::State& state, const Sources& sources) {
  Folder folder;
  model::Scenario m = named_model();
  {
    // Measure the output size once with a real compile.
    put(model::file_path(folder.path(), model::FileKind::kLineSource, m), sources.line);
    put(model::file_path(folder.path(), model::FileKind::kTrainSource, m), sources.train);
    job::run_job(platform::default_env(), request_in(folder.path()));
  }
  const std::string bytes(output_bytes(folder.path(), m), 'x');
  const std::string path = folder.path() + "/raw.bin";
  for (auto _ : state) {
    std::unique_ptr<platform::WritableFile> file;
    platform::default_env().new_writable_file(path, &file);
    file->append(bytes);
    file->flush();
    file->close();
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * bytes.size()));
}

// The pure compile of the decoded sources: the compiler's own cost, without
// the disk and without encoding the files (what check and the language
// server pay).
void compile_in_memory(benchmark::State& state, const Sources& sources) {
  const std::string folder = "/bench";
  for (auto _ : state) {
    state.PauseTiming();
    compiler::Sources decoded = job::decoded_sources(
        folder, writers::kScenarioName, writers::kTrainNumber, sources.line, sources.train);
    state.ResumeTiming();
    const compiler::CompileResult result = compiler::compile_sources(std::move(decoded));
    if (!result.ok()) {
      state.SkipWithError("the compile failed");
      break;
    }
  }
  state.counters["peak_rss_MiB"] = peak_rss_kib() / 1024.0;
}

void BM_CompileGiven(benchmark::State& state) { compile(state, given_sources()); }
void BM_RawWriteGiven(benchmark::State& state) { raw_write(state, given_sources()); }
void BM_CompileMaximum(benchmark::State& state) { compile(state, maximum_sources()); }
void BM_RawWriteMaximum(benchmark::State& state) { raw_write(state, maximum_sources()); }

void BM_CompileGivenInMemory(benchmark::State& state) { compile_in_memory(state, given_sources()); }
void BM_CompileMaximumInMemory(benchmark::State& state) {
  compile_in_memory(state, maximum_sources());
}

BENCHMARK(BM_CompileGiven)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CompileGivenInMemory)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CompileMaximumInMemory)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RawWriteGiven)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CompileMaximum)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RawWriteMaximum)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
