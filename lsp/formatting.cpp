#include "analysis/source_formatter.h"
#include "lsp/document_request.h"
#include "lsp/raw_bytes.h"

namespace zeb::lsp {

// The whole text in one edit: the layout moves most lines of a file that
// needs it, and an editor keeps its cursor across one replacement as well
// as across many. A text with an error is left alone.
nlohmann::json formatDocument(const DocumentRequest& request) {
    const std::shared_ptr<const std::string>& text = request.snapshot.text();
    const FormattedSource formatted = formatSource(text);
    nlohmann::json edits = nlohmann::json::array();
    if (formatted.hasError() || formatted.text == *text) return edits;
    std::string newText = formatted.text;
    if (!isValidUtf8(newText)) {
        newText = wrapRawBytes(newText);
        request.carriesRawBytes = true;
    }
    edits.push_back({{"range", request.positions.rangeJson(Span{0, text->size()})}, {"newText", std::move(newText)}});
    return edits;
}

}  // namespace zeb::lsp
