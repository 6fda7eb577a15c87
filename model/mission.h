#pragma once

// The in-memory record of one mission file: what the file says, in file
// order, and the name lookups over it. It has no operations that change it:
// a MissionBuilder fills it during the parse, and readers (the writers, the
// tools, any number of threads at once) only read it.

#include <cstdint>
#include <memory>
#include <new>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "model/arena.h"
#include "model/label_store.h"
#include "model/name_index.h"
#include "model/records.h"

namespace zeb {

class MissionBuilder;

class Mission {
public:
    Mission() = default;
    Mission(const Mission&) = delete;
    Mission& operator=(const Mission&) = delete;
    ~Mission();

    // The process-wide record the command-line driver uses; created empty on
    // first use. Everything else (tests, library users) makes its own.
    static Mission& instance();

    // Keeps a scanner's source text alive as long as this record. Texts that
    // lie inside a retained source are then kept as views instead of copies:
    // a large mission's names would otherwise be stored twice.
    void retainSource(std::shared_ptr<const std::string> source);
    // The same for a text whose memory `owner` keeps alive (a file's mapping).
    void retainSource(std::shared_ptr<const void> owner, std::string_view text);

    // Where this record's plans, members and lists live; for callers that
    // build records by hand.
    Arena& arena() { return arena_; }

    // ---- lookups: each gives the answer of a first-match scan in
    // declaration order, over what the builder declared ----
    const Location* findLocation(std::string_view label) const;
    bool isLocationDeclared(std::string_view label) const;
    bool isAreaDeclared(std::string_view label) const;
    const Area* findArea(std::string_view label) const;
    bool isForceDeclared(std::string_view name) const;
    const Force* findForce(std::string_view name) const;
    bool isTeamDeclared(std::string_view name) const;
    // The first team of the name, or none.
    const Team* findTeam(std::string_view name) const;
    bool isMemberDeclared(std::string_view name) const;
    const Member* findMember(std::string_view name) const;
    const std::vector<std::unique_ptr<Area>>& getAreas() const { return areas; }

    // ---- the record's fields ----
    OptionalText missionName;
    OptionalText author;
    OptionalText description;
    OptionalText mapName;
    std::optional<std::string> annotation;  // grown piece by piece
    std::vector<Rule> rules;
    std::vector<Location> locations;  // declaration order; duplicates kept
    std::vector<std::unique_ptr<Area>> areas;
    MapStyles mapStyle;
    std::vector<std::unique_ptr<Force>> forces;
    std::vector<Objective> objectives;
    std::vector<Team*> teams;      // every team, declaration order
    std::vector<Member*> members;  // every member, declaration order

private:
    friend class MissionBuilder;

    bool isRetained(std::string_view text) const;
    Text copyText(std::string_view text) {
        const auto begin = reinterpret_cast<std::uintptr_t>(text.data());
        // Nearly every text comes from the source being parsed, the latest one retained.
        if (begin >= latestSourceBegin_ && begin + text.size() <= latestSourceEnd_) return text;
        return isRetained(text) ? text : arena_.copy(text);
    }
    OptionalText copyText(OptionalText text) { return text ? OptionalText(copyText(*text)) : std::nullopt; }

    Arena arena_;
    // Each retained source: what keeps it alive, and where its text lies.
    struct RetainedSource {
        std::shared_ptr<const void> owner;
        std::uintptr_t begin;
        std::uintptr_t end;
    };
    std::vector<RetainedSource> sources_;
    std::uintptr_t latestSourceBegin_ = 1;  // an empty range until a source is retained
    std::uintptr_t latestSourceEnd_ = 0;

    // Indexes that answer the lookups without scanning; each holds positions
    // in the list named after it.
    NameIndex locationIndex_;
    NameIndex areaIndex_;
    NameIndex forceIndex_;
    NameIndex teamIndex_;
    NameIndex memberIndex_;
    // The labels of locations and areas, compared on every label of every
    // list that names them.
    LabelStore locationLabels_;
    LabelStore areaLabels_;
    auto locationLabelAt() const {
        return [this](std::uint32_t at) { return locationLabels_[at]; };
    }
    auto areaLabelAt() const {
        return [this](std::uint32_t at) { return areaLabels_[at]; };
    }
    auto forceNameAt() const {
        return [this](std::uint32_t at) { return forces[at]->name; };
    }
    auto teamNameAt() const {
        return [this](std::uint32_t at) { return teams[at]->name; };
    }
    auto memberNameAt() const {
        return [this](std::uint32_t at) { return members[at]->name; };
    }
};

}  // namespace zeb
