#include "tools/lsp/documents.h"

#include <cctype>

#include "platform/env.h"

namespace tools::lsp {
namespace {

int hex_value(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

bool is_separator(char c) { return c == '/' || c == platform::kSeparator; }

// A control character of ASCII (C0 and DEL). No file name of a scenario
// holds one, and a NUL would end the path the system is given early, so
// that another file than the one named would be read.
bool control(unsigned char c) { return c < 0x20 || c == 0x7F; }

// A C1 control character (U+0080 to U+009F) in UTF-8 at `at`.
bool c1_control(std::string_view s, size_t at) {
  return at + 1 < s.size() && static_cast<unsigned char>(s[at]) == 0xC2 &&
         static_cast<unsigned char>(s[at + 1]) >= 0x80 &&
         static_cast<unsigned char>(s[at + 1]) <= 0x9F;
}

bool unreserved(unsigned char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' ||
         c == '.' || c == '_' || c == '~' || c == '/';
}

}  // namespace

std::optional<std::string> path_of_uri(std::string_view uri) {
  constexpr std::string_view kScheme = "file://";
  if (uri.size() < kScheme.size()) return std::nullopt;
  for (const char c : uri)
    if (control(static_cast<unsigned char>(c))) return std::nullopt;
  for (size_t i = 0; i < kScheme.size(); ++i)
    if (std::tolower(static_cast<unsigned char>(uri[i])) != kScheme[i]) return std::nullopt;
  uri.remove_prefix(kScheme.size());
  // Only a local authority: the server reads files of this machine.
  const size_t slash = uri.find('/');
  if (slash == std::string_view::npos) return std::nullopt;
  const std::string_view authority = uri.substr(0, slash);
  if (!authority.empty() && authority != "localhost") return std::nullopt;
  uri.remove_prefix(slash);
  const size_t end = uri.find_first_of("?#");
  if (end != std::string_view::npos) uri = uri.substr(0, end);

  std::string path;
  for (size_t i = 0; i < uri.size(); ++i) {
    if (uri[i] != '%') {
      path.push_back(uri[i]);
      continue;
    }
    if (i + 2 >= uri.size() || hex_value(uri[i + 1]) < 0 || hex_value(uri[i + 2]) < 0)
      return std::nullopt;
    const auto c = static_cast<unsigned char>(hex_value(uri[i + 1]) * 16 + hex_value(uri[i + 2]));
    if (control(c)) return std::nullopt;
    path.push_back(static_cast<char>(c));
    i += 2;
  }
  for (size_t i = 0; i < path.size(); ++i)
    if (c1_control(path, i)) return std::nullopt;
  if constexpr (platform::kSeparator == '\\') {
    // "/c:/x" names the drive C.
    if (path.size() >= 3 && path[0] == '/' && std::isalpha(static_cast<unsigned char>(path[1])) &&
        path[2] == ':')
      path.erase(0, 1);
    for (char& c : path)
      if (c == '/') c = '\\';
  }
  return path;
}

std::string uri_of_path(std::string_view path) {
  std::string p(path);
  if constexpr (platform::kSeparator == '\\') {
    for (char& c : p)
      if (c == '\\') c = '/';
    if (p.size() >= 2 && p[1] == ':') p = "/" + p;
  }
  std::string uri = "file://";
  static constexpr char kHex[] = "0123456789ABCDEF";
  for (size_t i = 0; i < p.size(); ++i) {
    const auto c = static_cast<unsigned char>(p[i]);
    // The drive's colon stays, as editors write it.
    if (unreserved(c) || (c == ':' && i == 2 && p[0] == '/')) {
      uri.push_back(static_cast<char>(c));
    } else {
      uri.push_back('%');
      uri.push_back(kHex[c >> 4]);
      uri.push_back(kHex[c & 15]);
    }
  }
  return uri;
}

SplitPath split_path(std::string_view path) {
  size_t at = path.size();
  while (at > 0 && !is_separator(path[at - 1])) --at;
  if (at == 0) return SplitPath{".", std::string(path)};
  return SplitPath{std::string(path.substr(0, at - 1)), std::string(path.substr(at))};
}

Document& DocumentStore::open(const std::string& uri, std::string text, int version) {
  Document& d = documents_[uri];
  d.uri = uri;
  d.path = path_of_uri(uri).value_or("");
  d.text = std::move(text);
  d.version = version;
  d.touched = ++clock_;
  return d;
}

bool DocumentStore::change(const std::string& uri, std::string text, int version) {
  auto it = documents_.find(uri);
  if (it == documents_.end()) return false;
  it->second.text = std::move(text);
  it->second.version = version;
  it->second.touched = ++clock_;
  return true;
}

void DocumentStore::close(const std::string& uri) { documents_.erase(uri); }

const Document* DocumentStore::find(const std::string& uri) const {
  auto it = documents_.find(uri);
  return it == documents_.end() ? nullptr : &it->second;
}

const Document* DocumentStore::find_path(const std::string& path) const {
  if (path.empty()) return nullptr;
  for (const auto& [uri, d] : documents_)
    if (d.path == path) return &d;
  return nullptr;
}

std::vector<const Document*> DocumentStore::all() const {
  std::vector<const Document*> out;
  for (const auto& [uri, d] : documents_) out.push_back(&d);
  return out;
}

}  // namespace tools::lsp
