// The protocol's messages that the server reads and sends, as types. Each
// from_json reads the fields the server uses and throws nlohmann's exception
// for one that is missing or of the wrong type: the server answers a request
// with such params as bad params and drops such a notification.
#pragma once

#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <vector>

#include "tools/lsp/positions.h"

namespace tools::lsp {

// A whole number of the protocol, held to what an int holds: a float such as
// 1e300 is refused rather than converted, which would be undefined.
int protocol_integer(const nlohmann::json& value);

void from_json(const nlohmann::json& j, Position& position);

struct Range {
  Position start;
  Position end;
};
void from_json(const nlohmann::json& j, Range& range);

struct TextDocumentIdentifier {
  std::string uri;
};
void from_json(const nlohmann::json& j, TextDocumentIdentifier& document);

struct VersionedTextDocumentIdentifier {
  std::string uri;
  std::optional<int> version;  // none when absent or null
};
void from_json(const nlohmann::json& j, VersionedTextDocumentIdentifier& document);

struct TextDocumentItem {
  std::string uri;
  std::string text;
  std::optional<int> version;  // none when absent or null
};
void from_json(const nlohmann::json& j, TextDocumentItem& document);

// A whole new text when `range` is absent, else the text that replaces it.
struct TextDocumentContentChangeEvent {
  std::optional<Range> range;
  std::string text;
};
void from_json(const nlohmann::json& j, TextDocumentContentChangeEvent& change);

struct DidOpenTextDocumentParams {
  TextDocumentItem textDocument;
};
void from_json(const nlohmann::json& j, DidOpenTextDocumentParams& params);

struct DidChangeTextDocumentParams {
  VersionedTextDocumentIdentifier textDocument;
  std::vector<TextDocumentContentChangeEvent> contentChanges;
};
void from_json(const nlohmann::json& j, DidChangeTextDocumentParams& params);

// didSave and didClose: the document is all the server reads.
struct TextDocumentParams {
  TextDocumentIdentifier textDocument;
};
void from_json(const nlohmann::json& j, TextDocumentParams& params);

// What the server takes from initialize's params. Read leniently: a client's
// capabilities of another shape are as good as none.
struct InitializeParams {
  std::vector<std::string> positionEncodings;  // general.positionEncodings, in the client's order
  bool snippetSupport = false;  // textDocument.completion.completionItem.snippetSupport
};
InitializeParams read_initialize_params(const nlohmann::json& params);

struct PublishDiagnosticsParams {
  std::string uri;
  int version = -1;            // left out of the message when negative
  nlohmann::json diagnostics;  // Diagnostic[]
};
void to_json(nlohmann::json& j, const PublishDiagnosticsParams& params);

}  // namespace tools::lsp
