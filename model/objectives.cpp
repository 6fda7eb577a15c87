#include "model/mission.h"

namespace zeb {

void Mission::addObjective(std::int32_t outcome, std::string_view subject, std::string_view description) {
    Objective& added = objectives.emplace_back();
    added.outcome = outcome;
    added.subject = copyText(subject);
    added.description = copyText(description);
    // The vector may have moved every objective; the nodes stay where they are.
    currentObjective = &added;
    currentCondition = nullptr;
}

// A node hangs under the node being built: first as its left operand, then as
// its right one. With nothing being built, the node starts the tree.
ConditionNode* Mission::attachCondition(std::unique_ptr<ConditionNode> node) {
    ConditionNode* attached = node.get();
    node->parent = currentCondition;
    if (currentCondition == nullptr) {
        currentObjective->root = std::move(node);
    } else if (!currentCondition->left) {
        currentCondition->left = std::move(node);
    } else {
        currentCondition->right = std::move(node);
    }
    return attached;
}

// A leaf alone is a whole condition until an operator takes it in, so the
// objective's condition follows the node being built after every leaf.
void Mission::attachConditionLeaf(std::unique_ptr<ConditionNode> leaf) {
    ConditionNode* attached = attachCondition(std::move(leaf));
    if (currentCondition == nullptr) currentCondition = attached;
    currentObjective->condition = currentCondition;
}

void Mission::openConditionNode() {
    currentCondition = attachCondition(std::make_unique<ConditionNode>());
}

void Mission::setConditionOperator(std::int32_t kind) {
    if (currentCondition != nullptr) currentCondition->kind = kind;
}

void Mission::addConditionLeaf(std::int32_t kind, std::string_view name) {
    auto leaf = std::make_unique<ConditionNode>();
    leaf->kind = kind;
    leaf->name = copyText(name);
    attachConditionLeaf(std::move(leaf));
}

void Mission::addTimeoutCondition(std::int32_t kind, std::int32_t count) {
    auto leaf = std::make_unique<ConditionNode>();
    leaf->kind = kind;
    leaf->count = count;
    attachConditionLeaf(std::move(leaf));
}

void Mission::closeConditionNode() {
    if (currentCondition == nullptr) return;
    if (currentCondition->parent != nullptr) {
        currentCondition = currentCondition->parent;
        return;
    }
    currentObjective->condition = currentCondition;
    currentCondition = nullptr;
}

void Mission::addObjectiveResult(std::string_view text) {
    currentObjective->results.push_back(copyText(text));
}

}  // namespace zeb
