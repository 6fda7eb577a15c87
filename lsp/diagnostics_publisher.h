#pragma once

// Publishes each open document's diagnostics from a thread of its own.
// Documents changed while messages are still waiting to be read are only
// marked; once the reader has caught up they are analysed, each in its
// latest text, and a result is sent only while its text is still the
// latest: a burst of changes gives one publication.

#include <condition_variable>
#include <mutex>
#include <set>
#include <string>
#include <thread>

#include "lsp/document_store.h"
#include "lsp/message_writer.h"
#include "lsp/position_encoding.h"

namespace zeb::lsp {

class DiagnosticsPublisher {
public:
    DiagnosticsPublisher(const DocumentStore& store, MessageWriter& writer);
    // Waits for the analysis under way, if any; the rest are dropped.
    ~DiagnosticsPublisher();
    DiagnosticsPublisher(const DiagnosticsPublisher&) = delete;
    DiagnosticsPublisher& operator=(const DiagnosticsPublisher&) = delete;

    void setEncoding(PositionEncoding encoding);
    // The document was opened, changed or closed (a closed one's
    // diagnostics are cleared).
    void mark(const std::string& uri);
    // Hands every marked document to the thread.
    void flush();

private:
    void run();
    void publish(const std::string& uri);

    const DocumentStore& store_;
    MessageWriter& writer_;
    std::set<std::string> marked_;  // the reading thread's own

    std::mutex mutex_;
    std::condition_variable wake_;
    std::set<std::string> due_;
    PositionEncoding encoding_ = PositionEncoding::Utf16;
    bool stopping_ = false;
    std::thread thread_;
};

}  // namespace zeb::lsp
