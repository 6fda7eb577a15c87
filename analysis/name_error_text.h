#pragma once

// A failed name check in this program's words: its stable code, a message
// that names the offending name, and the hints a designer can act on
// ("did you mean", an area where a location is required and the reverse).

#include <string_view>

#include "analysis/diagnostic.h"
#include "frontend/grammar_actions.h"
#include "model/mission.h"

namespace zeb {

// `span` is where the fault is; the record's names are views of `source`,
// so a note can point at a declaration.
Diagnostic describeNameError(const NameError& error, Span span, const Mission& declared, std::string_view source);

}  // namespace zeb
