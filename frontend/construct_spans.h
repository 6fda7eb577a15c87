#pragma once

// Where each construct of an accepted text stands. The parser keeps no
// positions (the compiler has no use for them and pays nothing for them);
// this pass reads the text again with the same tables and no actions, and
// tells the byte range of every production of the nonterminals asked for.

#include <cstddef>
#include <string_view>
#include <vector>

namespace zeb {

class Lexer;

// Told of each token a pass over the text reads, in order, with the lexer
// that read it: a caller with a scan of its own over the tokens makes it
// there instead of reading the text once more.
class TokenObserver {
public:
    virtual void onToken(int token, const Lexer& lexer) = 0;

protected:
    ~TokenObserver() = default;
};

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
// `tokens`, when given, is told of every token read, up to the end or the
// refusal.
std::vector<ConstructSpan> constructSpans(std::string_view text, const std::vector<bool>& wanted,
                                          TokenObserver* tokens = nullptr);

}  // namespace zeb
