#pragma once

// Where each construct of an accepted text stands. The parser keeps no
// positions (the compiler has no use for them and pays nothing for them);
// this pass reads the text again with the same tables and no actions, and
// tells the byte range of every production of the nonterminals asked for.

#include <cstddef>
#include <string_view>
#include <vector>

namespace zeb {

struct ConstructSpan {
    int nonterminal;
    std::size_t begin;  // the first byte of its first token
    std::size_t end;    // one past its last token
};

// The grammar's number of a nonterminal; -1 for a name it does not have.
int nonterminalNamed(std::string_view name);

// Every production of a wanted nonterminal that covers at least one token,
// each after the constructs it holds (the order the parser recognises
// them in). The text must be followed by a zero byte; a text the grammar
// refuses gives the constructs found before the refusal.
std::vector<ConstructSpan> constructSpans(std::string_view text, const std::vector<bool>& wanted);

}  // namespace zeb
