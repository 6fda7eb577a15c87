#pragma once

// The command zeb.showMap: the picture `zeb map` draws of an open document,
// for a client to show beside the text. Its one argument is the document's
// URI; its result is the SVG text.

#include <nlohmann/json.hpp>
#include <string_view>

#include "lsp/document_store.h"

namespace zeb::lsp {

inline constexpr std::string_view kShowMapCommand = "zeb.showMap";

// The answer to workspace/executeCommand; a refusal throws RequestError.
nlohmann::json executeCommand(const nlohmann::json& params, const DocumentStore& store);

}  // namespace zeb::lsp
