// The language server as an editor meets it: `scenarioc lsp` started as its
// own process, spoken to over its framed stdin and stdout, with full-text
// changes as most editors send them. For each case it measures, per message,
// the wall time from sending it to reading the diagnostics of that version,
// and the server process's own CPU time (its CPU clock read before and after).
// Linux only: the server's CPU clock comes from clock_getcpuclockid.
//
//     lsp_stdio_bench [SCENARIOC] [ROUNDS]
#include <signal.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "bench/scenario_generator.h"
#include "platform/cp1252.h"
#include "writers/writers.h"

namespace {

using nlohmann::json;
namespace fs = std::filesystem;

// The server process and its two pipes.
class ServerProcess {
 public:
  explicit ServerProcess(const std::string& program) {
    int to_child[2], from_child[2];
    if (pipe(to_child) != 0 || pipe(from_child) != 0) fail("pipe");
    pid_ = fork();
    if (pid_ < 0) fail("fork");
    if (pid_ == 0) {
      dup2(to_child[0], 0);
      dup2(from_child[1], 1);
      close(to_child[1]);
      close(from_child[0]);
      execl(program.c_str(), program.c_str(), "lsp", static_cast<char*>(nullptr));
      _exit(127);
    }
    close(to_child[0]);
    close(from_child[1]);
    in_ = to_child[1];
    out_ = from_child[0];
    if (clock_getcpuclockid(pid_, &cpu_clock_) != 0) fail("clock_getcpuclockid");
  }
  ~ServerProcess() {
    close(in_);
    close(out_);
    kill(pid_, SIGTERM);
    waitpid(pid_, nullptr, 0);
  }

  void send(const json& message) {
    const std::string body = message.dump();
    const std::string framed = "Content-Length: " + std::to_string(body.size()) + "\r\n\r\n" + body;
    for (size_t done = 0; done < framed.size();) {
      const ssize_t n = write(in_, framed.data() + done, framed.size() - done);
      if (n <= 0) fail("write to the server");
      done += static_cast<size_t>(n);
    }
  }

  json receive() {
    std::string header;
    while (header.size() < 4 || header.compare(header.size() - 4, 4, "\r\n\r\n") != 0)
      header += next_byte();
    const size_t at = header.find("Content-Length: ");
    if (at == std::string::npos) fail("a message without Content-Length");
    const size_t length = std::stoul(header.substr(at + 16));
    std::string body;
    body.reserve(length);
    while (body.size() < length) body += next_byte();
    return json::parse(body);
  }

  // Reads until the diagnostics of `uri` at `version` arrive; returns their count.
  size_t diagnostics_of(const std::string& uri, int version) {
    for (;;) {
      json m = receive();
      if (m.value("method", "") != "textDocument/publishDiagnostics") continue;
      const json& p = m["params"];
      if (p["uri"] == uri && p.value("version", -1) == version) return p["diagnostics"].size();
    }
  }

  double cpu_ms() const {
    timespec t{};
    clock_gettime(cpu_clock_, &t);
    return t.tv_sec * 1e3 + t.tv_nsec / 1e6;
  }

 private:
  [[noreturn]] static void fail(const std::string& what) {
    std::cerr << "lsp_stdio_bench: " << what << " failed" << std::endl;
    std::exit(2);
  }
  char next_byte() {
    if (pos_ == end_) {
      const ssize_t n = read(out_, buffer_, sizeof buffer_);
      if (n <= 0) fail("read from the server");
      pos_ = 0;
      end_ = static_cast<size_t>(n);
    }
    return buffer_[pos_++];
  }

  pid_t pid_ = -1;
  int in_ = -1, out_ = -1;
  clockid_t cpu_clock_{};
  char buffer_[1 << 16];
  size_t pos_ = 0, end_ = 0;
};

double median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v.empty() ? 0 : v[v.size() / 2];
}

struct Figures {
  std::vector<double> wall, cpu;
  size_t diagnostics = 0;
};

void print(const std::string& name, const Figures& f, double goal_ms) {
  const double cpu = median(f.cpu);
  std::printf("| %s | %.1f ms | %.1f ms | %zu | %.0f ms | %s |\n", name.c_str(), median(f.wall),
              cpu, f.diagnostics, goal_ms, cpu <= goal_ms ? "met" : "NOT MET");
}

std::string write_cp1252(const fs::path& path, const std::string& utf8) {
  std::string bytes;
  if (platform::to_cp1252(utf8, &bytes)) {
    std::cerr << "lsp_stdio_bench: a source that is not Windows-1252" << std::endl;
    std::exit(2);
  }
  std::ofstream(path, std::ios::binary) << bytes;
  return path.string();
}

std::string uri_of(const fs::path& path) {
  std::string uri = "file://";
  for (unsigned char c : path.string()) {
    if (std::isalnum(c) || std::strchr("/-._~", c)) {
      uri += static_cast<char>(c);
    } else {
      char escaped[4];
      std::snprintf(escaped, sizeof escaped, "%%%02X", c);
      uri += escaped;
    }
  }
  return uri;
}

