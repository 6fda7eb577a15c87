#include "lsp/show_map.h"

#include <string>

#include "lsp/json_rpc.h"
#include "map/mission_map.h"

namespace zeb::lsp {
namespace {

// The URI as a string, or as the {"uri": ...} of a document identifier.
std::string uriArgument(const nlohmann::json& params) {
    const auto arguments = params.find("arguments");
    if (arguments != params.end() && arguments->is_array() && !arguments->empty()) {
        const nlohmann::json& first = (*arguments)[0];
        if (first.is_string()) return first.get<std::string>();
        if (first.is_object() && first.contains("uri") && first["uri"].is_string()) return first["uri"];
    }
    throw RequestError(error::kInvalidParams,
                       std::string(kShowMapCommand) + " needs the document's URI as its argument");
}

const Diagnostic& firstError(const std::vector<Diagnostic>& diagnostics) {
    for (const Diagnostic& d : diagnostics) {
        if (d.severity == Severity::Error) return d;
    }
    return diagnostics.front();
}

}  // namespace

nlohmann::json executeCommand(const nlohmann::json& params, const DocumentStore& store) {
    if (!params.is_object() || !params.contains("command") || params["command"] != kShowMapCommand) {
        throw RequestError(error::kInvalidParams, "the only command is " + std::string(kShowMapCommand));
    }
    const std::string uri = uriArgument(params);
    const std::shared_ptr<const Snapshot> snapshot = store.get(uri);
    if (snapshot == nullptr) throw RequestError(error::kRequestFailed, "the document is not open: " + uri);
    const MissionAnalysis& analysis = snapshot->analysis();
    if (analysis.hasError()) {
        const Diagnostic& error = firstError(analysis.diagnostics);
        const SourcePlace at = snapshot->lines().place(error.span.begin);
        throw RequestError(error::kRequestFailed, "no map while the mission has an error: line " +
                                                      std::to_string(at.line) + ": " + error.message);
    }
    return map::drawMissionMap(*analysis.mission);
}

}  // namespace zeb::lsp
