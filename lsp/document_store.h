#pragma once

// The open documents: for each, its latest text as a snapshot that is
// analysed at most once, whichever thread asks first. A snapshot lives on
// while a request or an analysis still holds it, so a change never pulls a
// text from under a reader; the store itself keeps only the latest.

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>

#include "analysis/analysis.h"
#include "analysis/name_lookup.h"
#include "analysis/source_lines.h"

namespace zeb::lsp {

class Snapshot {
public:
    // The text's line ends must be normalised.
    Snapshot(std::int64_t version, std::shared_ptr<const std::string> text);
    Snapshot(const Snapshot&) = delete;
    Snapshot& operator=(const Snapshot&) = delete;

    std::int64_t version() const { return version_; }
    const std::shared_ptr<const std::string>& text() const { return text_; }
    const SourceLines& lines() const { return lines_; }
    // Made on first use; a second caller waits for the first.
    const MissionAnalysis& analysis() const;
    const NameLookup& names() const;

private:
    // Destroyed last, after the text and its record: hands the memory of a
    // large one back to the system, which the allocator would otherwise
    // keep for itself after a large document is closed or replaced.
    struct MemoryReturn {
        std::size_t size;
        ~MemoryReturn();
    };
    MemoryReturn memoryReturn_;
    std::int64_t version_;
    std::shared_ptr<const std::string> text_;
    SourceLines lines_;
    mutable std::once_flag analysed_;
    mutable std::unique_ptr<MissionAnalysis> analysis_;
    mutable std::once_flag named_;
    mutable std::unique_ptr<NameLookup> names_;
};

class DocumentStore {
public:
    // Opening and changing both replace the whole text.
    void put(const std::string& uri, std::int64_t version, std::string text);
    void close(const std::string& uri);
    // The latest snapshot, or none for a document that is not open.
    std::shared_ptr<const Snapshot> get(const std::string& uri) const;
    // Runs `then` while the snapshot is still the document's latest, with
    // no change let in meanwhile; false when it is not.
    bool whileLatest(const std::string& uri, const Snapshot& snapshot, const std::function<void()>& then) const;

private:
    mutable std::mutex mutex_;
    std::map<std::string, std::shared_ptr<const Snapshot>> documents_;
};

}  // namespace zeb::lsp
