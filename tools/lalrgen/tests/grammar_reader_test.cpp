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
