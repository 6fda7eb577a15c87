#include "analysis/comment_attachment.h"

#include <algorithm>
#include <array>
#include <span>
#include <unordered_map>

#include "frontend/construct_spans.h"
#include "frontend/lexer.h"

namespace zeb {
namespace {

// The constructs a comment can belong to, with the grammar's names for them.
enum class Construct : std::uint8_t {
    Mission,
    Author,
    Description,
    Rules,
    Rule,
    Map,
    MapStyle,
    Annotation,
    Location,
    Area,
    AreaStyle,
    AreaLocations,
    AreaEntrances,
    AreaExits,
    AreaWindows,
    AreaRadius,
    Force,
    Team,
    Member,
    Equipment,
    Skill,
    Objectives,
    Objective,
    Plan,
    Instruction,
};

struct NamedConstruct {
    std::string_view nonterminal;
    Construct construct;
};

constexpr std::array kConstructNames{
    NamedConstruct{"mission_file", Construct::Mission},
    NamedConstruct{"author_clause", Construct::Author},
    NamedConstruct{"description_clause", Construct::Description},
    NamedConstruct{"rules_section", Construct::Rules},
    NamedConstruct{"respawn_rule", Construct::Rule},
    NamedConstruct{"map_section", Construct::Map},
    NamedConstruct{"map_style_clause", Construct::MapStyle},
    NamedConstruct{"annotation_clause", Construct::Annotation},
    NamedConstruct{"location_decl", Construct::Location},
    NamedConstruct{"area_decl", Construct::Area},
    NamedConstruct{"area_style_clause", Construct::AreaStyle},
    NamedConstruct{"area_locations_clause", Construct::AreaLocations},
    NamedConstruct{"area_entrances_clause", Construct::AreaEntrances},
    NamedConstruct{"area_exits_clause", Construct::AreaExits},
    NamedConstruct{"area_windows_clause", Construct::AreaWindows},
    NamedConstruct{"area_radius_clause", Construct::AreaRadius},
    NamedConstruct{"force_decl", Construct::Force},
    NamedConstruct{"team_decl", Construct::Team},
    NamedConstruct{"member_decl", Construct::Member},
    NamedConstruct{"weapon_clause", Construct::Equipment},
    NamedConstruct{"ammo_clause", Construct::Equipment},
    NamedConstruct{"item_clause", Construct::Equipment},
    NamedConstruct{"skill_clause", Construct::Skill},
    NamedConstruct{"objectives_section", Construct::Objectives},
    NamedConstruct{"objective", Construct::Objective},
    NamedConstruct{"plan_decl", Construct::Plan},
    NamedConstruct{"instruction", Construct::Instruction},
};

struct Grammar {
    std::vector<bool> wanted;
    std::vector<Construct> constructOf;
};

const Grammar& grammarConstructs() {
    static const Grammar grammar = [] {
        Grammar made;
        for (const NamedConstruct& named : kConstructNames) {
            const int at = nonterminalNamed(named.nonterminal);
            if (at < 0) continue;
            const auto index = static_cast<std::size_t>(at);
            if (made.wanted.size() <= index) {
                made.wanted.resize(index + 1);
                made.constructOf.resize(index + 1);
            }
            made.wanted[index] = true;
            made.constructOf[index] = named.construct;
        }
        return made;
    }();
    return grammar;
}

enum class Place { Before, AfterHead, AfterEnd, Inside, After };

constexpr std::size_t kNoNode = static_cast<std::size_t>(-1);

}  // namespace

struct ConstructNode {
    Construct construct;
    std::size_t begin;
    std::size_t end;
    std::size_t firstChild = 0;  // in the attacher's one array of children
    std::size_t childCount = 0;
    const void* record = nullptr;
    CommentedPart part = CommentedPart::Whole;
    bool oneLine = false;
    // A team's second or later plan block: the layout joins it to the
    // first, whose places it shares, and its own leading comments go with
    // its first statement (none when that has no record).
    bool joinedPlan = false;
    std::size_t firstBlock = kNoNode;
    std::size_t firstStatement = kNoNode;
    CommentPlaces* places = nullptr;  // made on the first comment placed
};

struct ConstructTree::Parts {
    std::vector<ConstructNode> nodes;
    std::vector<std::size_t> children;  // each node's children, one run after another
    std::size_t root = kNoNode;
};

namespace {

using Node = ConstructNode;

class Attacher {
public:
    Attacher(ConstructTree::Parts& tree, std::string_view source, const Mission& mission)
        : source_(source), mission_(mission), nodes_(tree.nodes), children_(tree.children), root_(tree.root) {}

