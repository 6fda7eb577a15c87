#pragma once

// What every request on one document hands its feature: the document's
// snapshot, positions in the session's encoding, and the request's params.
// Each feature is a function of its own file.

#include <cstddef>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>

#include "lsp/document_store.h"
#include "lsp/position_encoding.h"

namespace zeb::lsp {

struct DocumentRequest {
    const std::string& uri;
    const Snapshot& snapshot;
    PositionMap positions;
    const nlohmann::json& params;
    // Set by a feature whose result holds stand-ins of bytes that are not
    // UTF-8 (raw_bytes.h).
    mutable bool carriesRawBytes = false;
    // The result as JSON text, for a result too large to build as values;
    // it stands for the returned value when it is not empty.
    mutable std::string writtenResult{};

    // The offset of params.position, clamped to the text; none without one.
    std::optional<std::size_t> cursor() const;
    nlohmann::json location(Span span) const { return {{"uri", uri}, {"range", positions.rangeJson(span)}}; }
};

// Each returns the request's result; a refusal throws RequestError.
nlohmann::json formatDocument(const DocumentRequest& request);
nlohmann::json documentSymbols(const DocumentRequest& request);
nlohmann::json definition(const DocumentRequest& request);
nlohmann::json references(const DocumentRequest& request);
nlohmann::json hover(const DocumentRequest& request);
nlohmann::json completion(const DocumentRequest& request);
nlohmann::json prepareRename(const DocumentRequest& request);
nlohmann::json rename(const DocumentRequest& request);

}  // namespace zeb::lsp
