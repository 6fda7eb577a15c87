#pragma once

// The printed word of every kind and style the model records, one table per
// kind. A value the language cannot produce (a record built by hand) has no
// word; each writer decides how to show it.

#include <span>
#include <string_view>

#include "model/records.h"

namespace zeb {

template <typename Flag>
struct FlagWord {
    Flag flag;
    std::string_view word;
};

// In the fixed order the listing writes them, whatever order the source had.
std::span<const FlagWord<MapStyle>> mapStyleWords();
// "code" is not here: it carries a text and is written last, on its own.
std::span<const FlagWord<TriggerEvent>> triggerEventWords();

// Empty for a value outside the kind.
std::string_view areaStyleWord(AreaStyles style);
std::string_view respawnModeWord(RespawnMode mode);
std::string_view conditionWord(ConditionKind kind);
std::string_view outcomeWord(Outcome outcome);
std::string_view memberKindWord(MemberKind kind);

}  // namespace zeb
