#pragma once

// The actions of the grammar's productions. Each one calls the Mission, keeps
// a value in the builder, or checks a name; a failed check returns the
// cause text of the report and the parse ends there.

#include <string>
#include <string_view>

#include "frontend/grammar_tables.h"
#include "frontend/token.h"
#include "model/mission_builder.h"

namespace zeb {

// The outcome of an action: empty when it succeeded. A failed check keeps
// only a fixed format and the offending name; the cause text is built when
// a report is written, so a successful action costs no string.
struct NameError {
    const char* format = nullptr;  // with "%s" where the name goes, if it has a name
    std::string_view name;

    explicit operator bool() const { return format != nullptr; }
    // Built without a length limit: a long name appears whole in the cause.
    std::string cause() const;
};

// rhs points at the value of the first symbol of the production that holds
// the action (for an action point: of the production around it).
NameError runGrammarAction(grammar::Action action, MissionBuilder& builder, const SemanticValue* rhs);

}  // namespace zeb
