#include "lsp/document_request.h"

namespace zeb::lsp {

std::optional<std::size_t> DocumentRequest::cursor() const {
    if (!params.is_object()) return std::nullopt;
    const auto found = params.find("position");
    LinePosition position;
    if (found == params.end() || !PositionMap::fromJson(*found, position)) return std::nullopt;
    return positions.offsetOf(position);
}

}  // namespace zeb::lsp
