#include "model/mission_builder.h"

namespace zeb {

void MissionBuilder::setMapName(std::string_view text) {
    mission_.mapName = copyText(text);
}

void MissionBuilder::addMapStyle(MapStyle style) {
    mission_.mapStyle |= style;
}

void MissionBuilder::appendAnnotation(std::string_view text) {
    if (mission_.annotation) {
        mission_.annotation->append(text);
    } else {
        mission_.annotation.emplace(text);
    }
}

void MissionBuilder::addLocation(std::string_view label, float x, float y, float z) {
    Text stored = copyText(label);
    noteDeclaration(NameKind::Location, stored);
    auto& locations = mission_.locations;
    locations.push_back(Location{stored, Position{x, y, z}});
    mission_.locationLabels_.add(stored);
    // A repeated label keeps pointing at its first declaration.
    mission_.locationIndex_.insert(stored, position(locations.size() - 1), mission_.locationLabelAt());
}

void MissionBuilder::addArea(std::string_view label) {
    finishAreaLabelList();
    auto area = std::make_unique<Area>();
    area->label = copyText(label);
    noteDeclaration(NameKind::Area, area->label);
    auto& areas = mission_.areas;
    areas.push_back(std::move(area));
    mission_.areaLabels_.add(areas.back()->label);
    mission_.areaIndex_.insert(areas.back()->label, position(areas.size() - 1), mission_.areaLabelAt());
}

void MissionBuilder::addAreaStyle(AreaStyle style) {
    mission_.areas.back()->style |= style;
}

// The label is the scanner's own text (kept alive by retainSource), so the
// lists cost no copy.
void MissionBuilder::appendAreaLabel(std::vector<Text> Area::*list, std::string_view label) {
    if (mission_.isLocationDeclared(label)) (mission_.areas.back().get()->*list).push_back(label);
}

void MissionBuilder::addAreaLabel(std::string_view label) {
    switch (areaLabelList_) {
    case AreaLabelList::Locations: addAreaLocation(label); return;
    case AreaLabelList::Entrances: addAreaEntrance(label); return;
    case AreaLabelList::Exits: addAreaExit(label); return;
    case AreaLabelList::Windows: addAreaWindow(label); return;
    case AreaLabelList::None: return;
    }
}

void MissionBuilder::beginAreaLabelList(AreaLabelList list) {
    finishAreaLabelList();
    areaLabelList_ = list;
}

// A list grows by doubling, so when it ends up to half its room is spare;
// long lists of many areas would keep a third more memory than they use.
void MissionBuilder::finishAreaLabelList() {
    if (mission_.areas.empty()) return;
    Area& area = *mission_.areas.back();
    switch (areaLabelList_) {
    case AreaLabelList::Locations: area.locations.shrink_to_fit(); break;
    case AreaLabelList::Entrances: area.entrances.shrink_to_fit(); break;
    case AreaLabelList::Exits: area.exits.shrink_to_fit(); break;
    case AreaLabelList::Windows: area.windows.shrink_to_fit(); break;
    case AreaLabelList::None: break;
    }
    areaLabelList_ = AreaLabelList::None;
}

bool MissionBuilder::addDeclaredAreaLabel(std::string_view label) {
    if (!mission_.isLocationDeclared(label)) return false;
    Area& area = *mission_.areas.back();
    switch (areaLabelList_) {
    case AreaLabelList::Locations: area.locations.push_back(label); break;
    case AreaLabelList::Entrances: area.entrances.push_back(label); break;
    case AreaLabelList::Exits: area.exits.push_back(label); break;
    case AreaLabelList::Windows: area.windows.push_back(label); break;
    case AreaLabelList::None: break;
    }
    return true;
}

void MissionBuilder::addAreaLocation(std::string_view label) {
    appendAreaLabel(&Area::locations, label);
}

void MissionBuilder::addAreaEntrance(std::string_view label) {
    appendAreaLabel(&Area::entrances, label);
}

void MissionBuilder::addAreaExit(std::string_view label) {
    appendAreaLabel(&Area::exits, label);
}

void MissionBuilder::addAreaWindow(std::string_view label) {
    appendAreaLabel(&Area::windows, label);
}

void MissionBuilder::setAreaRadius(std::int32_t radius) {
    mission_.areas.back()->radius = radius;
}

}  // namespace zeb
