#include "model/mission.h"

namespace zeb {

namespace {

// The driver's record is never torn down: the process ends right after the
// output, and releasing a large mission record by record would only cost time.
union LastingMission {
    LastingMission() : mission() {}
    ~LastingMission() {}
    Mission mission;
};

}  // namespace

Mission::~Mission() = default;

Mission& Mission::instance() {
    static LastingMission holder;
    return holder.mission;
}

void Mission::retainSource(std::shared_ptr<const std::string> source) {
    const std::string_view text = *source;
    retainSource(std::move(source), text);
}

void Mission::retainSource(std::shared_ptr<const void> owner, std::string_view text) {
    latestSourceBegin_ = reinterpret_cast<std::uintptr_t>(text.data());
    latestSourceEnd_ = latestSourceBegin_ + text.size();
    sources_.push_back(RetainedSource{std::move(owner), latestSourceBegin_, latestSourceEnd_});
}

bool Mission::isRetained(std::string_view text) const {
    const auto begin = reinterpret_cast<std::uintptr_t>(text.data());
    const auto end = begin + text.size();
    for (const RetainedSource& source : sources_) {
        if (begin >= source.begin && end <= source.end) return true;
    }
    return false;
}

const Location* Mission::findLocation(std::string_view label) const {
    const std::uint32_t found = locationIndex_.find(label, locationLabelAt());
    return found == NameIndex::kAbsent ? nullptr : &locations[found];
}

bool Mission::isLocationDeclared(std::string_view label) const {
    return locationIndex_.find(label, locationLabelAt()) != NameIndex::kAbsent;
}

bool Mission::isAreaDeclared(std::string_view label) const {
    return areaIndex_.find(label, areaLabelAt()) != NameIndex::kAbsent;
}

const Area* Mission::findArea(std::string_view label) const {
    const std::uint32_t found = areaIndex_.find(label, areaLabelAt());
    return found == NameIndex::kAbsent ? nullptr : areas[found].get();
}

bool Mission::isForceDeclared(std::string_view name) const {
    return forceIndex_.find(name, forceNameAt()) != NameIndex::kAbsent;
}

const Force* Mission::findForce(std::string_view name) const {
    const std::uint32_t found = forceIndex_.find(name, forceNameAt());
    return found == NameIndex::kAbsent ? nullptr : forces[found].get();
}

const Member* Mission::findMember(std::string_view name) const {
    const std::uint32_t found = memberIndex_.find(name, memberNameAt());
    return found == NameIndex::kAbsent ? nullptr : members[found];
}

bool Mission::isTeamDeclared(std::string_view name) const {
    return teamIndex_.find(name, teamNameAt()) != NameIndex::kAbsent;
}

const Team* Mission::findTeam(std::string_view name) const {
    const std::uint32_t found = teamIndex_.find(name, teamNameAt());
    return found == NameIndex::kAbsent ? nullptr : teams[found];
}

bool Mission::isMemberDeclared(std::string_view name) const {
    return memberIndex_.find(name, memberNameAt()) != NameIndex::kAbsent;
}

}  // namespace zeb