    AttachedComments run(const std::vector<std::string_view>& comments) {
        if (root_ == kNoNode) {
            result_.add(&mission_).before = comments;
            return std::move(result_).finish();
        }
        mapRecords();
        for (std::string_view comment : comments) attach(comment, ownsItsLine(comment));
        return std::move(result_).finish();
    }

private:
    std::span<const std::size_t> childrenOf(std::size_t at) const { return childrenOf(nodes_[at]); }
    std::span<const std::size_t> childrenOf(const Node& node) const {
        return std::span<const std::size_t>(children_).subspan(node.firstChild, node.childCount);
    }

    void setRecord(std::size_t at, const void* record, CommentedPart part = CommentedPart::Whole,
                   bool oneLine = false) {
        nodes_[at].record = record;
        nodes_[at].part = part;
        nodes_[at].oneLine = oneLine;
    }

    // Records are matched to constructs in source order: the builder adds
    // each record in the order its construct ends, and keeps that order.
    void mapRecords() {
        setRecord(root_, &mission_);
        std::size_t rule = 0, force = 0, objective = 0;
        for (std::size_t child : childrenOf(root_)) {
            switch (nodes_[child].construct) {
            case Construct::Author: setRecord(child, &mission_, CommentedPart::Author, true); break;
            case Construct::Description: setRecord(child, &mission_, CommentedPart::Description, true); break;
            case Construct::Rules:
                setRecord(child, &mission_, CommentedPart::Rules);
                for (std::size_t r : childrenOf(child)) {
                    if (rule < mission_.rules.size()) setRecord(r, &mission_.rules[rule++], CommentedPart::Whole, true);
                }
                break;
            case Construct::Map: mapMap(child); break;
            case Construct::Force:
                if (force < mission_.forces.size()) mapForce(child, *mission_.forces[force++]);
                break;
            case Construct::Objectives:
                setRecord(child, &mission_, CommentedPart::Objectives);
                for (std::size_t o : childrenOf(child)) {
                    if (objective < mission_.objectives.size()) {
                        setRecord(o, &mission_.objectives[objective++], CommentedPart::Whole, true);
                    }
                }
                break;
            case Construct::Plan: mapPlan(child); break;
            default: break;
            }
        }
    }

    void mapMap(std::size_t map) {
        setRecord(map, &mission_, CommentedPart::Map);
        std::size_t location = 0, area = 0;
        for (std::size_t child : childrenOf(map)) {
            switch (nodes_[child].construct) {
            case Construct::MapStyle: setRecord(child, &mission_, CommentedPart::MapStyle, true); break;
            case Construct::Annotation: setRecord(child, &mission_, CommentedPart::Annotation, true); break;
            case Construct::Location:
                if (location < mission_.locations.size()) {
                    setRecord(child, &mission_.locations[location++], CommentedPart::Whole, true);
                }
                break;
            case Construct::Area:
                if (area < mission_.areas.size()) mapArea(child, *mission_.areas[area++]);
                break;
            default: break;
            }
        }
    }

    void mapArea(std::size_t node, const Area& area) {
        setRecord(node, &area);
        for (std::size_t child : childrenOf(node)) {
            setRecord(child, &area, areaPart(nodes_[child].construct), true);
        }
    }

