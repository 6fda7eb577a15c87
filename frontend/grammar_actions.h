#pragma once

// The actions of the grammar's productions. Each one calls the Mission, keeps
// a value in the ParseContext, or checks a name; a failed check returns the
// cause text of the report and the parse ends there.

#include <optional>
#include <string>

#include "frontend/grammar_tables.h"
#include "frontend/parse_context.h"
#include "frontend/token.h"

namespace zeb {

using NameError = std::optional<std::string>;

// rhs points at the value of the first symbol of the production that holds
// the action (for an action point: of the production around it).
NameError runGrammarAction(grammar::Action action, ParseContext& context, const SemanticValue* rhs);

}  // namespace zeb
