// Renaming a name everywhere it stands. A new name is refused when the
// scanner would not read it back as one name of its sort (a label is an
// IDENTIFIER that is no keyword; a quoted name is a quoted text's run), or
// when a name that a use of the old one could come to mean already has it.

#include "frontend/char_classes.h"
#include "frontend/keywords.h"
#include "lsp/document_request.h"
#include "lsp/json_rpc.h"

namespace zeb::lsp {
namespace {

bool isQuotedKind(NameKind kind) {
    return kind == NameKind::Force || kind == NameKind::Team || kind == NameKind::Member;
}

std::string_view kindWord(NameKind kind) {
    switch (kind) {
    case NameKind::Location: return "location";
    case NameKind::Area: return "area";
    case NameKind::Force: return "force";
    case NameKind::Team: return "team";
    case NameKind::Member: return "member";
    }
    return "name";
}

bool isLabel(std::string_view name) {
    if (name.empty() || !chars::is(static_cast<unsigned char>(name[0]), chars::kLetter)) return false;
    for (const char c : name.substr(1)) {
        if (!chars::is(static_cast<unsigned char>(c), chars::kIdentifierTail)) return false;
    }
    return keywordToken(name) == 0;
}

bool isQuotedName(std::string_view name) {
    if (name.empty() || !chars::is(static_cast<unsigned char>(name[0]), chars::kStringStart)) return false;
    for (const char c : name.substr(1)) {
        if (!chars::is(static_cast<unsigned char>(c), chars::kStringContinue)) return false;
    }
    return true;
}

// The kinds that share a place of use with the kind: a condition takes a
// team, a member or a force, reached() a location, a member or an area. A
// use renamed to a name of one of them could come to mean that one.
std::vector<NameKind> sharingUses(NameKind kind) {
    switch (kind) {
    case NameKind::Location:
    case NameKind::Area: return {NameKind::Location, NameKind::Area, NameKind::Member};
    case NameKind::Force:
    case NameKind::Team: return {NameKind::Force, NameKind::Team, NameKind::Member};
    case NameKind::Member:
        return {NameKind::Member, NameKind::Team, NameKind::Force, NameKind::Location, NameKind::Area};
    }
    return {};
}

const PlacedName& nameAtCursor(const DocumentRequest& request) {
    const std::optional<std::size_t> at = request.cursor();
    const PlacedName* name = at ? request.snapshot.names().at(*at) : nullptr;
    if (name == nullptr) throw RequestError(error::kRequestFailed, "there is no name to rename here");
    return *name;
}

}  // namespace

nlohmann::json prepareRename(const DocumentRequest& request) {
    const std::optional<std::size_t> at = request.cursor();
    const PlacedName* name = at ? request.snapshot.names().at(*at) : nullptr;
    if (name == nullptr) return nullptr;
    return {{"range", request.positions.rangeJson(name->span)}, {"placeholder", std::string(name->name)}};
}

nlohmann::json rename(const DocumentRequest& request) {
    const PlacedName& name = nameAtCursor(request);
    const auto newNameField = request.params.find("newName");
    if (newNameField == request.params.end() || !newNameField->is_string()) {
        throw RequestError(error::kInvalidParams, "rename needs a newName");
    }
    std::string newName = newNameField->get<std::string>();
    // A quoted name may be given with its quotes.
    if (isQuotedKind(name.kind) && newName.size() >= 2 && newName.front() == '"' && newName.back() == '"') {
        newName = newName.substr(1, newName.size() - 2);
    }
    const std::string shown = isQuotedKind(name.kind) ? "\"" + newName + "\"" : "'" + newName + "'";
    if (isQuotedKind(name.kind) ? !isQuotedName(newName) : !isLabel(newName)) {
        throw RequestError(error::kRequestFailed,
                           isQuotedKind(name.kind)
                               ? shown + " is not a valid " + std::string(kindWord(name.kind)) +
                                     " name: a quoted name starts with a letter, a digit, a space or one of "
                                     "! ' ( ) , - . / : ? \\ _, and may go on with those and # % + @ ^ & = |"
                               : shown +
                                     " is not a valid label: a label is a letter followed by letters, digits, "
                                     "'_' and '.', and no reserved word");
    }
    const std::vector<const PlacedName*> mentions = request.snapshot.names().mentionsOf(name.kind, name.name);
    if (newName != name.name) {
        for (const NameKind kind : sharingUses(name.kind)) {
            if (request.snapshot.names().isDeclared(kind, newName)) {
                throw RequestError(error::kRequestFailed, shown + " is already the name of a " +
                                                              std::string(kindWord(kind)) + " in this mission");
            }
        }
    }
    nlohmann::json edits = nlohmann::json::array();
    for (const PlacedName* mention : mentions) {
        edits.push_back({{"range", request.positions.rangeJson(mention->span)}, {"newText", newName}});
    }
    return {{"changes", {{request.uri, std::move(edits)}}}};
}

}  // namespace zeb::lsp