    static CommentedPart areaPart(Construct construct) {
        switch (construct) {
        case Construct::AreaStyle: return CommentedPart::AreaStyle;
        case Construct::AreaLocations: return CommentedPart::AreaLocations;
        case Construct::AreaEntrances: return CommentedPart::AreaEntrances;
        case Construct::AreaExits: return CommentedPart::AreaExits;
        case Construct::AreaWindows: return CommentedPart::AreaWindows;
        default: return CommentedPart::AreaRadius;
        }
    }

    void mapForce(std::size_t node, const Force& force) {
        setRecord(node, &force);
        std::size_t team = 0;
        for (std::size_t child : childrenOf(node)) {
            if (team < force.teams.size()) mapTeam(child, *force.teams[team++]);
        }
    }

    void mapTeam(std::size_t node, const Team& team) {
        setRecord(node, &team);
        auto member = team.members.begin();
        for (std::size_t child : childrenOf(node)) {
            if (member == team.members.end()) break;
            mapMember(child, *member);
            ++member;
        }
    }

    void mapMember(std::size_t node, const Member& member) {
        setRecord(node, &member);
        std::size_t entry = 0;
        for (std::size_t child : childrenOf(node)) {
            if (nodes_[child].construct == Construct::Skill) {
                setRecord(child, &member, CommentedPart::Skill, true);
            } else if (entry < member.equipment.size()) {
                setRecord(child, &member.equipment[entry++], CommentedPart::Whole, true);
            }
        }
    }

    // The team a plan block is for: the text after its keyword.
    const Team* planTeam(std::size_t node) const {
        Lexer lexer(source_.data() + nodes_[node].begin, source_.size() - nodes_[node].begin);
        lexer.nextToken();
        if (lexer.nextToken() != static_cast<int>(Token::String)) return nullptr;
        return mission_.findTeam(std::string_view(lexer.value().text));
    }

    struct Statements {
        InstructionList::const_iterator at;
        InstructionList::const_iterator end;
    };
    struct TeamPlan {
        Statements statements;
        std::size_t firstBlock;
    };

    void mapPlan(std::size_t node) {
        const Team* team = planTeam(node);
        if (team == nullptr) return;
        auto [plan, first] =
            plans_.try_emplace(team, TeamPlan{Statements{team->instructions.begin(), team->instructions.end()}, node});
        setRecord(node, team, CommentedPart::Plan);
        nodes_[node].joinedPlan = !first;
        nodes_[node].firstBlock = plan->second.firstBlock;
        mapStatements(node, plan->second.statements);
        const std::span<const std::size_t> statements = childrenOf(node);
        if (!statements.empty() && nodes_[statements[0]].record != nullptr) {
            nodes_[node].firstStatement = statements[0];
        }
    }

    void mapStatements(std::size_t node, Statements& statements) {
        for (std::size_t child : childrenOf(node)) {
            if (statements.at == statements.end) return;
            const Instruction& ins = *statements.at;
            ++statements.at;
            setRecord(child, &ins, CommentedPart::Whole, ins.kind != InstructionKind::On);
            if (ins.kind == InstructionKind::On && ins.block != nullptr) {
                const InstructionList& list = *ins.block;
                Statements block{list.begin(), list.end()};
                mapStatements(child, block);
            }
        }
    }

    // ---- placing one comment ----

    bool standsOnItsOwnLine(std::size_t offset) const {
        while (offset > 0) {
            const char c = source_[offset - 1];
            if (c == '\n') return true;
            if (c != ' ' && c != '\t' && c != '\r' && c != '\f' && c != '\v') return false;
            --offset;
        }
        return true;
    }

