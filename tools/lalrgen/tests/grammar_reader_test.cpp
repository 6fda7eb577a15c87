#include <gtest/gtest.h>

#include "grammar_error.h"
#include "grammar_reader.h"
#include "test_support.h"

namespace zeb::lalrgen::testing {
namespace {

const std::vector<TokenDefinition> kTokens = tokensFor({"\"mission\"", "\"{\"", "\"}\"", "\";\"", "STRING"});

Grammar read(const std::string& text) {
    return readGrammar(text, "test.grammar", kTokens);
}

std::string firstError(const std::string& text) {
    try {
        read(text);
    } catch (const GrammarError& error) {
        return error.diagnostics().front();
    }
    return "(accepted)";
}

TEST(GrammarReader, ReadsCommentsEmptyAlternativesAndActions) {
    const Grammar grammar = read(R"(# leading comment
        file : "mission" STRING body => finish   # trailing comment
             ;
        body : %empty
             |            # an alternative with nothing in it is empty too
             "{" "}" => braces
             ;
    )");
    ASSERT_EQ(grammar.productionCount(), 4);
    EXPECT_EQ(grammar.productionText(0), "$accept: file $end");
    EXPECT_EQ(grammar.productionText(1), "file: \"mission\" STRING body");
    EXPECT_EQ(grammar.productionText(2), "body: %empty");
    EXPECT_EQ(grammar.productionText(3), "body: \"{\" \"}\"");
    EXPECT_EQ(grammar.actionNames, (std::vector<std::string>{"None", "finish", "braces"}));
    EXPECT_EQ(grammar.actionNames[grammar.productions[1].action], "finish");
    EXPECT_EQ(grammar.productions[2].action, kNoAction);
}

TEST(GrammarReader, BareEmptyAlternativeMeansEmpty) {
    const Grammar grammar = read(R"(list : | "mission" list ;)");
    EXPECT_EQ(grammar.productionText(1), "list: %empty");
}

TEST(GrammarReader, StartDirectiveOverridesTheFirstRule) {
    const Grammar grammar = read(R"(
        %start file
        body : "{" "}" ;
        file : "mission" body ;
    )");
    EXPECT_EQ(grammar.productionText(0), "$accept: file $end");
}

TEST(GrammarReader, SyntaxErrorsNameTheLine) {
    EXPECT_EQ(firstError("file\n  : \"mission\"\n  \"{\" :\n;"), "test.grammar:3: expected '|' or ';', found ':'");
    EXPECT_EQ(firstError("file \"mission\" ;"),
              "test.grammar:1: expected ':' after the rule's name, found \"mission\"");
    EXPECT_EQ(firstError("file : \"mission\"\n"), "test.grammar:2: expected '|' or ';', found end of file");
    EXPECT_EQ(firstError("\n\nfile : \"mission\" $ ;"), "test.grammar:3: unexpected character '$'");
    EXPECT_EQ(firstError("file : %empty \"mission\" ;"), "test.grammar:1: %empty in an alternative that has symbols");
    EXPECT_EQ(firstError("file : \"mission\" => ;"), "test.grammar:1: expected an action name after '=>', found ';'");
    EXPECT_EQ(firstError(""), "test.grammar:1: the grammar has no rules");
}

TEST(GrammarReader, UnknownTerminalsAreRejected) {
    EXPECT_EQ(firstError("file : \"mision\" ;"), "test.grammar:1: unknown terminal \"mision\"");
    EXPECT_EQ(firstError("file :\n NUMBER ;"), "test.grammar:2: unknown terminal NUMBER");
    // Class names are bare: a quoted STRING is a misspelt keyword, not the class.
    EXPECT_EQ(firstError("file : \"STRING\" ;"), "test.grammar:1: unknown terminal \"STRING\"");
}

TEST(GrammarReader, UndefinedAndUnreachableNonterminalsAreRejected) {
    EXPECT_EQ(firstError("file : \"mission\"\n  body ;"), "test.grammar:2: nonterminal body is used but never defined");
    EXPECT_EQ(firstError("file : \"mission\" ;\nspare : \"{\" ;"),
              "test.grammar:2: nonterminal spare is unreachable from the start symbol");
    EXPECT_EQ(firstError("%start nowhere\nfile : \"mission\" ;"),
              "test.grammar:1: nonterminal nowhere is used but never defined");
    EXPECT_EQ(firstError("file : \"mission\" loop ;\nloop : \"{\" loop ;"),
              "test.grammar:1: nonterminal file cannot derive any sentence");
}

TEST(GrammarReader, ActionNamedNoneIsRejected) {
    EXPECT_EQ(firstError("file : \"mission\" => None ;"),
              "test.grammar:1: 'None' is reserved and cannot name an action");
}

const std::vector<TokenDefinition> kValueTokens = tokensFor({"\"go\"", "\"to\"", "\";\"", "ID", "NUM"});

Grammar readNamed(const std::string& text) {
    return readGrammar(text, "test.grammar", kValueTokens);
}

std::string firstNamedError(const std::string& text) {
    try {
        readNamed(text);
    } catch (const GrammarError& error) {
        return error.diagnostics().front();
    }
    return "(accepted)";
}

int actionNamed(const Grammar& grammar, const std::string& name) {
    for (std::size_t a = 0; a < grammar.actionNames.size(); ++a) {
        if (grammar.actionNames[a] == name) return static_cast<int>(a);
    }
    return -1;
}

TEST(NamedOperands, PositionsCountFromTheHoldersFirstSymbol) {
    const Grammar grammar = readNamed(R"(s : "go" ID:place "to" NUM:count @mid ";" NUM:more => whole ;)");
    const int id = terminalNamed(grammar, "ID");
    const int num = terminalNamed(grammar, "NUM");
    // The action point sees only what stands to its left; the end action sees all.
    const std::vector<NamedOperand> left = {{"place", 1, id}, {"count", 3, num}};
    const std::vector<NamedOperand> all = {{"place", 1, id}, {"count", 3, num}, {"more", 6, num}};
    EXPECT_EQ(grammar.actionOperands[actionNamed(grammar, "mid")], left);
    EXPECT_EQ(grammar.actionOperands[actionNamed(grammar, "whole")], all);
    EXPECT_EQ(grammar.productions[1].operands, left);  // @mid.1: %empty
    EXPECT_EQ(grammar.productions[2].operands, all);
    EXPECT_EQ(grammar.terminalValueMembers[id], "id");
    EXPECT_EQ(grammar.terminalValueMembers[terminalNamed(grammar, "\"go\"")], "");
}

TEST(NamedOperands, AnActionUsedTwiceWithTheSameOperandsIsAccepted) {
    const Grammar grammar = readNamed(R"(
        s : ID:name => note
          | ID:name @note s
          | "go" @plain ";"
          | "to" @plain ";"
          ;
    )");
    EXPECT_EQ(grammar.actionOperands[actionNamed(grammar, "note")],
              (std::vector<NamedOperand>{{"name", 0, terminalNamed(grammar, "ID")}}));
    EXPECT_TRUE(grammar.actionOperands[actionNamed(grammar, "plain")].empty());
}

TEST(NamedOperands, NotationErrorsNameTheLine) {
    EXPECT_EQ(firstNamedError("s : ID:a\n  NUM:a => e ;"),
              "test.grammar:1: operand name 'a' is used twice in one alternative");
    EXPECT_EQ(firstNamedError(R"(s : "go":verb ID => e ;)"),
              "test.grammar:1: operand name 'verb' on \"go\": only a token class carries a value");
    EXPECT_EQ(firstNamedError("s : t:x => e ;\nt : \"go\" ;"),
              "test.grammar:1: operand name 'x' on t: only a token class carries a value");
    EXPECT_EQ(firstNamedError("s : ID:for => e ;"), "test.grammar:1: 'for' is reserved and cannot name an operand");
    EXPECT_EQ(firstNamedError("s : ID:rhs => e ;"), "test.grammar:1: 'rhs' is reserved and cannot name an operand");
    EXPECT_EQ(firstNamedError("s:ID:a => e ;"),
              "test.grammar:1: 's:ID' reads as a named operand; a rule's ':' needs a blank after it");
}

TEST(NamedOperands, ANameNoActionReadsIsRejected) {
    // After the only action point, with no end action: nothing can read it.
    EXPECT_EQ(firstNamedError("s : ID:a @p NUM:b ;"),
              "test.grammar:1: operand 'b' is read by no action: no action point follows it and the alternative "
              "has no '=>' action");
    EXPECT_EQ(firstNamedError("s : \"go\"\n | ID:a ;"),
              "test.grammar:2: operand 'a' is read by no action: no action point follows it and the alternative "
              "has no '=>' action");
    // Read by the end action, not by the action point before it.
    EXPECT_EQ(firstNamedError("s : ID:a @p NUM:b => e ;"), "(accepted)");
}

TEST(NamedOperands, EveryUseOfAnActionMustNameTheSameOperands) {
    EXPECT_EQ(firstNamedError("s : ID:a => e\n  | \"go\" ID:a => e ;"),
              "test.grammar:2: action 'e' reads operands a at 1 here but a at 0 at line 1: every use of an action "
              "must name the same operands in the same places");
    EXPECT_EQ(firstNamedError("s : ID:a => e\n  | NUM:b => e ;"),
              "test.grammar:2: action 'e' reads operands b at 0 here but a at 0 at line 1: every use of an action "
              "must name the same operands in the same places");
    // A class of another value member at the same place differs too.
    EXPECT_NE(firstNamedError("s : ID:a => e\n  | NUM:a => e ;"), "(accepted)");
    EXPECT_EQ(firstNamedError("s : ID:a @p \"go\" => e\n  | ID @p \"to\" => f ;"),
              "test.grammar:2: action 'p' reads operands none here but a at 0 at line 1: every use of an action "
              "must name the same operands in the same places");
}

TEST(TokenDefinitions, ReadsEntriesInOrderAndIgnoresOtherLines) {
    const std::vector<TokenDefinition> tokens = readTokenDefinitions(
        "// comment\nZEB_KEYWORD(Mission, \"mission\")  // 258\n\nZEB_PUNCT(AndAnd, \"&&\")\n"
        "ZEB_CLASS(String, \"STRING\", text)\n",
        "tokens.def");
    ASSERT_EQ(tokens.size(), 3u);
    EXPECT_EQ(grammarSpelling(tokens[0]), "\"mission\"");
    EXPECT_EQ(grammarSpelling(tokens[1]), "\"&&\"");
    EXPECT_EQ(grammarSpelling(tokens[2]), "STRING");
    EXPECT_EQ(tokens[2].kind, TokenKind::Class);
    EXPECT_EQ(tokens[2].valueMember, "text");
    EXPECT_EQ(tokens[0].valueMember, "");
}

TEST(TokenDefinitions, AClassNamesItsValueMemberAndNothingElseDoes) {
    for (const char* entry : {"ZEB_CLASS(String, \"STRING\")", "ZEB_CLASS(String, \"STRING\", )",
                              "ZEB_CLASS(String, \"STRING\", 2x)", "ZEB_KEYWORD(Mission, \"mission\", text)"}) {
        try {
            readTokenDefinitions(entry, "tokens.def");
            ADD_FAILURE() << "accepted " << entry;
        } catch (const GrammarError& error) {
            EXPECT_EQ(error.diagnostics().front(), "tokens.def:1: malformed token entry") << entry;
        }
    }
}

TEST(TokenDefinitions, MalformedEntryNamesTheLine) {
    try {
        readTokenDefinitions("ZEB_KEYWORD(A, \"a\")\nZEB_PUNCT(B, \"b\"\n", "tokens.def");
        FAIL() << "accepted a malformed entry";
    } catch (const GrammarError& error) {
        EXPECT_EQ(error.diagnostics().front(), "tokens.def:2: malformed token entry");
    }
}

}  // namespace
}  // namespace zeb::lalrgen::testing
