// The documents the editor has open, by URI, and the mapping between file
// URIs and the paths the compiler reads.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tools::lsp {

// The path of a "file:" URI (percent-decoded; on Windows "C:\x\y" from
// "file:///c%3A/x/y"); nothing for another scheme, a malformed URI, or one
// whose path holds a control character (raw, as JSON's "\u0000" gives it, or
// percent-encoded), which names no source and could end the path early.
std::optional<std::string> path_of_uri(std::string_view uri);
// The "file:" URI of a path.
std::string uri_of_path(std::string_view path);

// A path split at its last separator: the folder (without the separator)
// and the file name.
struct SplitPath {
  std::string folder;
  std::string name;
};
SplitPath split_path(std::string_view path);

struct Document {
  std::string uri;   // as the client sent it: diagnostics go back to it
  std::string path;  // empty when the URI is not a file
  std::string text;  // UTF-8, as the editor holds it
  int version = 0;
  long long touched = 0;  // the order of the last open or change
};

class DocumentStore {
 public:
  // Opening again replaces the text, as a change does.
  Document& open(const std::string& uri, std::string text, int version);
  // False when the document is not open.
  bool change(const std::string& uri, std::string text, int version);
  void close(const std::string& uri);

  const Document* find(const std::string& uri) const;
  const Document* find_path(const std::string& path) const;
  std::vector<const Document*> all() const;

 private:
  std::map<std::string, Document> documents_;
  long long clock_ = 0;
};

}  // namespace tools::lsp
