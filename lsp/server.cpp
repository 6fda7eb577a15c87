#include "lsp/server.h"

#include <signal.h>

#include <iostream>
#include <optional>

#include "lsp/diagnostics_publisher.h"
#include "lsp/document_request.h"
#include "lsp/json_rpc.h"
#include "lsp/message_parser.h"
#include "lsp/message_reader.h"
#include "lsp/message_writer.h"
#include "lsp/raw_bytes.h"
#include "lsp/show_map.h"

namespace zeb::lsp {
namespace {

using nlohmann::json;

// A request that needs an open document and a feature to answer it.
using Feature = json (*)(const DocumentRequest&);

struct FeatureRoute {
    std::string_view method;
    Feature feature;
    json unopened;  // the answer for a document that is not open
};

const FeatureRoute* routeFor(std::string_view method) {
    static const FeatureRoute kRoutes[] = {
        {"textDocument/formatting", formatDocument, json::array()},
        {"textDocument/documentSymbol", documentSymbols, json::array()},
        {"textDocument/definition", definition, nullptr},
        {"textDocument/references", references, json::array()},
        {"textDocument/hover", hover, nullptr},
        {"textDocument/completion", completion, {{"isIncomplete", false}, {"items", json::array()}}},
        {"textDocument/prepareRename", prepareRename, nullptr},
        {"textDocument/rename", rename, nullptr},
    };
    for (const FeatureRoute& route : kRoutes) {
        if (route.method == method) return &route;
    }
    return nullptr;
}

json capabilities(PositionEncoding encoding) {
    return {
        {"positionEncoding", encoding == PositionEncoding::Utf8 ? "utf-8" : "utf-16"},
        {"textDocumentSync", 1},
        {"documentFormattingProvider", true},
        {"documentSymbolProvider", true},
        {"definitionProvider", true},
        {"referencesProvider", true},
        {"hoverProvider", true},
        {"completionProvider", {{"triggerCharacters", {"\"", "(", ","}}}},
        {"renameProvider", {{"prepareProvider", true}}},
        {"executeCommandProvider", {{"commands", {kShowMapCommand}}}},
    };
}

// UTF-8 only when the client offers it: every client takes UTF-16.
PositionEncoding chosenEncoding(const json& params) {
    const json* offered = &params;
    for (const char* key : {"capabilities", "general", "positionEncodings"}) {
        if (!offered->is_object() || !offered->contains(key)) return PositionEncoding::Utf16;
        offered = &(*offered)[key];
    }
    if (!offered->is_array()) return PositionEncoding::Utf16;
    for (const json& name : *offered) {
        if (name == "utf-8") return PositionEncoding::Utf8;
    }
    return PositionEncoding::Utf16;
}

std::optional<std::string> documentUri(const json& params) {
    if (!params.is_object()) return std::nullopt;
    const auto document = params.find("textDocument");
    if (document == params.end() || !document->is_object()) return std::nullopt;
    const auto uri = document->find("uri");
    if (uri == document->end() || !uri->is_string()) return std::nullopt;
    return uri->get<std::string>();
}

class Server {
public:
    Server(int inFd, int outFd, std::string version)
        : reader_(inFd), writer_(outFd), publisher_(store_, writer_), version_(std::move(version)) {
        // Analyses start only once every message already sent has been read.
        reader_.onIdle([this] { publisher_.flush(); });
    }

    int run() {
        std::string body;
        while (reader_.next(body)) {
            handle(body);
            if (exitStatus_) return *exitStatus_;
        }
        // The client went away without saying so.
        return shutdown_ ? 0 : 1;
    }

private:
    void handle(std::string& body) {
        bodyHadRawBytes_ = !isValidUtf8(body);
        if (bodyHadRawBytes_) body = wrapRawBytesOfJson(body);
        json message = parseMessage(body);
        if (message.is_discarded()) {
            writer_.send(errorResponse(nullptr, error::kParseError, "the message is not valid JSON"));
            return;
        }
        if (!message.is_object() || !message.contains("method") || !message["method"].is_string()) {
            const json id = message.is_object() && message.contains("id") ? message["id"] : json(nullptr);
            // A response to a request of ours: the server sends none.
            if (message.is_object() && (message.contains("result") || message.contains("error"))) return;
            writer_.send(errorResponse(id, error::kInvalidRequest, "a message needs a method"));
            return;
        }
        const std::string method = message["method"];
        json noParams = json::object();
        json& params = message.contains("params") ? message["params"] : noParams;
        if (!message.contains("id")) {
            try {
                notify(method, params);
            } catch (const std::exception& e) {
                std::cerr << "zeb lsp: " << method << " was ignored: " << e.what() << '\n';
            }
            return;
        }
        const json& id = message["id"];
        try {
            bool rawBytes = false;
            std::string written;
            json result = request(method, params, rawBytes, written);
            if (written.empty()) {
                writer_.send(response(id, std::move(result)), rawBytes);
            } else {
                writer_.sendText("{\"jsonrpc\":\"2.0\",\"id\":" + id.dump() + ",\"result\":" + written + "}", rawBytes);
            }
        } catch (const RequestError& e) {
            writer_.send(errorResponse(id, e.code, e.what()));
        } catch (const json::exception& e) {
            writer_.send(errorResponse(id, error::kInvalidParams, std::string("invalid params: ") + e.what()));
        } catch (const std::exception& e) {
            writer_.send(errorResponse(id, error::kInternalError, e.what()));
        }
    }

