#include "model/mission.h"

#include <array>
#include <cstddef>

namespace zeb {

namespace {

// Rule names as the rules section spells them; a rule's kind is the bit of
// its position here.
constexpr std::array<std::string_view, 1> kRuleNames = {"respawn"};

char foldAscii(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool equalsFolded(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (foldAscii(a[i]) != foldAscii(b[i])) return false;
    }
    return true;
}

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

void Mission::setMissionName(std::string_view text) {
    missionName = copyText(text);
}

void Mission::setAuthor(std::string_view text) {
    author = copyText(text);
}

void Mission::setDescription(std::string_view text) {
    description = copyText(text);
}

void Mission::addRule(std::string_view ruleName, std::int32_t value) {
    for (std::size_t i = 0; i < kRuleNames.size(); ++i) {
        if (equalsFolded(ruleName, kRuleNames[i])) {
            rules.push_back(Rule{static_cast<std::int32_t>(1u << i), value});
            return;
        }
    }
}

}  // namespace zeb
