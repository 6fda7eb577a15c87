#include "model/mission_builder.h"

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

}  // namespace

void MissionBuilder::setMissionName(std::string_view text) {
    mission_.missionName = copyText(text);
}

void MissionBuilder::setAuthor(std::string_view text) {
    mission_.author = copyText(text);
}

void MissionBuilder::setDescription(std::string_view text) {
    mission_.description = copyText(text);
}

void MissionBuilder::addRule(std::string_view ruleName, RespawnMode value) {
    for (std::size_t i = 0; i < kRuleNames.size(); ++i) {
        if (equalsFolded(ruleName, kRuleNames[i])) {
            mission_.rules.push_back(Rule{static_cast<RuleKind>(1u << i), value});
            return;
        }
    }
}

}  // namespace zeb
