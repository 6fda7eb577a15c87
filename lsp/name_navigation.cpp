// Go to definition and find references: both follow the name under the
// cursor to the other mentions of the same kind and name.

#include "lsp/document_request.h"

namespace zeb::lsp {
namespace {

const PlacedName* nameAtCursor(const DocumentRequest& request) {
    const std::optional<std::size_t> at = request.cursor();
    if (!at) return nullptr;
    return request.snapshot.names().at(*at);
}

}  // namespace

nlohmann::json definition(const DocumentRequest& request) {
    const PlacedName* name = nameAtCursor(request);
    if (name == nullptr) return nullptr;
    const PlacedName* declared = request.snapshot.names().declarationOf(name->kind, name->name);
    if (declared == nullptr) return nullptr;
    return request.location(declared->span);
}

nlohmann::json references(const DocumentRequest& request) {
    nlohmann::json found = nlohmann::json::array();
    const PlacedName* name = nameAtCursor(request);
    if (name == nullptr) return found;
    bool withDeclarations = true;
    if (const auto context = request.params.find("context"); context != request.params.end() && context->is_object()) {
        withDeclarations = context->value("includeDeclaration", true);
    }
    for (const PlacedName* mention : request.snapshot.names().mentionsOf(name->kind, name->name)) {
        if (mention->declaration && !withDeclarations) continue;
        found.push_back(request.location(mention->span));
    }
    return found;
}

}  // namespace zeb::lsp
