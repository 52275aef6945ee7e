// The language server's message reader and dispatcher on any byte stream.
#include <memory>
#include <nlohmann/json.hpp>
#include <sstream>

#include "fuzz/fuzz_checks.h"
#include "platform/cp1252.h"
#include "platform/mem_env.h"
#include "tools/lsp/message_reader.h"
#include "tools/lsp/server.h"
#include "writers/writers.h"

namespace fuzz {
namespace {

std::string joined(std::span<const std::string_view> lines) {
  std::string text;
  for (std::string_view l : lines) (text += l) += "\r\n";
  return text;
}

// What each reply must be: one JSON-RPC 2.0 object, a response with an id
// and one of result and error, or a notification.
std::string check_reply(const std::string& body) {
  const nlohmann::json m = nlohmann::json::parse(body, nullptr, false);
  if (m.is_discarded() || !m.is_object()) return "a reply that is not a JSON object";
  if (m.value("jsonrpc", "") != "2.0") return "a reply without jsonrpc 2.0";
  if (m.contains("method")) return m.contains("id") ? "the server sent a request" : "";
  if (!m.contains("id")) return "a response without id";
  if (m.contains("result") == m.contains("error"))
    return "a response without one of result and error";
  return "";
}

// The disk as the system shows it to the server: a path is cut at its first
// NUL, as a C string is. Every call but a look and a bounded read of a
// regular file is a fault: the server only reads, and never unbounded.
class SystemLikeDisk final : public platform::Env {
 public:
  explicit SystemLikeDisk(platform::Env& base) : base_(base) {}
  std::string fault;

  bool file_exists(const std::string& p) override { return base_.file_exists(cut(p)); }
  platform::Status read_regular_file(const std::string& p, size_t l, std::string* c) override {
    return base_.read_regular_file(cut(p), l, c);
  }
  platform::Status read_file(const std::string& p, std::string*) override {
    return refuse("an unbounded read", p);
  }
  platform::Status new_writable_file(const std::string& p,
                                     std::unique_ptr<platform::WritableFile>*) override {
    return refuse("a write", p);
  }
  platform::Status new_temporary_file(const std::string& t, std::string*,
                                      std::unique_ptr<platform::WritableFile>*) override {
    return refuse("a new file", t);
  }
  platform::Status rename_file(const std::string& a, const std::string&) override {
    return refuse("a rename", a);
  }
  platform::Status delete_file(const std::string& p) override { return refuse("a delete", p); }
  platform::Status make_executable(const std::string& p) override {
    return refuse("a permission change", p);
  }
  platform::Status sync_folder(const std::string& f) override { return refuse("a sync", f); }
  platform::Status try_lock_folder(const std::string& f,
                                   std::unique_ptr<platform::FolderLock>*) override {
    return refuse("a lock", f);
  }
  platform::Status folder_identity(const std::string& f, std::string*) override {
    return refuse("a folder identity", f);
  }

 private:
  // What the system would open; a control character names no source, so a
  // path that holds one never reaches the disk.
  std::string cut(const std::string& p) {
    for (const char c : p)
      if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) {
        if (fault.empty()) fault = "a path with a control character reached the disk";
        break;
      }
    return p.substr(0, p.find('\0'));
  }
  platform::Status refuse(const std::string& what, const std::string& path) {
    if (fault.empty()) fault = what + " by the server";
    return platform::Error{"use", path, "refused"};
  }
  platform::Env& base_;
};

}  // namespace

std::string check_lsp_messages(const uint8_t* data, size_t size) {
  // The built-in scenario on the disk, under the folder that the seed
  // sessions name, so that opened documents compile.
  platform::MemEnv disk;
  // "file:///f/NAME" is this path on every system.
  const std::string folder = std::string(1, platform::kSeparator) + "f" + platform::kSeparator;
  for (auto [name, lines] :
       {std::pair{"Fiumicino Aeroporto_Roma_linea.txt", writers::line_source_lines()},
        std::pair{"Fiumicino Aeroporto_Roma_3291-.txt", writers::train_source_lines()}}) {
    std::string bytes;
    if (platform::to_cp1252(joined(lines), &bytes))
      return "the built-in sources are not Windows-1252";
    disk.files()[folder + name] = bytes;
  }
  // A file no source URI names, which a path cut at a NUL would reach
  // ("file:///f/secret.txt\u0000/a_1-.txt").
  disk.files()[folder + "secret.txt"] = "segreto\r\n";
  const auto before = disk.files();
  SystemLikeDisk system_disk(disk);

  std::istringstream in(std::string(reinterpret_cast<const char*>(data), size));
  std::ostringstream out;
  const int status = tools::lsp::serve(in, out, system_disk, [](const std::string&) {
    return std::vector<std::string>{"Fiumicino Aeroporto_Roma_3291-.txt"};
  });
  if (status != 0 && status != 1) return "exit status " + std::to_string(status);
  if (disk.files() != before) return "the server changed a file";
  if (!system_disk.fault.empty()) return system_disk.fault;

  std::istringstream replies(out.str());
  tools::lsp::MessageReader reader(replies);
  for (auto f = reader.next(); f.kind != tools::lsp::Frame::Kind::kEnd; f = reader.next()) {
    if (f.kind != tools::lsp::Frame::Kind::kMessage) return "a reply with a bad header";
    if (std::string broken = check_reply(f.body); !broken.empty()) return broken;
  }
  return "";
}

}  // namespace fuzz
