// The language server's message reader and dispatcher on any byte stream.
#include <nlohmann/json.hpp>
#include <sstream>

#include "fuzz/fuzz_checks.h"
#include "platform/cp1252.h"
#include "platform/mem_env.h"
#include "tools/lsp_message_reader.h"
#include "tools/lsp_server.h"
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
  const auto before = disk.files();

  std::istringstream in(std::string(reinterpret_cast<const char*>(data), size));
  std::ostringstream out;
  const int status = tools::lsp::serve(in, out, disk, [](const std::string&) {
    return std::vector<std::string>{"Fiumicino Aeroporto_Roma_3291-.txt"};
  });
  if (status != 0 && status != 1) return "exit status " + std::to_string(status);
  if (disk.files() != before) return "the server changed a file";

  std::istringstream replies(out.str());
  tools::lsp::MessageReader reader(replies);
  for (auto f = reader.next(); f.kind != tools::lsp::Frame::Kind::kEnd; f = reader.next()) {
    if (f.kind != tools::lsp::Frame::Kind::kMessage) return "a reply with a bad header";
    if (std::string broken = check_reply(f.body); !broken.empty()) return broken;
  }
  return "";
}

}  // namespace fuzz
