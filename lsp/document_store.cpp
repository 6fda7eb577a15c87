#include "lsp/document_store.h"

#if defined(__GLIBC__)
#include <malloc.h>
#endif

#include "frontend/source_reader.h"

namespace zeb::lsp {

namespace {

// Below this the memory is not worth a pass over the allocator's heap.
constexpr std::size_t kReturnedFrom = 1 << 20;

}  // namespace

Snapshot::MemoryReturn::~MemoryReturn() {
#if defined(__GLIBC__)
    if (size >= kReturnedFrom) ::malloc_trim(0);
#endif
}

Snapshot::Snapshot(std::int64_t version, std::shared_ptr<const std::string> text)
    : memoryReturn_{text->size()}, version_(version), text_(std::move(text)), lines_(*text_) {}

const MissionAnalysis& Snapshot::analysis() const {
    std::call_once(analysed_, [this] {
        // A document being edited often has an error, and a parse that
        // would then be made twice is not worth its gain on a clean one.
        AnalysisOptions options;
        options.actionsOnSecondThreadFrom = AnalysisOptions::kNever;
        analysis_ = std::make_unique<MissionAnalysis>(analyzeMission(text_, options));
    });
    return *analysis_;
}

const NameLookup& Snapshot::names() const {
    std::call_once(named_, [this] { names_ = std::make_unique<NameLookup>(*text_, analysis()); });
    return *names_;
}

void DocumentStore::put(const std::string& uri, std::int64_t version, std::string text) {
    normaliseLineEnds(text);
    auto snapshot = std::make_shared<const Snapshot>(version, std::make_shared<const std::string>(std::move(text)));
    // The old snapshot is let go outside the lock: the last holder frees it.
    std::shared_ptr<const Snapshot> old;
    std::lock_guard lock(mutex_);
    std::shared_ptr<const Snapshot>& slot = documents_[uri];
    old = std::move(slot);
    slot = std::move(snapshot);
}

void DocumentStore::close(const std::string& uri) {
    std::shared_ptr<const Snapshot> old;
    std::lock_guard lock(mutex_);
    const auto found = documents_.find(uri);
    if (found == documents_.end()) return;
    old = std::move(found->second);
    documents_.erase(found);
}

std::shared_ptr<const Snapshot> DocumentStore::get(const std::string& uri) const {
    std::lock_guard lock(mutex_);
    const auto found = documents_.find(uri);
    return found == documents_.end() ? nullptr : found->second;
}

bool DocumentStore::whileLatest(const std::string& uri, const Snapshot& snapshot,
                                const std::function<void()>& then) const {
    std::lock_guard lock(mutex_);
    const auto found = documents_.find(uri);
    if (found == documents_.end() || found->second.get() != &snapshot) return false;
    then();
    return true;
}

}  // namespace zeb::lsp
