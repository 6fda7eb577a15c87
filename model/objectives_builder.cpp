#include "model/mission_builder.h"

namespace zeb {

void MissionBuilder::addObjective(Outcome outcome, std::string_view subject, std::string_view description) {
    Objective& added = mission_.objectives.emplace_back();
    added.outcome = outcome;
    added.subject = copyText(subject);
    added.description = copyText(description);
    // The vector may have moved every objective; the nodes stay where they are.
    currentObjective_ = &added;
    currentCondition_ = nullptr;
}

// A node hangs under the node being built: first as its left operand, then as
// its right one. With nothing being built, the node starts the tree.
ConditionNode* MissionBuilder::attachCondition(std::unique_ptr<ConditionNode> node) {
    ConditionNode* attached = node.get();
    node->parent = currentCondition_;
    if (currentCondition_ == nullptr) {
        currentObjective_->root = std::move(node);
    } else if (!currentCondition_->left) {
        currentCondition_->left = std::move(node);
    } else {
        currentCondition_->right = std::move(node);
    }
    return attached;
}

// A leaf alone is a whole condition until an operator takes it in, so the
// objective's condition follows the node being built after every leaf.
void MissionBuilder::attachConditionLeaf(std::unique_ptr<ConditionNode> leaf) {
    ConditionNode* attached = attachCondition(std::move(leaf));
    if (currentCondition_ == nullptr) currentCondition_ = attached;
    currentObjective_->condition = currentCondition_;
}

void MissionBuilder::openConditionNode() {
    currentCondition_ = attachCondition(std::make_unique<ConditionNode>());
}

void MissionBuilder::setConditionOperator(ConditionKind kind) {
    if (currentCondition_ != nullptr) currentCondition_->kind = kind;
}

void MissionBuilder::addConditionLeaf(ConditionKind kind, std::string_view name) {
    auto leaf = std::make_unique<ConditionNode>();
    leaf->kind = kind;
    leaf->name = copyText(name);
    attachConditionLeaf(std::move(leaf));
}

void MissionBuilder::addTimeoutCondition(ConditionKind kind, std::int32_t count) {
    auto leaf = std::make_unique<ConditionNode>();
    leaf->kind = kind;
    leaf->count = count;
    attachConditionLeaf(std::move(leaf));
}

void MissionBuilder::closeConditionNode() {
    if (currentCondition_ == nullptr) return;
    if (currentCondition_->parent != nullptr) {
        currentCondition_ = currentCondition_->parent;
        return;
    }
    currentObjective_->condition = currentCondition_;
    currentCondition_ = nullptr;
}

void MissionBuilder::addObjectiveResult(std::string_view text) {
    currentObjective_->results.push_back(copyText(text));
}

}  // namespace zeb
