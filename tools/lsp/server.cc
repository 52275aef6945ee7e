#include "tools/lsp/server.h"

#include <exception>
#include <functional>
#include <istream>
#include <map>
#include <ostream>
#include <string_view>

#include "tools/lsp/edits.h"
#include "tools/lsp/features.h"
#include "tools/lsp/hover.h"
#include "tools/lsp/message_limits.h"
#include "tools/lsp/message_reader.h"

namespace tools::lsp {
namespace {

using model::FileKind;
using nlohmann::json;

// JSON-RPC's and the protocol's error codes.
constexpr int kParseError = -32700;
constexpr int kInvalidRequest = -32600;
constexpr int kMethodNotFound = -32601;
constexpr int kInvalidParams = -32602;
constexpr int kInternalError = -32603;
constexpr int kServerNotInitialized = -32002;

constexpr int kFullSync = 1;

// A request id is a number or a string.
bool valid_id(const json& id) { return id.is_number_integer() || id.is_string(); }

// The document a request is about. Its position is read only once the
// document is known to be open: a request on any other gets the empty answer
// whatever else its params hold.
TextDocumentIdentifier document_of(const json& params) {
  return params.at("textDocument").get<TextDocumentIdentifier>();
}
Position position_of(const json& params) { return params.at("position").get<Position>(); }

}  // namespace

struct Server::Answering {
  std::shared_ptr<const ScenarioCompile> compile;
  FileKind file;
  Locator locator;
};

Server::Server(platform::Env& disk, ListFolder list_folder,
               std::function<void(const std::string&)> send)
    : disk_(disk), list_folder_(std::move(list_folder)), send_(std::move(send)) {}

void Server::send(const json& message) {
  // Replaced, not thrown on: a file name in a message may hold any bytes.
  send_(message.dump(-1, ' ', false, json::error_handler_t::replace));
}

void Server::respond(const json& id, json result) {
  send({{"jsonrpc", "2.0"}, {"id", id}, {"result", std::move(result)}});
}

void Server::respond_error(const json& id, int code, const std::string& message) {
  send({{"jsonrpc", "2.0"}, {"id", id}, {"error", {{"code", code}, {"message", message}}}});
}

void Server::bad_header(const std::string& why) {
  respond_error(nullptr, kParseError, "unreadable message header: " + why);
}

void Server::handle(const std::string& body) {
  // Checked before the parse builds anything: a deep or huge message would
  // cost many times its size.
  if (std::optional<std::string> passed = beyond_caps(body)) {
    respond_error(nullptr, kInvalidRequest, "refused: " + *passed);
    return;
  }
  json message = json::parse(body, nullptr, false);
  if (message.is_discarded()) {
    respond_error(nullptr, kParseError, "the message is not JSON");
    return;
  }
  if (!message.is_object()) {
    respond_error(nullptr, kInvalidRequest, "a message must be a JSON object");
    return;
  }
  const auto method = message.find("method");
  const auto id = message.find("id");
  if (method == message.end()) {
    // A response to a request of ours (we send none) is dropped; anything
    // else is not a message.
    if (id != message.end() && (message.contains("result") || message.contains("error"))) return;
    respond_error(id != message.end() && valid_id(*id) ? *id : json(nullptr), kInvalidRequest,
                  "a message without a method");
    return;
  }
  if (!method->is_string() || (id != message.end() && !valid_id(*id))) {
    respond_error(id != message.end() && valid_id(*id) ? *id : json(nullptr), kInvalidRequest,
                  "the method must be a string and the id a number or a string");
    return;
  }
  static const json kNoParams = json::object();
  const auto params = message.find("params");
  const json& p = params == message.end() ? kNoParams : *params;
  try {
    if (id != message.end())
      request(*id, method->get<std::string>(), p);
    else
      notification(method->get<std::string>(), p);
  } catch (const json::exception& e) {
    // Parameters of the wrong shape: a request is told, a notification dropped.
    if (id != message.end())
      respond_error(*id, kInvalidParams, std::string("bad params: ") + e.what());
  } catch (const std::exception& e) {
    // Nothing else is expected (memory running out); the server goes on.
    if (id != message.end()) respond_error(*id, kInternalError, e.what());
  }
}

void Server::request(const json& id, const std::string& method, const json& params) {
  if (shutdown_) {
    respond_error(id, kInvalidRequest, "the server is shutting down");
    return;
  }
  if (method == "initialize") {
    if (initialized_) {
      respond_error(id, kInvalidRequest, "initialize was already received");
      return;
    }
    respond(id, initialize(params));
    initialized_ = true;
    return;
  }
  if (!initialized_) {
    respond_error(id, kServerNotInitialized, "initialize must come first");
    return;
  }
  static const std::map<std::string, RequestHandler, std::less<>> kRequests = {
      {"shutdown", &Server::on_shutdown},
      {"textDocument/documentSymbol", &Server::on_document_symbol},
      {"textDocument/definition", &Server::on_definition},
      {"textDocument/hover", &Server::on_hover},
      {"textDocument/completion", &Server::on_completion},
  };
  if (const auto handler = kRequests.find(method); handler != kRequests.end()) {
    respond(id, (this->*handler->second)(params));
    return;
  }
  respond_error(id, kMethodNotFound, "unknown method: " + method);
}

void Server::notification(const std::string& method, const json& params) {
  if (method == "exit") {
    exited_ = true;
    return;
  }
  if (!initialized_ || shutdown_) return;
  static const std::map<std::string, NotificationHandler, std::less<>> kNotifications = {
      {"textDocument/didOpen", &Server::did_open},
      {"textDocument/didChange", &Server::did_change},
      {"textDocument/didSave", &Server::did_save},
      {"textDocument/didClose", &Server::did_close},
  };
  if (const auto handler = kNotifications.find(method); handler != kNotifications.end())
    (this->*handler->second)(params);
  // Every other notification ($/cancelRequest, initialized, ...) needs no answer.
}

json Server::initialize(const json& params) {
  const InitializeParams client = read_initialize_params(params);
  snippets_ = client.snippetSupport;
  // The first encoding of the client's list that the server knows; UTF-16
  // when it offers none.
  for (const std::string& name : client.positionEncodings) {
    if (name == "utf-8")
      encoding_ = PositionEncoding::kUtf8;
    else if (name == "utf-32")
      encoding_ = PositionEncoding::kUtf32;
    else if (name == "utf-16")
      encoding_ = PositionEncoding::kUtf16;
    else
      continue;
    break;
  }
  return {{"capabilities",
           {{"positionEncoding", encoding_name(encoding_)},
            {"textDocumentSync",
             {{"openClose", true}, {"change", kFullSync}, {"save", {{"includeText", false}}}}},
            {"hoverProvider", true},
            {"completionProvider", {{"resolveProvider", false}}},
            {"documentSymbolProvider", true},
            {"definitionProvider", true}}},
          {"serverInfo", {{"name", "scenarioc"}}}};
}

json Server::on_shutdown(const json&) {
  shutdown_ = true;
  return nullptr;
}

json Server::on_document_symbol(const json& params) {
  std::optional<Answering> a = answering(document_of(params));
  return a ? document_symbols(a->locator, a->file) : json::array();
}

json Server::on_definition(const json& params) {
  std::optional<Answering> a = answering(document_of(params));
  return a ? definition(a->locator, a->file, position_of(params)) : json::array();
}

json Server::on_hover(const json& params) {
  std::optional<Answering> a = answering(document_of(params));
  return a ? hover(a->locator, a->file, position_of(params)) : json(nullptr);
}

json Server::on_completion(const json& params) {
  std::optional<Answering> a = answering(document_of(params));
  return a ? completion(a->file, snippets_) : json::array();
}

void Server::did_open(const json& params) {
  DidOpenTextDocumentParams open = params.get<DidOpenTextDocumentParams>();
  const Document& d = documents_.open(open.textDocument.uri, std::move(open.textDocument.text),
                                      open.textDocument.version.value_or(0));
  if (d.path.empty() || !model::source_kind(split_path(d.path).name)) {
    publish({d.uri, d.version, json::array()});  // not a source: nothing to say
    return;
  }
  refresh(split_path(d.path).folder);
}

void Server::did_change(const json& params) {
  DidChangeTextDocumentParams change = params.get<DidChangeTextDocumentParams>();
  const std::string& uri = change.textDocument.uri;
  const Document* d = documents_.find(uri);
  if (!d) return;
  // Whole texts replace the buffer without a copy of the old one; ranged
  // edits (the server asks for whole texts) are applied to a copy held in
  // blocks, so that none copies the whole text.
  std::string text;
  std::optional<EditedText> edited;
  bool from_old = true;
  for (TextDocumentContentChangeEvent& event : change.contentChanges) {
    if (!event.range) {
      text = std::move(event.text);
      edited.reset();
      from_old = false;
      continue;
    }
    if (!edited) edited.emplace(from_old ? d->text : text, encoding_), from_old = false;
    edited->replace(event.range->start, event.range->end, event.text);
  }
  if (from_old) return;  // no change at all
  if (edited) text = edited->text();
  const int version = change.textDocument.version.value_or(d->version);
  documents_.change(uri, std::move(text), version);
  d = documents_.find(uri);
  if (!d->path.empty() && model::source_kind(split_path(d->path).name))
    refresh(split_path(d->path).folder);
}

void Server::did_save(const json& params) {
  // The buffer is what the compile reads; a save changes what the other
  // sources of the folder read from the disk only for closed files.
  const Document* d = documents_.find(params.get<TextDocumentParams>().textDocument.uri);
  if (d && !d->path.empty()) refresh(split_path(d->path).folder);
}

void Server::did_close(const json& params) {
  const std::string uri = params.get<TextDocumentParams>().textDocument.uri;
  const Document* d = documents_.find(uri);
  if (!d) return;
  const std::string path = d->path;
  documents_.close(uri);
  open_.erase(uri);
  publish({uri, -1, json::array()});
  if (!path.empty() && model::source_kind(split_path(path).name)) refresh(split_path(path).folder);
}

void Server::refresh(const std::string& folder) {
  const Sources sources{documents_, disk_, list_folder_};
  std::map<ScenarioKey, std::shared_ptr<const ScenarioCompile>> compiles;
  for (const Document* d : documents_.all()) {
    if (d->path.empty()) continue;
    const SplitPath split = split_path(d->path);
    const std::optional<FileKind> kind = model::source_kind(split.name);
    if (split.folder != folder || !kind) continue;
    const std::optional<ScenarioKey> key = scenario_of(d->path, sources);
    if (!key) continue;
    auto& compile = compiles[*key];
    if (!compile) {
      compile = std::make_shared<ScenarioCompile>(compile_scenario(*key, sources));
    }
    open_[d->uri] = Open{compile, *kind};
  }
  for (const Document* d : documents_.all()) {
    auto it = open_.find(d->uri);
    if (it == open_.end() || split_path(d->path).folder != folder) continue;
    const ScenarioCompile& c = *it->second.compile;
    const Locator locator(c, encoding_, [&](FileKind file) {
      const Document* mine = documents_.find_path(c.source(file).path);
      return mine ? mine->uri : uri_of_path(c.source(file).path);
    });
    publish({d->uri, d->version, diagnostics(locator, it->second.file)});
  }
}

void Server::publish(PublishDiagnosticsParams params) {
  send({{"jsonrpc", "2.0"},
        {"method", "textDocument/publishDiagnostics"},
        {"params", std::move(params)}});
}

std::optional<Server::Answering> Server::answering(const TextDocumentIdentifier& document) {
  auto it = open_.find(document.uri);
  if (it == open_.end()) return std::nullopt;
  std::shared_ptr<const ScenarioCompile> c = it->second.compile;
  const ScenarioCompile& compile = *c;
  return Answering{c, it->second.file, Locator(compile, encoding_, [this, c](FileKind file) {
                     const Document* mine = documents_.find_path(c->source(file).path);
                     return mine ? mine->uri : uri_of_path(c->source(file).path);
                   })};
}

int serve(std::istream& in, std::ostream& out, platform::Env& disk, ListFolder list_folder) {
  Server server(disk, std::move(list_folder),
                [&out](const std::string& body) { write_message(out, body); });
  MessageReader reader(in);
  while (!server.exited()) {
    Frame frame = reader.next();
    if (frame.kind == Frame::Kind::kEnd) return 1;  // the client went away without exit
    if (frame.kind == Frame::Kind::kBadHeader)
      server.bad_header(frame.body);
    else
      server.handle(frame.body);
  }
  return server.exit_code();
}

}  // namespace tools::lsp
