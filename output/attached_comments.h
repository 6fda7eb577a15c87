#pragma once

// The comments of a source, each placed on the construct the source layout
// writes it with. A construct is a record of the mission, or one part of a
// record that has a line of its own (an area's radius, a team's plan).

#include <cstdint>
#include <functional>
#include <string_view>
#include <unordered_map>
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
    // writer then has nothing to do.
    const CommentPlaces* find(const void* record, CommentedPart part = CommentedPart::Whole) const {
        if (places_.empty()) return nullptr;
        const auto found = places_.find(Key{record, part});
        return found == places_.end() ? nullptr : &found->second;
    }
    CommentPlaces& at(const void* record, CommentedPart part = CommentedPart::Whole) {
        return places_[Key{record, part}];
    }
    bool empty() const { return places_.empty(); }
    void reserve(std::size_t constructs) { places_.reserve(constructs); }

private:
    struct Key {
        const void* record;
        CommentedPart part;
        bool operator==(const Key&) const = default;
    };
    struct KeyHash {
        std::size_t operator()(const Key& key) const {
            return std::hash<const void*>()(key.record) ^ (static_cast<std::size_t>(key.part) * 0x9e3779b97f4a7c15u);
        }
    };
    std::unordered_map<Key, CommentPlaces, KeyHash> places_;
};

}  // namespace zeb