    // Where a comment at `offset` stands in the tree: the deepest construct
    // that holds it, how many of that construct's children begin at or
    // before it, and the last of those (kNoNode when none). Comments come
    // in source order, so the walk goes on from where the last one left
    // it: it leaves the constructs that end before the offset and steps
    // over the children that begin before it, each child once in a run.
    // (Going down from the root each time searched every level anew, a
    // cache miss a step on a large text.) An offset before the last one
    // starts again from the root.
    struct Standing {
        std::size_t node;
        std::size_t upTo;
        std::size_t previous;
    };

    Standing standingOf(std::size_t offset) {
        if (path_.empty() || offset < pathOffset_) path_.assign(1, Frame{root_, 0});
        pathOffset_ = offset;
        while (path_.size() > 1 && offset >= nodes_[path_.back().node].end) path_.pop_back();
        for (;;) {
            Frame& frame = path_.back();
            const std::span<const std::size_t> kids = childrenOf(frame.node);
            while (frame.upTo < kids.size() && nodes_[kids[frame.upTo]].begin <= offset) ++frame.upTo;
            const std::size_t child = frame.upTo == 0 ? kNoNode : kids[frame.upTo - 1];
            if (child != kNoNode && offset < nodes_[child].end) {
                path_.push_back(Frame{child, 0});
                continue;
            }
            return Standing{frame.node, frame.upTo, child};
        }
    }

    // Comments in a row on one line share the first one's standing: after
    // "/* a */ /* b */" alone on a line, both lead what follows.
    bool ownsItsLine(std::string_view comment) {
        const std::size_t begin = static_cast<std::size_t>(comment.data() - source_.data());
        bool own = standsOnItsOwnLine(begin);
        if (previousEnd_ != kNoNode && previousEnd_ <= begin) {
            const std::string_view between = source_.substr(previousEnd_, begin - previousEnd_);
            if (between.find_first_not_of(" \t\f\v\r") == std::string_view::npos) own = previousOwnsLine_;
        }
        previousEnd_ = begin + comment.size();
        previousOwnsLine_ = own;
        return own;
    }

    void attach(std::string_view comment, bool ownLine) {
        const std::size_t begin = static_cast<std::size_t>(comment.data() - source_.data());
        const Node& root = nodes_[root_];
        if (begin < root.begin) return place(root_, Place::Before, comment);
        if (begin >= root.end) return place(root_, ownLine ? Place::After : Place::AfterEnd, comment);
        const auto [node, upTo, previous] = standingOf(begin);
        const Node& holder = nodes_[node];
        if (!ownLine) {
            const std::size_t at = holder.oneLine || previous == kNoNode ? node : previous;
            const Place where = holder.oneLine || previous != kNoNode ? Place::AfterEnd : Place::AfterHead;
            std::vector<std::string_view>& trailing = slot(at, where);
            if (!endsWithLineComment(trailing)) return trailing.push_back(comment);
        }
        if (holder.oneLine) return place(node, Place::Before, comment);
        const std::span<const std::size_t> kids = childrenOf(node);
        if (upTo < kids.size()) return place(kids[upTo], Place::Before, comment);
        // The mission's last comments stay at its end, whichever plan the
        // layout writes last.
        if (previous != kNoNode && node != root_) return place(previous, Place::After, comment);
        place(node, Place::Inside, comment);
    }

    void place(std::size_t at, Place where, std::string_view comment) { slot(at, where).push_back(comment); }

    // The list a comment placed so goes to.
    std::vector<std::string_view>& slot(std::size_t at, Place where) {
        // A construct without its record (none is expected) hands its
        // comments to the nearest one that has.
        std::size_t owner = at;
        while (nodes_[owner].record == nullptr && owner != root_) owner = parentOf(owner);
        const Node& node = nodes_[owner];
        if (owner != at) where = Place::Inside;
        if (node.joinedPlan) {
            if (where == Place::Before || where == Place::AfterHead) {
                if (node.firstStatement != kNoNode) return placesOf(node.firstStatement).before;
                where = Place::Inside;
            }
            owner = node.firstBlock;
        }
        CommentPlaces& places = placesOf(owner);
        switch (where) {
        case Place::Before: return places.before;
        case Place::AfterHead: return places.afterHead;
        case Place::AfterEnd: return places.afterEnd;
        case Place::Inside: return places.inside;
        case Place::After: break;
        }
        return places.after;
    }

