#include "tools/lsp/protocol.h"

#include <algorithm>
#include <climits>
#include <cstdint>

namespace tools::lsp {
namespace {

using nlohmann::json;

std::optional<int> optional_integer(const json& object, const char* key) {
  const auto value = object.find(key);
  if (value == object.end() || value->is_null()) return std::nullopt;
  return protocol_integer(*value);
}

}  // namespace

int protocol_integer(const json& value) {
  if (value.is_number_unsigned())
    return static_cast<int>(std::min<uint64_t>(value.get<uint64_t>(), INT_MAX));
  if (!value.is_number_integer())
    throw json::type_error::create(302, "a whole number was expected", &value);
  return static_cast<int>(std::clamp<int64_t>(value.get<int64_t>(), INT_MIN, INT_MAX));
}

void from_json(const json& j, Position& position) {
  position.line = protocol_integer(j.at("line"));
  position.character = protocol_integer(j.at("character"));
}

void from_json(const json& j, Range& range) {
  j.at("start").get_to(range.start);
  j.at("end").get_to(range.end);
}

void from_json(const json& j, TextDocumentIdentifier& document) {
  j.at("uri").get_to(document.uri);
}

void from_json(const json& j, VersionedTextDocumentIdentifier& document) {
  j.at("uri").get_to(document.uri);
  document.version = optional_integer(j, "version");
}

void from_json(const json& j, TextDocumentItem& document) {
  j.at("uri").get_to(document.uri);
  j.at("text").get_to(document.text);
  document.version = optional_integer(j, "version");
}

void from_json(const json& j, TextDocumentContentChangeEvent& change) {
  if (j.contains("range")) change.range = j.at("range").get<Range>();
  j.at("text").get_to(change.text);
}

void from_json(const json& j, DidOpenTextDocumentParams& params) {
  j.at("textDocument").get_to(params.textDocument);
}

void from_json(const json& j, DidChangeTextDocumentParams& params) {
  j.at("textDocument").get_to(params.textDocument);
  j.at("contentChanges").get_to(params.contentChanges);
}

void from_json(const json& j, TextDocumentParams& params) {
  j.at("textDocument").get_to(params.textDocument);
}

InitializeParams read_initialize_params(const json& params) {
  InitializeParams read;
  const auto capabilities = params.find("capabilities");
  if (capabilities == params.end() || !capabilities->is_object()) return read;
  if (auto g = capabilities->find("general"); g != capabilities->end() && g->is_object())
    if (auto e = g->find("positionEncodings"); e != g->end() && e->is_array())
      for (const json& name : *e)
        if (name.is_string()) read.positionEncodings.push_back(name.get<std::string>());
  const json::json_pointer snippet_support(
      "/textDocument/completion/completionItem/snippetSupport");
  read.snippetSupport = capabilities->contains(snippet_support) &&
                        capabilities->at(snippet_support).is_boolean() &&
                        capabilities->at(snippet_support).get<bool>();
  return read;
}

void to_json(json& j, const PublishDiagnosticsParams& params) {
  j = {{"uri", params.uri}, {"diagnostics", params.diagnostics}};
  if (params.version >= 0) j["version"] = params.version;
}

}  // namespace tools::lsp
