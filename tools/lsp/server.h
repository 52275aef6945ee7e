// `scenarioc lsp`: a language server for the line and train sources. It
// keeps the editor's open documents, compiles the scenario of each in memory
// after every change and publishes the compiler's diagnostics; it answers
// hover, completion, outline and definition requests from that compile. It
// only reads files, never writes, renames or deletes one.
#pragma once

#include <functional>
#include <iosfwd>
#include <map>
#include <memory>
#include <nlohmann/json.hpp>
#include <string>

#include "platform/env.h"
#include "tools/lsp/documents.h"
#include "tools/lsp/positions.h"
#include "tools/lsp/protocol.h"
#include "tools/lsp/scenario.h"

namespace tools::lsp {

class Server {
 public:
  // `send` gets each outgoing message's body; `disk` and `list_folder` are
  // where the sources that are not open are read.
  Server(platform::Env& disk, ListFolder list_folder, std::function<void(const std::string&)> send);

  // Handles one incoming message body, answering as the protocol requires:
  // a body that is not JSON, or not a request or notification, gets an
  // error response with a null id.
  void handle(const std::string& body);
  // A header the reader could not use.
  void bad_header(const std::string& why);

  bool exited() const { return exited_; }
  // 0 after shutdown then exit, 1 for an exit without shutdown.
  int exit_code() const { return shutdown_ ? 0 : 1; }

 private:
  struct Open {
    std::shared_ptr<const ScenarioCompile> compile;
    model::FileKind file = model::FileKind::kLineSource;
  };

  void request(const nlohmann::json& id, const std::string& method, const nlohmann::json& params);
  void notification(const std::string& method, const nlohmann::json& params);
  nlohmann::json initialize(const nlohmann::json& params);

  // The handlers of the method tables in server.cc: a request's gives the
  // result, and throws nlohmann's exceptions for params of the wrong shape.
  using RequestHandler = nlohmann::json (Server::*)(const nlohmann::json& params);
  using NotificationHandler = void (Server::*)(const nlohmann::json& params);
  nlohmann::json on_shutdown(const nlohmann::json& params);
  nlohmann::json on_document_symbol(const nlohmann::json& params);
  nlohmann::json on_definition(const nlohmann::json& params);
  nlohmann::json on_hover(const nlohmann::json& params);
  nlohmann::json on_completion(const nlohmann::json& params);
  void did_open(const nlohmann::json& params);
  void did_change(const nlohmann::json& params);
  void did_save(const nlohmann::json& params);
  void did_close(const nlohmann::json& params);
  // Compiles every open source of the folder and publishes what was found.
  void refresh(const std::string& folder);
  void publish(PublishDiagnosticsParams params);

  // The compile that answers requests on a document, with its locator.
  struct Answering;
  std::optional<Answering> answering(const TextDocumentIdentifier& document);

  void respond(const nlohmann::json& id, nlohmann::json result);
  void respond_error(const nlohmann::json& id, int code, const std::string& message);
  void send(const nlohmann::json& message);

  platform::Env& disk_;
  ListFolder list_folder_;
  std::function<void(const std::string&)> send_;
  DocumentStore documents_;
  std::map<std::string, Open> open_;  // by URI, for the open sources
  PositionEncoding encoding_ = PositionEncoding::kUtf16;
  bool snippets_ = false;  // the client takes snippets in completions
  bool initialized_ = false;
  bool shutdown_ = false;
  bool exited_ = false;
};

// Reads framed messages from `in` and answers on `out` until `exit` or the
// end of the stream; returns the process exit status.
int serve(std::istream& in, std::ostream& out, platform::Env& disk, ListFolder list_folder);

}  // namespace tools::lsp
