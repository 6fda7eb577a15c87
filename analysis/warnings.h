#pragma once

// Warnings: places where the file says one thing and the compiler keeps
// another. They never make a file fail.

#include <string_view>
#include <vector>

#include "analysis/diagnostic.h"
#include "model/mission.h"

namespace zeb {

// What the tokens alone show, before offset `limit` (the first error): an
// integer that wraps, a real that becomes infinite, a skill outside 1..5, a
// second code trigger that replaces the first.
void addTokenWarnings(std::string_view source, std::size_t limit, std::vector<Diagnostic>& out);

// What the record shows: a location or area label declared again, which no
// lookup ever finds.
void addRecordWarnings(std::string_view source, const Mission& mission, std::vector<Diagnostic>& out);

}  // namespace zeb
