#include "lsp/diagnostics_publisher.h"

#include <iostream>

namespace zeb::lsp {
namespace {

int severityNumber(Severity severity) {
    switch (severity) {
    case Severity::Error: return 1;
    case Severity::Warning: return 2;
    case Severity::Note: return 3;
    }
    return 1;
}

nlohmann::json diagnosticJson(const Diagnostic& d, const std::string& uri, const PositionMap& positions) {
    nlohmann::json out = {
        {"range", positions.rangeJson(d.span)},
        {"severity", severityNumber(d.severity)},
        {"code", std::string(d.code)},
        {"source", "zeb"},
        {"message", d.message},
    };
    if (!d.notes.empty()) {
        nlohmann::json related = nlohmann::json::array();
        for (const DiagnosticNote& note : d.notes) {
            related.push_back(
                {{"location", {{"uri", uri}, {"range", positions.rangeJson(note.span)}}}, {"message", note.message}});
        }
        out["relatedInformation"] = std::move(related);
    }
    return out;
}

nlohmann::json publication(const std::string& uri, nlohmann::json diagnostics, const Snapshot* snapshot) {
    nlohmann::json params = {{"uri", uri}, {"diagnostics", std::move(diagnostics)}};
    if (snapshot != nullptr) params["version"] = snapshot->version();
    return {{"jsonrpc", "2.0"}, {"method", "textDocument/publishDiagnostics"}, {"params", std::move(params)}};
}

}  // namespace

DiagnosticsPublisher::DiagnosticsPublisher(const DocumentStore& store, MessageWriter& writer)
    : store_(store), writer_(writer), thread_([this] { run(); }) {}

DiagnosticsPublisher::~DiagnosticsPublisher() {
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    wake_.notify_all();
    thread_.join();
}

void DiagnosticsPublisher::setEncoding(PositionEncoding encoding) {
    std::lock_guard lock(mutex_);
    encoding_ = encoding;
}

void DiagnosticsPublisher::mark(const std::string& uri) {
    marked_.insert(uri);
}

void DiagnosticsPublisher::flush() {
    if (marked_.empty()) return;
    {
        std::lock_guard lock(mutex_);
        due_.merge(marked_);
    }
    marked_.clear();
    wake_.notify_one();
}

void DiagnosticsPublisher::run() {
    for (;;) {
        std::string uri;
        {
            std::unique_lock lock(mutex_);
            wake_.wait(lock, [this] { return stopping_ || !due_.empty(); });
            if (stopping_) return;
            uri = *due_.begin();
            due_.erase(due_.begin());
        }
        try {
            publish(uri);
        } catch (const std::exception& e) {
            // Most likely memory ran out for a huge text; the next change tries again.
            std::cerr << "zeb lsp: the diagnostics of " << uri << " could not be made: " << e.what() << '\n';
        }
    }
}

void DiagnosticsPublisher::publish(const std::string& uri) {
    PositionEncoding encoding;
    {
        std::lock_guard lock(mutex_);
        encoding = encoding_;
    }
    const std::shared_ptr<const Snapshot> snapshot = store_.get(uri);
    if (snapshot == nullptr) {
        writer_.send(publication(uri, nlohmann::json::array(), nullptr));
        return;
    }
    const MissionAnalysis& analysis = snapshot->analysis();
    const PositionMap positions(snapshot->lines(), encoding);
    nlohmann::json diagnostics = nlohmann::json::array();
    for (const Diagnostic& d : analysis.diagnostics) diagnostics.push_back(diagnosticJson(d, uri, positions));
    const nlohmann::json message = publication(uri, std::move(diagnostics), snapshot.get());
    // A later change has its own publication coming.
    store_.whileLatest(uri, *snapshot, [&] { writer_.send(message); });
}

}  // namespace zeb::lsp
