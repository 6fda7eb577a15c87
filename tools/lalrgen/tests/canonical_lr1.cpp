#include "canonical_lr1.h"

#include <tuple>

namespace zeb::lalrgen::testing {
namespace {

struct Lr1Item {
    int production;
    int dot;
    int lookahead;
    auto operator<=>(const Lr1Item&) const = default;
};

class CanonicalLr1 {
public:
    explicit CanonicalLr1(const Grammar& grammar) : grammar_(grammar), byLhs_(grammar.productionsByLhs()) {
        computeFirstSets();
    }

    std::map<std::vector<Item>, ReductionLookaheads> run() {
        std::map<std::set<Lr1Item>, int> seen;
        std::vector<std::set<Lr1Item>> pending{{{kAcceptProduction, 0, kEndOfInput}}};
        seen[pending.front()] = 0;
        std::map<std::vector<Item>, ReductionLookaheads> merged;
        while (!pending.empty()) {
            const std::set<Lr1Item> kernel = pending.back();
            pending.pop_back();
            const std::set<Lr1Item> items = closure(kernel);
            ReductionLookaheads& reductions = merged[coreOf(kernel)];
            std::map<Symbol, std::set<Lr1Item>> successors;
            for (const Lr1Item& item : items) {
                const auto& rhs = grammar_.productions[item.production].rhs;
                if (item.dot < static_cast<int>(rhs.size())) {
                    successors[rhs[item.dot]].insert({item.production, item.dot + 1, item.lookahead});
                } else if (item.production != kAcceptProduction) {
                    reductions[item.production].insert(item.lookahead);
                }
            }
            for (auto& [symbol, next] : successors) {
                if (seen.try_emplace(next, static_cast<int>(seen.size())).second) pending.push_back(next);
            }
        }
        return merged;
    }

private:
    void computeFirstSets() {
        first_.assign(grammar_.nonterminalCount(), {});
        nullable_.assign(grammar_.nonterminalCount(), false);
        for (bool changed = true; changed;) {
            changed = false;
            for (const Production& production : grammar_.productions) {
                const std::size_t before = first_[production.lhs].size();
                const bool wasNullable = nullable_[production.lhs];
                bool allNullable = true;
                for (Symbol symbol : production.rhs) {
                    if (symbol.isTerminal) {
                        first_[production.lhs].insert(symbol.index);
                        allNullable = false;
                        break;
                    }
                    first_[production.lhs].insert(first_[symbol.index].begin(), first_[symbol.index].end());
                    if (!nullable_[symbol.index]) {
                        allNullable = false;
                        break;
                    }
                }
                if (allNullable) nullable_[production.lhs] = true;
                changed =
                    changed || before != first_[production.lhs].size() || wasNullable != nullable_[production.lhs];
            }
        }
    }

    std::set<int> firstOfSequence(const std::vector<Symbol>& symbols, std::size_t from, int trailer) const {
        std::set<int> result;
        for (std::size_t i = from; i < symbols.size(); ++i) {
            if (symbols[i].isTerminal) {
                result.insert(symbols[i].index);
                return result;
            }
            result.insert(first_[symbols[i].index].begin(), first_[symbols[i].index].end());
            if (!nullable_[symbols[i].index]) return result;
        }
        result.insert(trailer);
        return result;
    }

    std::set<Lr1Item> closure(const std::set<Lr1Item>& kernel) const {
        std::set<Lr1Item> items = kernel;
        std::vector<Lr1Item> work(kernel.begin(), kernel.end());
        while (!work.empty()) {
            const Lr1Item item = work.back();
            work.pop_back();
            const auto& rhs = grammar_.productions[item.production].rhs;
            if (item.dot >= static_cast<int>(rhs.size()) || rhs[item.dot].isTerminal) continue;
            for (int lookahead : firstOfSequence(rhs, item.dot + 1, item.lookahead)) {
                for (int production : byLhs_[rhs[item.dot].index]) {
                    if (items.insert({production, 0, lookahead}).second) work.push_back({production, 0, lookahead});
                }
            }
        }
        return items;
    }

    static std::vector<Item> coreOf(const std::set<Lr1Item>& kernel) {
        std::set<Item> core;
        for (const Lr1Item& item : kernel) core.insert({item.production, item.dot});
        return {core.begin(), core.end()};
    }

    const Grammar& grammar_;
    std::vector<std::vector<int>> byLhs_;
    std::vector<std::set<int>> first_;
    std::vector<bool> nullable_;
};

}  // namespace

std::map<std::vector<Item>, ReductionLookaheads> mergedCanonicalLookaheads(const Grammar& grammar) {
    return CanonicalLr1(grammar).run();
}

}  // namespace zeb::lalrgen::testing
