#include "output/kind_names.h"

#include <algorithm>
#include <iterator>

namespace zeb {
namespace {

constexpr FlagWord<MapStyle> kMapStyleWords[] = {
    {MapStyle::Urban, "urban"}, {MapStyle::Dark, "dark"}, {MapStyle::Open, "open"}, {MapStyle::Indoor, "indoor"}};

constexpr FlagWord<TriggerEvent> kTriggerEventWords[] = {
    {TriggerEvent::Contact, "contact"}, {TriggerEvent::UnderFire, "under fire"}, {TriggerEvent::Casualty, "casualty"}};

// An area has exactly one style, so its word is looked up by the whole set.
constexpr FlagWord<AreaStyle> kAreaStyleWords[] = {
    {AreaStyle::Open, "open"}, {AreaStyle::Closed, "closed"}, {AreaStyle::Roof, "roof"}};

template <typename Kind>
struct KindWord {
    Kind kind;
    std::string_view word;
};

constexpr KindWord<RespawnMode> kRespawnModeWords[] = {
    {RespawnMode::None, "none"}, {RespawnMode::Team, "team"}, {RespawnMode::Individual, "individual"}};

constexpr KindWord<ConditionKind> kConditionWords[] = {{ConditionKind::And, "&&"},
                                                       {ConditionKind::Or, "||"},
                                                       {ConditionKind::Not, "!"},
                                                       {ConditionKind::Eliminated, "eliminated"},
                                                       {ConditionKind::Occupied, "occupied"},
                                                       {ConditionKind::Alive, "alive"},
                                                       {ConditionKind::Timeout, "timeout"},
                                                       {ConditionKind::Reached, "reached"}};

constexpr KindWord<Outcome> kOutcomeWords[] = {{Outcome::Success, "success"}, {Outcome::Failure, "failure"}};

constexpr KindWord<MemberKind> kMemberKindWords[] = {{MemberKind::Npc, "npc"}, {MemberKind::Player, "player"}};

template <typename Kind, std::size_t N>
std::string_view wordOf(const KindWord<Kind> (&table)[N], Kind kind) {
    const auto* found = std::find_if(std::begin(table), std::end(table), [&](const auto& e) { return e.kind == kind; });
    return found == std::end(table) ? std::string_view() : found->word;
}

}  // namespace

std::span<const FlagWord<MapStyle>> mapStyleWords() {
    return kMapStyleWords;
}

std::span<const FlagWord<TriggerEvent>> triggerEventWords() {
    return kTriggerEventWords;
}

std::string_view areaStyleWord(AreaStyles style) {
    for (const auto& entry : kAreaStyleWords) {
        if (style == AreaStyles(entry.flag)) return entry.word;
    }
    return {};
}

std::string_view respawnModeWord(RespawnMode mode) {
    return wordOf(kRespawnModeWords, mode);
}

std::string_view conditionWord(ConditionKind kind) {
    return wordOf(kConditionWords, kind);
}

std::string_view outcomeWord(Outcome outcome) {
    return wordOf(kOutcomeWords, outcome);
}

std::string_view memberKindWord(MemberKind kind) {
    return wordOf(kMemberKindWords, kind);
}

}  // namespace zeb
