#pragma once

// Every name of an analysed mission with its place in the source, for an
// editor's questions: which name stands at an offset, where it is declared,
// and where else it stands. A label in occupied() is checked by no one and
// so is not among the analysis's mentions; it is found here from the record.

#include <cstddef>
#include <string_view>
#include <vector>

#include "analysis/analysis.h"
#include "analysis/diagnostic.h"

namespace zeb {

struct PlacedName {
    NameKind kind;
    bool declaration;
    Span span;  // the name itself, without quotes
    std::string_view name;
};

class NameLookup {
public:
    NameLookup(std::string_view source, const MissionAnalysis& analysis);

    // The name whose span holds the offset, or ends at it (a cursor right
    // after a name is still on it); none outside every name.
    const PlacedName* at(std::size_t offset) const;
    // Each mention of the name as that kind, declarations included, in
    // source order.
    std::vector<const PlacedName*> mentionsOf(NameKind kind, std::string_view name) const;
    // The first declaration: the one the record's lookups answer with.
    const PlacedName* declarationOf(NameKind kind, std::string_view name) const;
    // Whether a declaration of the kind has the name.
    bool isDeclared(NameKind kind, std::string_view name) const { return declarationOf(kind, name) != nullptr; }
    const std::vector<PlacedName>& all() const { return names_; }

private:
    std::vector<PlacedName> names_;  // sorted by offset
};

}  // namespace zeb
