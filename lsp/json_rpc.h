#pragma once

// JSON-RPC 2.0 as the protocol uses it: the error codes, and the shapes of
// a response, an error response and a notification.

#include <nlohmann/json.hpp>
#include <stdexcept>
#include <string>

namespace zeb::lsp {

namespace error {
inline constexpr int kParseError = -32700;
inline constexpr int kInvalidRequest = -32600;
inline constexpr int kMethodNotFound = -32601;
inline constexpr int kInvalidParams = -32602;
inline constexpr int kInternalError = -32603;
inline constexpr int kServerNotInitialized = -32002;
inline constexpr int kRequestFailed = -32803;
}  // namespace error

// Thrown by a request's handler to answer with an error instead of a result.
struct RequestError : std::runtime_error {
    RequestError(int code, const std::string& message) : std::runtime_error(message), code(code) {}
    int code;
};

inline nlohmann::json response(const nlohmann::json& id, nlohmann::json result) {
    return {{"jsonrpc", "2.0"}, {"id", id}, {"result", std::move(result)}};
}

inline nlohmann::json errorResponse(const nlohmann::json& id, int code, const std::string& message) {
    return {{"jsonrpc", "2.0"}, {"id", id}, {"error", {{"code", code}, {"message", message}}}};
}

inline nlohmann::json notification(const std::string& method, nlohmann::json params) {
    return {{"jsonrpc", "2.0"}, {"method", method}, {"params", std::move(params)}};
}

}  // namespace zeb::lsp