// One scenario: each source in turn is the open buffer (the other is read
// from the disk) and gets `rounds` full-text changes; then the line source
// is opened `rounds` times afresh.
void measure(const std::string& program, const std::string& name, const std::string& line,
             const std::string& train, int rounds, double change_goal, double open_goal) {
  const fs::path folder =
      fs::temp_directory_path() / ("lsp_stdio_bench_" + std::to_string(getpid()));
  fs::create_directories(folder);
  const fs::path line_path = folder / (std::string(writers::kScenarioName) + "_linea.txt");
  const fs::path train_path =
      folder / (std::string(writers::kScenarioName) + "_" + writers::kTrainNumber + "-.txt");
  write_cp1252(line_path, line);
  write_cp1252(train_path, train);

  for (const auto& [label, path, text] : {std::tuple{"line source", line_path, line},
                                          std::tuple{"train source", train_path, train}}) {
    ServerProcess server(program);
    server.send(
        {{"jsonrpc", "2.0"},
         {"id", 1},
         {"method", "initialize"},
         {"params",
          {{"processId", nullptr}, {"rootUri", nullptr}, {"capabilities", json::object()}}}});
    while (!server.receive().contains("id")) {
    }
    server.send({{"jsonrpc", "2.0"}, {"method", "initialized"}, {"params", json::object()}});
    const std::string uri = uri_of(path);
    server.send({{"jsonrpc", "2.0"},
                 {"method", "textDocument/didOpen"},
                 {"params",
                  {{"textDocument",
                    {{"uri", uri}, {"languageId", "scenario"}, {"version", 1}, {"text", text}}}}}});
    server.diagnostics_of(uri, 1);
    // The server must find the pair and read it to its end: the last entry's
    // first number made a letter is a fault.
    std::string broken = text;
    const size_t last_entry = broken.rfind('\n', broken.rfind(",  ")) + 1;
    broken[broken.find_first_of("0123456789", broken.find(',', last_entry))] = 'x';
    server.send({{"jsonrpc", "2.0"},
                 {"method", "textDocument/didChange"},
                 {"params",
                  {{"textDocument", {{"uri", uri}, {"version", 2}}},
                   {"contentChanges", json::array({{{"text", broken}}})}}}});
    if (server.diagnostics_of(uri, 2) == 0) {
      std::cerr << "lsp_stdio_bench: the server found no fault in a broken number" << std::endl;
      std::exit(2);
    }
    // Two texts in turn, as typing a blank and taking it back.
    const std::string texts[2] = {text + " ", text};
    Figures f;
    for (int i = 0; i < rounds; ++i) {
      const int version = i + 3;
      const json change = {{"jsonrpc", "2.0"},
                           {"method", "textDocument/didChange"},
                           {"params",
                            {{"textDocument", {{"uri", uri}, {"version", version}}},
                             {"contentChanges", json::array({{{"text", texts[i % 2]}}})}}}};
      const double cpu0 = server.cpu_ms();
      const auto t0 = std::chrono::steady_clock::now();
      server.send(change);
      f.diagnostics = server.diagnostics_of(uri, version);
      f.wall.push_back(
          std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count());
      f.cpu.push_back(server.cpu_ms() - cpu0);
    }
    print(name + ", a change of the " + label, f, change_goal);

    if (std::string(label) != "line source") continue;
    Figures opened;
    for (int i = 0; i < rounds; ++i) {
      const int version = 1000 + i;
      server.send({{"jsonrpc", "2.0"},
                   {"method", "textDocument/didClose"},
                   {"params", {{"textDocument", {{"uri", uri}}}}}});
      const double cpu0 = server.cpu_ms();
      const auto t0 = std::chrono::steady_clock::now();
      server.send(
          {{"jsonrpc", "2.0"},
           {"method", "textDocument/didOpen"},
           {"params",
            {{"textDocument",
              {{"uri", uri}, {"languageId", "scenario"}, {"version", version}, {"text", text}}}}}});
      opened.diagnostics = server.diagnostics_of(uri, version);
      opened.wall.push_back(
          std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count());
      opened.cpu.push_back(server.cpu_ms() - cpu0);
    }
    print(name + ", opening the line source", opened, open_goal);
  }
  fs::remove_all(folder);
}

}  // namespace

int main(int argc, char** argv) {
  const std::string program = argc > 1 ? argv[1] : SCENARIOC_PATH;
  const int rounds = argc > 2 ? std::atoi(argv[2]) : 20;
  std::printf("| case (median of %d) | wall | server CPU | diagnostics | goal (CPU) | |\n", rounds);
  std::printf("|---|---|---|---|---|---|\n");
  measure(program, "built-in scenario", bench::given_line_source(), bench::given_train_source(),
          rounds, 5, 5);
  measure(program, "maximum line (1,000,000 m)", bench::maximum_line_source(),
          bench::maximum_train_source(), rounds, 50, 100);
  return 0;
}
