#pragma once

// The actions' own state for one parse: what one action leaves for a later
// one. Texts are views of the scanner's token texts, which outlive the parse.

#include <cstdint>
#include <optional>
#include <string_view>

#include "model/records.h"

namespace zeb {

class Mission;

// Which list of the current area receives the labels being read.
enum LabelListKind : std::int32_t {
    kNoLabelList = 0,
    kLocationsList = 1,
    kEntrancesList = 2,
    kExitsList = 3,
    kWindowsList = 4,
};

struct ParseContext {
    explicit ParseContext(Mission& target) : target(target) {}

    Mission& target;             // the record this parse fills
    Mission* mission = nullptr;  // set by the mission header's first action
    std::string_view pendingLocationLabel;
    Position pendingPosition;
    std::int32_t labelListKind = kNoLabelList;
    std::optional<std::string_view> planTeam;
    std::int32_t pendingTriggerEvents = 0;
    std::optional<std::string_view> pendingTriggerCode;
    std::int32_t patrolAreaCount = 0;
};

}  // namespace zeb
