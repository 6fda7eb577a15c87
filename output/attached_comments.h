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

// The table is made once, then only read. The layout asks for every
// construct of the mission in source order, and the records with comments
// lie in memory in that order too (the builder makes them as it reads), so
// the table is kept sorted by record and a reader's cursor finds the next
// commented construct where the last one was found: a hit is the entry
// after the last, not a probe into a table larger than the cache.
class AttachedComments {
public:
    class Builder;

    // Where one reader stands; each reader keeps its own.
    class Cursor {
        friend class AttachedComments;
        std::size_t next_ = 0;  // the entry after the last one found
    };

    // Null when the construct has no comment: the common case, and the
    // writer then has nothing to do.
    const CommentPlaces* find(const void* record, CommentedPart part, Cursor& cursor) const {
        if (entries_.empty()) return nullptr;
        const Entry key = keyOf(record, part);
        if (cursor.next_ < entries_.size() && sameKey(entries_[cursor.next_], key)) {
            return &places_[entries_[cursor.next_++].index];
        }
        // Most constructs have no comment: a filter of 16 bits an entry or
        // more (one set for each), in the cache, answers most of them.
        const std::uint64_t hash = mix(key);
        if ((filter_[filterWord(hash)] & filterBit(hash)) == 0) return nullptr;
        const std::size_t at = lowerBoundNear(key, cursor.next_);
        if (at == entries_.size() || !sameKey(entries_[at], key)) return nullptr;
        cursor.next_ = at + 1;
        return &places_[entries_[at].index];
    }
    const CommentPlaces* find(const void* record, CommentedPart part = CommentedPart::Whole) const {
        Cursor fresh;
        return find(record, part, fresh);
    }
    bool empty() const { return entries_.empty(); }

private:
    struct Entry {
        std::uintptr_t record;
        std::size_t index;  // in places_, in the order the places were made
        CommentedPart part;
    };

    static Entry keyOf(const void* record, CommentedPart part) {
        return Entry{reinterpret_cast<std::uintptr_t>(record), 0, part};
    }
    static bool sameKey(const Entry& a, const Entry& b) { return a.record == b.record && a.part == b.part; }
    static bool keyBefore(const Entry& a, const Entry& b) {
        return a.record != b.record ? a.record < b.record : a.part < b.part;
    }
    static std::uint64_t mix(const Entry& key) {
        return (key.record ^ static_cast<std::uint64_t>(key.part)) * 0x9E3779B97F4A7C15ull;
    }
    std::size_t filterWord(std::uint64_t hash) const {
        return static_cast<std::size_t>(hash >> 20) & (filter_.size() - 1);
    }
    // A product's high bits are its well-mixed ones.
    static std::uint64_t filterBit(std::uint64_t hash) { return std::uint64_t{1} << (hash >> 58); }

    // The first entry not before `key`, searched outwards from `near`.
    std::size_t lowerBoundNear(const Entry& key, std::size_t near) const;

    std::vector<Entry> entries_;  // sorted by record, then part; no key twice
    std::vector<std::uint64_t> filter_;
    std::deque<CommentPlaces> places_;
};

// Makes the table: each construct's places are asked for once, in any order.
class AttachedComments::Builder {
public:
    // New empty places for a construct; the reference stays good while more
    // are made. A construct given twice has its lists joined, in the order
    // they were made.
    CommentPlaces& add(const void* record, CommentedPart part = CommentedPart::Whole);
    AttachedComments finish() &&;

private:
    AttachedComments made_;
};

}  // namespace zeb
