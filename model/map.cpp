#include "model/mission.h"

namespace zeb {

void Mission::setMapName(std::string_view text) {
    mapName = copyText(text);
}

void Mission::addMapStyle(std::int32_t flag) {
    mapStyle |= flag;
}

void Mission::appendAnnotation(std::string_view text) {
    if (annotation) {
        annotation->append(text);
    } else {
        annotation.emplace(text);
    }
}

void Mission::addLocation(std::string_view label, float x, float y, float z) {
    Text stored = copyText(label);
    locations.push_back(Location{stored, Position{x, y, z}});
    // A repeated label keeps pointing at its first declaration.
    locationIndex_.insert(stored, position(locations.size() - 1), locationLabelAt());
}

const Location* Mission::findLocation(std::string_view label) const {
    const std::uint32_t found = locationIndex_.find(label, locationLabelAt());
    return found == NameIndex::kAbsent ? nullptr : &locations[found];
}

bool Mission::isLocationDeclared(std::string_view label) const {
    return locationIndex_.find(label, locationLabelAt()) != NameIndex::kAbsent;
}

void Mission::addArea(std::string_view label) {
    auto area = std::make_unique<Area>();
    area->label = copyText(label);
    areas.push_back(std::move(area));
    areaIndex_.insert(areas.back()->label, position(areas.size() - 1), areaLabelAt());
}

void Mission::addAreaStyle(std::int32_t flag) {
    areas.back()->style |= flag;
}

// The label is the scanner's own text (kept alive by retainSource), so the
// lists cost no copy.
void Mission::appendAreaLabel(std::vector<Text> Area::*list, std::string_view label) {
    if (isLocationDeclared(label)) (areas.back().get()->*list).push_back(label);
}

void Mission::addAreaLocation(std::string_view label) {
    appendAreaLabel(&Area::locations, label);
}

void Mission::addAreaEntrance(std::string_view label) {
    appendAreaLabel(&Area::entrances, label);
}

void Mission::addAreaExit(std::string_view label) {
    appendAreaLabel(&Area::exits, label);
}

void Mission::addAreaWindow(std::string_view label) {
    appendAreaLabel(&Area::windows, label);
}

void Mission::setAreaRadius(std::int32_t radius) {
    areas.back()->radius = radius;
}

bool Mission::isAreaDeclared(std::string_view label) const {
    return areaIndex_.find(label, areaLabelAt()) != NameIndex::kAbsent;
}

}  // namespace zeb
