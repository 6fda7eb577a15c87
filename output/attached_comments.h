#pragma once

// The comments of a source, each placed on the construct the source layout
// writes it with. A construct is a record of the mission, or one part of a
// record that has a line of its own (an area's radius, a team's plan).

#include <cstddef>
#include <cstdint>
#include <deque>
#include <string_view>
#include <vector>

namespace zeb {

enum class CommentedPart : std::uint8_t {
    Whole,
    // Of the mission record.
    Author,
    Description,
    Rules,
    Map,
    MapStyle,
    Annotation,
    Objectives,
    // Of an area.
    AreaStyle,
    AreaLocations,
    AreaEntrances,
    AreaExits,
    AreaWindows,
    AreaRadius,
    // Of a member, and of a team.
    Skill,
    Plan,
};

// The places a comment can take around one construct, as formatters name
// them: leading, trailing and dangling.
struct CommentPlaces {
    std::vector<std::string_view> before;     // own lines above it, at its indent
    std::vector<std::string_view> afterHead;  // at the end of its first line
    std::vector<std::string_view> afterEnd;   // at the end of its last line
    std::vector<std::string_view> inside;     // own lines before its closing line
    std::vector<std::string_view> after;      // own lines below it, at its indent
};

class AttachedComments {
public:
    // Null when the construct has no comment: the common case, and the
    // writer then has nothing to do. The writer asks for every construct of
    // the mission, so a miss is one probe of a flat table.
    const CommentPlaces* find(const void* record, CommentedPart part = CommentedPart::Whole) const {
        if (places_.empty()) return nullptr;
        const std::uint64_t hash = mix(record, part);
        if ((filter_[filterWord(hash)] & filterBit(hash)) == 0) return nullptr;
        const Slot& slot = slots_[probe(record, part, hash)];
        return slot.record == nullptr ? nullptr : &places_[slot.index];
    }
    // The places of a construct, made empty on first use; a reference stays
    // good while more are made.
    CommentPlaces& at(const void* record, CommentedPart part = CommentedPart::Whole) {
        if ((places_.size() + 1) * 2 > slots_.size()) grow();
        const std::uint64_t hash = mix(record, part);
        Slot& slot = slots_[probe(record, part, hash)];
        if (slot.record == nullptr) {
            slot = Slot{record, part, places_.size()};
            places_.emplace_back();
            filter_[filterWord(hash)] |= filterBit(hash);
        }
        return places_[slot.index];
    }
    bool empty() const { return places_.empty(); }
    void reserve(std::size_t constructs) {
        while (constructs * 2 > slots_.size()) grow();
    }

private:
    struct Slot {
        const void* record = nullptr;  // none: a free slot
        CommentedPart part{};
        std::size_t index = 0;  // in places_
    };

    static std::uint64_t mix(const void* record, CommentedPart part) {
        return (reinterpret_cast<std::uintptr_t>(record) ^ static_cast<std::uint64_t>(part)) * 0x9E3779B97F4A7C15ull;
    }

    std::size_t probe(const void* record, CommentedPart part, std::uint64_t hash) const {
        const std::size_t mask = slots_.size() - 1;
        for (std::size_t at = static_cast<std::size_t>(hash >> 32) & mask;; at = (at + 1) & mask) {
            const Slot& slot = slots_[at];
            if (slot.record == nullptr || (slot.record == record && slot.part == part)) return at;
        }
    }

    // Most constructs have no comment, and the table of a commented large
    // text is larger than the cache: a filter of 16 bits an entry or more
    // (one set for each), in the cache, answers most of them instead.
    std::size_t filterWord(std::uint64_t hash) const {
        return static_cast<std::size_t>(hash >> 20) & (filter_.size() - 1);
    }
    // A product's high bits are its well-mixed ones.
    static std::uint64_t filterBit(std::uint64_t hash) { return std::uint64_t{1} << (hash >> 58); }

    void grow() {
        std::vector<Slot> old(slots_.empty() ? 64 : slots_.size() * 2);
        old.swap(slots_);
        filter_.assign(slots_.size() / 8, 0);
        for (const Slot& slot : old) {
            if (slot.record == nullptr) continue;
            const std::uint64_t hash = mix(slot.record, slot.part);
            slots_[probe(slot.record, slot.part, hash)] = slot;
            filter_[filterWord(hash)] |= filterBit(hash);
        }
    }

    std::vector<Slot> slots_ = std::vector<Slot>(64);
    std::vector<std::uint64_t> filter_ = std::vector<std::uint64_t>(8);
    std::deque<CommentPlaces> places_;
};

}  // namespace zeb