    json request(const std::string& method, const json& params, bool& rawBytes, std::string& written) {
        if (method == "initialize") {
            if (initialized_) throw RequestError(error::kInvalidRequest, "initialize was already received");
            initialized_ = true;
            encoding_ = chosenEncoding(params);
            publisher_.setEncoding(encoding_);
            return {{"capabilities", capabilities(encoding_)},
                    {"serverInfo", {{"name", "zeb"}, {"version", version_}}}};
        }
        if (!initialized_) throw RequestError(error::kServerNotInitialized, "the server is not initialized yet");
        if (shutdown_) throw RequestError(error::kInvalidRequest, "the server is shutting down");
        if (method == "shutdown") {
            shutdown_ = true;
            return nullptr;
        }
        if (method == "workspace/executeCommand") return executeCommand(params, store_);
        const FeatureRoute* route = routeFor(method);
        if (route == nullptr) throw RequestError(error::kMethodNotFound, "unknown method " + method);
        const std::optional<std::string> uri = documentUri(params);
        if (!uri) throw RequestError(error::kInvalidParams, method + " needs params.textDocument.uri");
        const std::shared_ptr<const Snapshot> snapshot = store_.get(*uri);
        if (snapshot == nullptr) {
            if (route->unopened.is_null() && method == "textDocument/rename") {
                throw RequestError(error::kRequestFailed, "the document is not open: " + *uri);
            }
            return route->unopened;
        }
        const DocumentRequest document{*uri, *snapshot, PositionMap(snapshot->lines(), encoding_), params};
        json result = route->feature(document);
        rawBytes = document.carriesRawBytes;
        written = std::move(document.writtenResult);
        return result;
    }

    void notify(const std::string& method, json& params) {
        if (method == "exit") {
            exitStatus_ = shutdown_ ? 0 : 1;
            return;
        }
        if (!initialized_ || shutdown_) return;
        if (method == "textDocument/didOpen") {
            const std::optional<std::string> uri = documentUri(params);
            if (!uri) return;
            json& document = params["textDocument"];
            if (!document.contains("text") || !document["text"].is_string()) return;
            changed(*uri, document.value("version", std::int64_t{0}), document["text"]);
        } else if (method == "textDocument/didChange") {
            const std::optional<std::string> uri = documentUri(params);
            if (!uri || !params.contains("contentChanges") || !params["contentChanges"].is_array()) return;
            json& changes = params["contentChanges"];
            // Full sync: the last change is the whole text.
            if (changes.empty() || !changes.back().is_object() || !changes.back().contains("text")) return;
            json& text = changes.back()["text"];
            if (!text.is_string()) return;
            const json& document = params["textDocument"];
            const std::int64_t version = document.contains("version") && document["version"].is_number_integer()
                                             ? document["version"].get<std::int64_t>()
                                             : 0;
            changed(*uri, version, text);
        } else if (method == "textDocument/didClose") {
            const std::optional<std::string> uri = documentUri(params);
            if (!uri) return;
            store_.close(*uri);
            publisher_.mark(*uri);
        }
        // Every other notification is one the server has no use for.
    }

    void changed(const std::string& uri, std::int64_t version, json& text) {
        // Moved, not copied: a document may be large.
        std::string content = std::move(text.get_ref<std::string&>());
        if (bodyHadRawBytes_) unwrapRawBytes(content);
        store_.put(uri, version, std::move(content));
        publisher_.mark(uri);
    }

    MessageReader reader_;
    MessageWriter writer_;
    DocumentStore store_;
    DiagnosticsPublisher publisher_;
    std::string version_;
    PositionEncoding encoding_ = PositionEncoding::Utf16;
    bool initialized_ = false;
    bool shutdown_ = false;
    bool bodyHadRawBytes_ = false;
    std::optional<int> exitStatus_;
};

}  // namespace

int runLanguageServer(int inFd, int outFd, const std::string& version) {
    // A client that closes its end makes a write fail, not the process die.
    ::signal(SIGPIPE, SIG_IGN);
    try {
        Server server(inFd, outFd, version);
        return server.run();
    } catch (const std::exception& e) {
        std::cerr << "zeb lsp: " << e.what() << '\n';
        return 1;
    }
}

}  // namespace zeb::lsp
