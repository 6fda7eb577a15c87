#include "frontend/grammar_actions.h"

#include "model/mission.h"

namespace zeb {

std::string NameError::cause() const {
    const std::string_view text = format;
    const std::size_t at = text.find("%s");
    if (at == std::string_view::npos) return std::string(text);
    std::string cause;
    cause.reserve(text.size() + name.size());
    cause.append(text.substr(0, at)).append(name).append(text.substr(at + 2));
    return cause;
}

namespace {

using grammar::Action;

NameError withName(const char* format, std::string_view name) {
    return {format, name};
}

NameError failure(const char* cause) {
    return {cause, {}};
}

constexpr NameError kSucceeded{};

Mission& mission(ParseContext& context) {
    return *context.mission;
}

// The named operands of an action, as the grammar names them.
template <Action A>
using Operands = grammar::OperandsOf<SemanticValue, A>;

template <Action A>
Operands<A> operands(const SemanticValue* rhs) {
    return {rhs};
}

// An INTEGER or a REAL where the model keeps a real.
template <typename Number>
float realOf(Number value) {
    return static_cast<float>(value);
}

// ---- map ----

NameError addLocationLabel(ParseContext& context, std::string_view label) {
    Mission& m = mission(context);
    if (!m.isLocationDeclared(label)) return withName("location label '%s' not declared", label);
    // The area's lists keep the scanner's own text, so no copy here.
    switch (static_cast<LabelListKind>(context.labelListKind)) {
    case kLocationsList: m.addAreaLocation(label); break;
    case kEntrancesList: m.addAreaEntrance(label); break;
    case kExitsList: m.addAreaExit(label); break;
    case kWindowsList: m.addAreaWindow(label); break;
    case kNoLabelList: break;
    }
    return kSucceeded;
}

// ---- forces ----

NameError addForce(ParseContext& context, std::string_view name) {
    if (mission(context).isForceDeclared(name)) return withName("force name '%s' already in use", name);
    mission(context).addForce(name);
    return kSucceeded;
}

NameError addTeam(ParseContext& context, std::string_view name) {
    if (mission(context).isTeamDeclared(name)) return withName("team name '%s' already in use", name);
    mission(context).addTeam(name);
    return kSucceeded;
}

NameError addMember(ParseContext& context, MemberKind kind, std::string_view name, std::string_view secondName) {
    if (mission(context).isMemberDeclared(name)) return withName("member name '%s' already in use", name);
    mission(context).addMember(static_cast<std::int32_t>(kind), name, secondName);
    return kSucceeded;
}

// ---- objectives ----

NameError addObjective(ParseContext& context, std::int32_t outcome, std::string_view subject,
                       std::string_view description) {
    Mission& m = mission(context);
    if (!m.isTeamDeclared(subject) && !m.isForceDeclared(subject)) return failure("use of undeclared team or force");
    m.addObjective(outcome, subject, description);
    return kSucceeded;
}

// "eliminated" and "alive" name a team, a member or a force.
NameError addSideLeaf(ParseContext& context, ConditionKind kind, std::string_view name) {
    Mission& m = mission(context);
    if (!m.isTeamDeclared(name) && !m.isMemberDeclared(name) && !m.isForceDeclared(name)) {
        return failure("use of undeclared member, team or force");
    }
    m.addConditionLeaf(kind, name);
    return kSucceeded;
}

NameError addReachedLeaf(ParseContext& context, std::string_view name) {
    Mission& m = mission(context);
    if (!m.isLocationDeclared(name) && !m.isMemberDeclared(name) && !m.isAreaDeclared(name)) {
        return failure("use of undeclared member, location, or area");
    }
    m.addConditionLeaf(kConditionReached, name);
    return kSucceeded;
}

// ---- plans ----

std::int32_t kindCode(InstructionKind kind) {
    return static_cast<std::int32_t>(kind);
}

NameError beginPlan(ParseContext& context, std::string_view team) {
    if (!mission(context).isTeamDeclared(team)) return failure("use of undeclared team");
    mission(context).selectPlan(team);
    context.planTeam = team;
    return kSucceeded;
}

bool isLocation(ParseContext& context, std::string_view label) {
    return mission(context).isLocationDeclared(label);
}

const char* const kUndeclaredLocation = "use of undeclared location";

// An instruction with one location label.
NameError addWithLocation(ParseContext& context, InstructionKind kind, std::string_view label) {
    if (!isLocation(context, label)) return failure(kUndeclaredLocation);
    mission(context).addInstructionWithLabel(kindCode(kind), context.planTeam, label);
    return kSucceeded;
}

// A location label and a quoted text ("using", or a signal's message).
NameError addWithLocationAndText(ParseContext& context, InstructionKind kind, std::string_view label,
                                 OptionalText text) {
    if (!isLocation(context, label)) return failure(kUndeclaredLocation);
    mission(context).addInstructionWithLabels(kindCode(kind), context.planTeam, label, text);
    return kSucceeded;
}

// Two location labels, checked in the order written.
NameError addWithTwoLocations(ParseContext& context, InstructionKind kind, std::string_view first,
                              std::string_view second) {
    if (!isLocation(context, first) || !isLocation(context, second)) return failure(kUndeclaredLocation);
    mission(context).addInstructionWithLabels(kindCode(kind), context.planTeam, first, second);
    return kSucceeded;
}

NameError addWithLocationAndValue(ParseContext& context, InstructionKind kind, std::string_view label, float value) {
    if (!isLocation(context, label)) return failure(kUndeclaredLocation);
    mission(context).addInstructionWithLabelAndValue(kindCode(kind), context.planTeam, label, value);
    return kSucceeded;
}

NameError addPlain(ParseContext& context, InstructionKind kind) {
    mission(context).addInstruction(kindCode(kind), context.planTeam);
    return kSucceeded;
}

NameError addWithText(ParseContext& context, InstructionKind kind, std::string_view text) {
    mission(context).addInstructionWithLabel(kindCode(kind), context.planTeam, text);
    return kSucceeded;
}

NameError addPatrolAreaLabel(ParseContext& context, std::string_view label) {
    Mission& m = mission(context);
    ++context.patrolAreaCount;
    if (!m.isAreaDeclared(label)) return failure("undefined area label in patrol area list");
    if (!m.isNewPatrolArea(label)) return failure("area label appears twice in area list");
    m.addPatrolArea(label);
    return kSucceeded;
}

NameError addTrigger(ParseContext& context, std::int32_t event) {
    context.pendingTriggerEvents |= event;
    return kSucceeded;
}

// ---- instruction shapes ----
//
// Each form of model/instructions.def names one of these: it reads the
// operands its action's grammar alternative names, and records the kind.
// They are only spelling: each is inlined into the dispatch, which then
// calls the recording function directly, as a hand-written case would.

template <typename Ops>
[[gnu::always_inline]] inline NameError plain(ParseContext& context, InstructionKind kind, Ops) {
    return addPlain(context, kind);
}

template <typename Ops>
[[gnu::always_inline]] inline NameError waitFor(ParseContext& context, InstructionKind kind, Ops wait) {
    mission(context).addInstructionWithValue(kindCode(kind), realOf(wait.value()));
    return kSucceeded;
}

// Stored as a long wait that the writer reads back as forever.
template <typename Ops>
[[gnu::always_inline]] inline NameError waitForever(ParseContext& context, InstructionKind kind, Ops) {
    mission(context).addInstructionWithValue(kindCode(kind), 100000.0f);
    return kSucceeded;
}

template <typename Ops>
[[gnu::always_inline]] inline NameError placeOnly(ParseContext& context, InstructionKind kind, Ops ins) {
    return addWithLocation(context, kind, ins.place());
}

template <typename Ops>
[[gnu::always_inline]] inline NameError placeUsing(ParseContext& context, InstructionKind kind, Ops ins) {
    return addWithLocationAndText(context, kind, ins.place(), ins.how());
}

// A signal keeps the place and its message, or none, in the same fields;
// a form without a message is its own shape, so a misnamed message cannot
// pass for an absent one.
template <typename Ops>
[[gnu::always_inline]] inline NameError placeWithMessage(ParseContext& context, InstructionKind kind, Ops ins) {
    return addWithLocationAndText(context, kind, ins.place(), ins.message());
}

template <typename Ops>
[[gnu::always_inline]] inline NameError placeWithoutMessage(ParseContext& context, InstructionKind kind, Ops ins) {
    return addWithLocationAndText(context, kind, ins.place(), std::nullopt);
}

template <typename Ops>
[[gnu::always_inline]] inline NameError twoPlaces(ParseContext& context, InstructionKind kind, Ops ins) {
    return addWithTwoLocations(context, kind, ins.first(), ins.second());
}

template <typename Ops>
[[gnu::always_inline]] inline NameError placeAndValue(ParseContext& context, InstructionKind kind, Ops ins) {
    return addWithLocationAndValue(context, kind, ins.place(), realOf(ins.value()));
}

template <typename Ops>
[[gnu::always_inline]] inline NameError textOnly(ParseContext& context, InstructionKind kind, Ops ins) {
    return addWithText(context, kind, ins.text());
}

// A phase is owned by its own name, not by the plan's team.
template <typename Ops>
[[gnu::always_inline]] inline NameError phaseNamed(ParseContext& context, InstructionKind kind, Ops phase) {
    mission(context).addInstruction(kindCode(kind), phase.name());
    return kSucceeded;
}

// The new team's name is not a location: nothing to check.
template <typename Ops>
[[gnu::always_inline]] inline NameError split(ParseContext& context, InstructionKind kind, Ops ins) {
    mission(context).addInstructionWithLabelAndValue(kindCode(kind), context.planTeam, ins.team(), realOf(ins.count()));
    return kSucceeded;
}

template <typename Ops>
[[gnu::always_inline]] inline NameError barePatrol(ParseContext& context, InstructionKind kind, Ops) {
    if (mission(context).getAreas().size() < 2)
        return failure("patrol command requires at least 2 areas to be defined");
    return addPlain(context, kind);
}

template <typename Ops>
[[gnu::always_inline]] inline NameError patrolList(ParseContext& context, InstructionKind kind, Ops) {
    if (context.patrolAreaCount < 2) return failure("patrol area list needs to include at least two areas");
    return addPlain(context, kind);
}

template <typename Ops>
[[gnu::always_inline]] inline NameError onBlock(ParseContext& context, InstructionKind kind, Ops) {
    mission(context).addOnInstruction(kindCode(kind), context.planTeam, context.pendingTriggerEvents,
                                      context.pendingTriggerCode);
    context.pendingTriggerCode.reset();
    return kSucceeded;
}

// Actions that always succeed.
template <typename F>
NameError done(F&& call) {
    call();
    return kSucceeded;
}

}  // namespace

NameError runGrammarAction(Action action, ParseContext& context, const SemanticValue* rhs) {
    switch (action) {
    case Action::None: return kSucceeded;

    // header and rules
    case Action::beginMission:
        context.mission = &context.target;
        return done([&] { mission(context).setMissionName(operands<Action::beginMission>(rhs).name()); });
    case Action::setAuthor: return done([&] { mission(context).setAuthor(operands<Action::setAuthor>(rhs).author()); });
    case Action::setDescription:
        return done([&] { mission(context).setDescription(operands<Action::setDescription>(rhs).description()); });
    case Action::addRespawnNone: return done([&] { mission(context).addRule("respawn", 0); });
    case Action::addRespawnIndividual: return done([&] { mission(context).addRule("respawn", 2); });
    case Action::addRespawnTeam: return done([&] { mission(context).addRule("respawn", 1); });

    // map
    case Action::setMapName:
        return done([&] { mission(context).setMapName(operands<Action::setMapName>(rhs).name()); });
    case Action::addMapStyleOpen: return done([&] { mission(context).addMapStyle(kMapOpen); });
    case Action::addMapStyleUrban: return done([&] { mission(context).addMapStyle(kMapUrban); });
    case Action::addMapStyleDark: return done([&] { mission(context).addMapStyle(kMapDark); });
    case Action::addMapStyleIndoor: return done([&] { mission(context).addMapStyle(kMapIndoor); });
    case Action::appendAnnotation:
        return done([&] { mission(context).appendAnnotation(operands<Action::appendAnnotation>(rhs).line()); });
    case Action::setPendingLocationLabel:
        context.pendingLocationLabel = operands<Action::setPendingLocationLabel>(rhs).label();
        return kSucceeded;
    case Action::addLocation: {
        const auto at = operands<Action::addLocation>(rhs);
        context.pendingPosition = {realOf(at.x()), realOf(at.y()), realOf(at.z())};
        return done([&] {
            const Position& p = context.pendingPosition;
            mission(context).addLocation(context.pendingLocationLabel, p.x, p.y, p.z);
        });
    }
    case Action::addArea: return done([&] { mission(context).addArea(operands<Action::addArea>(rhs).label()); });
    case Action::addAreaStyleOpen: return done([&] { mission(context).addAreaStyle(kAreaOpen); });
    case Action::addAreaStyleClosed: return done([&] { mission(context).addAreaStyle(kAreaClosed); });
    case Action::addAreaStyleRoof: return done([&] { mission(context).addAreaStyle(kAreaRoof); });
    case Action::beginLocationsList: context.labelListKind = kLocationsList; return kSucceeded;
    case Action::beginEntrancesList: context.labelListKind = kEntrancesList; return kSucceeded;
    case Action::beginExitsList: context.labelListKind = kExitsList; return kSucceeded;
    case Action::beginWindowsList: context.labelListKind = kWindowsList; return kSucceeded;
    case Action::setAreaRadius:
        return done([&] { mission(context).setAreaRadius(operands<Action::setAreaRadius>(rhs).radius()); });
    case Action::addLocationLabel: return addLocationLabel(context, operands<Action::addLocationLabel>(rhs).label());

    // forces
    case Action::addForce: return addForce(context, operands<Action::addForce>(rhs).name());
    case Action::addTeam: return addTeam(context, operands<Action::addTeam>(rhs).name());
    case Action::addNpc: {
        const auto npc = operands<Action::addNpc>(rhs);
        return addMember(context, MemberKind::Npc, npc.name(), npc.secondName());
    }
    case Action::addPlayer: {
        const auto player = operands<Action::addPlayer>(rhs);
        return addMember(context, MemberKind::Player, player.name(), player.secondName());
    }
    case Action::addWeapon: return done([&] { mission(context).addWeapon(operands<Action::addWeapon>(rhs).name()); });
    case Action::addAmmo: {
        const auto ammo = operands<Action::addAmmo>(rhs);
        return done([&] { mission(context).addAmmo(ammo.name(), ammo.count()); });
    }
    case Action::addItem: return done([&] { mission(context).addItem(operands<Action::addItem>(rhs).name()); });
    case Action::setSkillFromReal:
        return done([&] { mission(context).setSkill(operands<Action::setSkillFromReal>(rhs).skill()); });
    case Action::setSkillFromInteger:
        return done([&] { mission(context).setSkill(realOf(operands<Action::setSkillFromInteger>(rhs).skill())); });

    // objectives
    case Action::addSuccessObjective: {
        const auto objective = operands<Action::addSuccessObjective>(rhs);
        return addObjective(context, 0, objective.subject(), objective.description());
    }
    case Action::addFailureObjective: {
        const auto objective = operands<Action::addFailureObjective>(rhs);
        return addObjective(context, 1, objective.subject(), objective.description());
    }
    case Action::openConditionNode: return done([&] { mission(context).openConditionNode(); });
    case Action::setNotOperator: return done([&] { mission(context).setConditionOperator(kConditionNot); });
    case Action::closeConditionNode: return done([&] { mission(context).closeConditionNode(); });
    case Action::setOrOperator: return done([&] { mission(context).setConditionOperator(kConditionOr); });
    case Action::setAndOperator: return done([&] { mission(context).setConditionOperator(kConditionAnd); });
    case Action::addEliminatedLeaf:
        return addSideLeaf(context, kConditionEliminated, operands<Action::addEliminatedLeaf>(rhs).name());
    case Action::addOccupiedLeaf:
        return done([&] {
            mission(context).addConditionLeaf(kConditionOccupied, operands<Action::addOccupiedLeaf>(rhs).name());
        });
    case Action::addAliveLeaf: return addSideLeaf(context, kConditionAlive, operands<Action::addAliveLeaf>(rhs).name());
    case Action::addTimeoutLeaf:
        return done([&] {
            mission(context).addTimeoutCondition(kConditionTimeout, operands<Action::addTimeoutLeaf>(rhs).count());
        });
    case Action::addReachedLeaf: return addReachedLeaf(context, operands<Action::addReachedLeaf>(rhs).name());
    case Action::addObjectiveResult:
        return done([&] { mission(context).addObjectiveResult(operands<Action::addObjectiveResult>(rhs).text()); });

    // plans
    case Action::beginPlan: return beginPlan(context, operands<Action::beginPlan>(rhs).team());
    case Action::endPlan:
        mission(context).endPlan();
        context.planTeam.reset();
        return kSucceeded;
    case Action::beginPatrolList:
        context.patrolAreaCount = 0;
        return done([&] { mission(context).clearPatrolAreas(); });
    case Action::addPatrolAreaLabel:
        return addPatrolAreaLabel(context, operands<Action::addPatrolAreaLabel>(rhs).label());
    case Action::beginBlock: return done([&] { mission(context).beginBlock(); });
    case Action::endBlock: return done([&] { mission(context).endBlock(); });
    case Action::beginTriggerSet:
        context.pendingTriggerEvents = 0;
        context.pendingTriggerCode.reset();
        return kSucceeded;
    case Action::addContactTrigger: return addTrigger(context, kEventContact);
    case Action::addUnderFireTrigger: return addTrigger(context, kEventUnderFire);
    case Action::addCasualtyTrigger: return addTrigger(context, kEventCasualty);
    case Action::addCodeTrigger:
        context.pendingTriggerCode = operands<Action::addCodeTrigger>(rhs).code();
        return addTrigger(context, kEventCode);

        // Every form of every instruction, from the one instruction list.
#define ZEB_INSTRUCTION(kind, words)
#define ZEB_FORM(kind, action, shape) \
    case Action::action:              \
        return shape(context, InstructionKind::kind, operands<Action::action>(rhs));
#include "model/instructions.def"
#undef ZEB_INSTRUCTION
#undef ZEB_FORM
    }
    return kSucceeded;
}

}  // namespace zeb