    // Each construct's places are found through its node, not looked up by
    // its record.
    CommentPlaces& placesOf(std::size_t at) {
        Node& node = nodes_[at];
        if (node.places == nullptr) node.places = &result_.add(node.record, node.part);
        return *node.places;
    }

    // Nothing can follow a "//" comment on its line: a comment after one
    // goes where it would go on a line of its own, which is where reading
    // the layout back would put it.
    static bool endsWithLineComment(const std::vector<std::string_view>& list) {
        return !list.empty() && list.back().size() >= 2 && list.back()[1] == '/';
    }

    std::size_t parentOf(std::size_t child) {
        if (parents_.empty()) {
            parents_.assign(nodes_.size(), root_);
            for (std::size_t at = 0; at < nodes_.size(); ++at) {
                for (std::size_t c : childrenOf(at)) parents_[c] = at;
            }
        }
        return parents_[child];
    }

    std::string_view source_;
    const Mission& mission_;
    std::vector<Node>& nodes_;
    const std::vector<std::size_t>& children_;
    const std::size_t root_;
    std::unordered_map<const Team*, TeamPlan> plans_;
    std::vector<std::size_t> parents_;
    // The constructs that held the last comment placed, root first, each
    // with how many of its children begin at or before that comment.
    struct Frame {
        std::size_t node;
        std::size_t upTo;
    };
    std::vector<Frame> path_;
    std::size_t pathOffset_ = 0;
    std::size_t previousEnd_ = kNoNode;
    bool previousOwnsLine_ = false;
    AttachedComments::Builder result_;
};

}  // namespace

ConstructTree::ConstructTree(std::unique_ptr<Parts> parts) : parts_(std::move(parts)) {}
ConstructTree::ConstructTree(ConstructTree&&) noexcept = default;
ConstructTree& ConstructTree::operator=(ConstructTree&&) noexcept = default;
ConstructTree::~ConstructTree() = default;

ConstructTree findConstructs(std::string_view source, TokenObserver* tokens) {
    auto parts = std::make_unique<ConstructTree::Parts>();
    std::vector<Node>& nodes_ = parts->nodes;
    std::vector<std::size_t>& children_ = parts->children;
    const Grammar& grammar = grammarConstructs();
    std::vector<std::size_t> pending;
    const std::vector<ConstructSpan> spans = constructSpans(source, grammar.wanted, tokens);
    nodes_.reserve(spans.size());
    children_.reserve(spans.size());
    for (const ConstructSpan& span : spans) {
        Node node{grammar.constructOf[static_cast<std::size_t>(span.nonterminal)], span.begin, span.end};
        std::size_t firstChild = pending.size();
        while (firstChild > 0 && nodes_[pending[firstChild - 1]].begin >= span.begin) --firstChild;
        node.firstChild = children_.size();
        node.childCount = pending.size() - firstChild;
        children_.insert(children_.end(), pending.begin() + static_cast<std::ptrdiff_t>(firstChild), pending.end());
        pending.resize(firstChild);
        pending.push_back(nodes_.size());
        nodes_.push_back(std::move(node));
    }
    if (!pending.empty() && nodes_[pending.back()].construct == Construct::Mission) parts->root = pending.back();
    return ConstructTree(std::move(parts));
}

AttachedComments attachComments(ConstructTree tree, std::string_view source,
                                const std::vector<std::string_view>& comments, const Mission& mission) {
    if (comments.empty() || !tree.parts_) return {};
    return Attacher(*tree.parts_, source, mission).run(comments);
}

}  // namespace zeb
