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

float toReal(const SemanticValue& value) {
    return static_cast<float>(value.integer);
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

NameError addMember(ParseContext& context, MemberKind kind, const SemanticValue* rhs) {
    const std::string_view name = rhs[1].text;
    if (mission(context).isMemberDeclared(name)) return withName("member name '%s' already in use", name);
    mission(context).addMember(static_cast<std::int32_t>(kind), name, rhs[2].text);
    return kSucceeded;
}

// ---- objectives ----

NameError addObjective(ParseContext& context, std::int32_t outcome, const SemanticValue* rhs) {
    Mission& m = mission(context);
    const std::string_view subject = rhs[2].text;
    if (!m.isTeamDeclared(subject) && !m.isForceDeclared(subject)) return failure("use of undeclared team or force");
    m.addObjective(outcome, subject, rhs[4].text);
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

NameError addWait(ParseContext& context, float value) {
    mission(context).addInstructionWithValue(kindCode(InstructionKind::Wait), value);
    return kSucceeded;
}

NameError addBarePatrol(ParseContext& context) {
    if (mission(context).getAreas().size() < 2)
        return failure("patrol command requires at least 2 areas to be defined");
    return addPlain(context, InstructionKind::Patrol);
}

NameError addPatrolAreaLabel(ParseContext& context, std::string_view label) {
    Mission& m = mission(context);
    ++context.patrolAreaCount;
    if (!m.isAreaDeclared(label)) return failure("undefined area label in patrol area list");
    if (!m.isNewPatrolArea(label)) return failure("area label appears twice in area list");
    m.addPatrolArea(label);
    return kSucceeded;
}

NameError endPatrolList(ParseContext& context) {
    if (context.patrolAreaCount < 2) return failure("patrol area list needs to include at least two areas");
    return addPlain(context, InstructionKind::Patrol);
}

NameError addTrigger(ParseContext& context, std::int32_t event) {
    context.pendingTriggerEvents |= event;
    return kSucceeded;
}

NameError addOnInstruction(ParseContext& context) {
    mission(context).addOnInstruction(kindCode(InstructionKind::On), context.planTeam, context.pendingTriggerEvents,
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
        return done([&] { mission(context).setMissionName(rhs[1].text); });
    case Action::setAuthor: return done([&] { mission(context).setAuthor(rhs[1].text); });
    case Action::setDescription: return done([&] { mission(context).setDescription(rhs[1].text); });
    case Action::addRespawnNone: return done([&] { mission(context).addRule("respawn", 0); });
    case Action::addRespawnIndividual: return done([&] { mission(context).addRule("respawn", 2); });
    case Action::addRespawnTeam: return done([&] { mission(context).addRule("respawn", 1); });

    // map
    case Action::setMapName: return done([&] { mission(context).setMapName(rhs[1].text); });
    case Action::addMapStyleOpen: return done([&] { mission(context).addMapStyle(kMapOpen); });
    case Action::addMapStyleUrban: return done([&] { mission(context).addMapStyle(kMapUrban); });
    case Action::addMapStyleDark: return done([&] { mission(context).addMapStyle(kMapDark); });
    case Action::addMapStyleIndoor: return done([&] { mission(context).addMapStyle(kMapIndoor); });
    case Action::appendAnnotation: return done([&] { mission(context).appendAnnotation(rhs[0].text); });
    case Action::setPendingLocationLabel: context.pendingLocationLabel = rhs[1].text; return kSucceeded;
    case Action::addLocation:
        context.pendingPosition = {toReal(rhs[1]), toReal(rhs[3]), toReal(rhs[5])};
        return done([&] {
            const Position& p = context.pendingPosition;
            mission(context).addLocation(context.pendingLocationLabel, p.x, p.y, p.z);
        });
    case Action::addArea: return done([&] { mission(context).addArea(rhs[1].text); });
    case Action::addAreaStyleOpen: return done([&] { mission(context).addAreaStyle(kAreaOpen); });
    case Action::addAreaStyleClosed: return done([&] { mission(context).addAreaStyle(kAreaClosed); });
    case Action::addAreaStyleRoof: return done([&] { mission(context).addAreaStyle(kAreaRoof); });
    case Action::beginLocationsList: context.labelListKind = kLocationsList; return kSucceeded;
    case Action::beginEntrancesList: context.labelListKind = kEntrancesList; return kSucceeded;
    case Action::beginExitsList: context.labelListKind = kExitsList; return kSucceeded;
    case Action::beginWindowsList: context.labelListKind = kWindowsList; return kSucceeded;
    case Action::setAreaRadius: return done([&] { mission(context).setAreaRadius(rhs[2].integer); });
    case Action::addLocationLabel: return addLocationLabel(context, rhs[0].text);

    // forces
    case Action::addForce: return addForce(context, rhs[1].text);
    case Action::addTeam: return addTeam(context, rhs[1].text);
    case Action::addNpc: return addMember(context, MemberKind::Npc, rhs);
    case Action::addPlayer: return addMember(context, MemberKind::Player, rhs);
    case Action::addWeapon: return done([&] { mission(context).addWeapon(rhs[1].text); });
    case Action::addAmmo: return done([&] { mission(context).addAmmo(rhs[1].text, rhs[3].integer); });
    case Action::addItem: return done([&] { mission(context).addItem(rhs[1].text); });
    case Action::setSkillFromReal: return done([&] { mission(context).setSkill(rhs[0].real); });
    case Action::setSkillFromInteger: return done([&] { mission(context).setSkill(toReal(rhs[0])); });

    // objectives
    case Action::addSuccessObjective: return addObjective(context, 0, rhs);
    case Action::addFailureObjective: return addObjective(context, 1, rhs);
    case Action::openConditionNode: return done([&] { mission(context).openConditionNode(); });
    case Action::setNotOperator: return done([&] { mission(context).setConditionOperator(kConditionNot); });
    case Action::closeConditionNode: return done([&] { mission(context).closeConditionNode(); });
    case Action::setOrOperator: return done([&] { mission(context).setConditionOperator(kConditionOr); });
    case Action::setAndOperator: return done([&] { mission(context).setConditionOperator(kConditionAnd); });
    case Action::addEliminatedLeaf: return addSideLeaf(context, kConditionEliminated, rhs[2].text);
    case Action::addOccupiedLeaf:
        return done([&] { mission(context).addConditionLeaf(kConditionOccupied, rhs[2].text); });
    case Action::addAliveLeaf: return addSideLeaf(context, kConditionAlive, rhs[2].text);
    case Action::addTimeoutLeaf:
        return done([&] { mission(context).addTimeoutCondition(kConditionTimeout, rhs[2].integer); });
    case Action::addReachedLeaf: return addReachedLeaf(context, rhs[2].text);
    case Action::addObjectiveResult: return done([&] { mission(context).addObjectiveResult(rhs[0].text); });

    // plans
    case Action::beginPlan: return beginPlan(context, rhs[1].text);
    case Action::endPlan:
        mission(context).endPlan();
        context.planTeam.reset();
        return kSucceeded;
    case Action::addWaitInteger: return addWait(context, toReal(rhs[1]));
    case Action::addWaitReal: return addWait(context, rhs[1].real);
    case Action::addWaitForever: return addWait(context, 100000.0f);
    case Action::addWaitUntilReady: return addPlain(context, InstructionKind::WaitUntilReady);
    case Action::addWaitUntilAssembled: return addPlain(context, InstructionKind::WaitUntilAssembled);
    case Action::addWaitUntilCode: return addWithText(context, InstructionKind::WaitUntilCode, rhs[4].text);
    case Action::addAbort: return addPlain(context, InstructionKind::Abort);
    case Action::addAdvance: return addWithLocationAndText(context, InstructionKind::Advance, rhs[2].text, rhs[4].text);
    case Action::addAssemble:
        return addWithLocationAndText(context, InstructionKind::Assemble, rhs[2].text, rhs[4].text);
    case Action::addAttack: return addWithLocation(context, InstructionKind::Attack, rhs[2].text);
    case Action::addContinue: return addWithText(context, InstructionKind::Continue, rhs[3].text);
    case Action::addDefend: return addWithTwoLocations(context, InstructionKind::Defend, rhs[2].text, rhs[4].text);
    case Action::addFreezeInteger:
        return addWithLocationAndValue(context, InstructionKind::Freeze, rhs[2].text, toReal(rhs[4]));
    case Action::addFreezeReal:
        return addWithLocationAndValue(context, InstructionKind::Freeze, rhs[2].text, rhs[4].real);
    case Action::addInsert: return addWithLocationAndText(context, InstructionKind::Insert, rhs[2].text, rhs[4].text);
    case Action::addJoin: return addPlain(context, InstructionKind::Join);
    case Action::addMoveup: return addWithLocationAndText(context, InstructionKind::Moveup, rhs[2].text, rhs[4].text);
    case Action::addObserve: return addWithLocation(context, InstructionKind::Observe, rhs[1].text);
    case Action::addPhase:
        // A phase is owned by its own name, not by the plan's team.
        return done([&] { mission(context).addInstruction(kindCode(InstructionKind::Phase), rhs[1].text); });
    case Action::addPullback:
        return addWithLocationAndText(context, InstructionKind::Pullback, rhs[2].text, rhs[4].text);
    case Action::addRadio: return addWithText(context, InstructionKind::Radio, rhs[1].text);
    case Action::addSignalTowards:
        return addWithLocationAndText(context, InstructionKind::SignalTowards, rhs[2].text, std::nullopt);
    case Action::addSignalTowardsWithText:
        return addWithLocationAndText(context, InstructionKind::SignalTowards, rhs[2].text, rhs[3].text);
    case Action::addSignalCode: return addWithText(context, InstructionKind::SignalCode, rhs[2].text);
    case Action::addSnipe: return addWithTwoLocations(context, InstructionKind::Snipe, rhs[2].text, rhs[4].text);
    case Action::addSpawn: return addPlain(context, InstructionKind::Spawn);
    case Action::addSplit:
        return done([&] {
            mission(context).addInstructionWithLabelAndValue(kindCode(InstructionKind::Split), context.planTeam,
                                                             rhs[1].text, toReal(rhs[2]));
        });
    case Action::addSpreadInteger:
        return addWithLocationAndValue(context, InstructionKind::Spread, rhs[2].text, toReal(rhs[4]));
    case Action::addSpreadReal:
        return addWithLocationAndValue(context, InstructionKind::Spread, rhs[2].text, rhs[4].real);
    case Action::addTakeCover: return addWithLocation(context, InstructionKind::TakeCover, rhs[3].text);
    case Action::addBarePatrol: return addBarePatrol(context);
    case Action::beginPatrolList:
        context.patrolAreaCount = 0;
        return done([&] { mission(context).clearPatrolAreas(); });
    case Action::endPatrolList: return endPatrolList(context);
    case Action::addPatrolAreaLabel: return addPatrolAreaLabel(context, rhs[0].text);
    case Action::addOnInstruction: return addOnInstruction(context);
    case Action::beginBlock: return done([&] { mission(context).beginBlock(); });
    case Action::endBlock: return done([&] { mission(context).endBlock(); });
    case Action::beginTriggerSet:
        context.pendingTriggerEvents = 0;
        context.pendingTriggerCode.reset();
        return kSucceeded;
    case Action::addContactTrigger: return addTrigger(context, kEventContact);
    case Action::addUnderFireTrigger: return addTrigger(context, kEventUnderFire);
    case Action::addCasualtyTrigger: return addTrigger(context, kEventCasualty);
    case Action::addCodeTrigger: context.pendingTriggerCode = rhs[1].text; return addTrigger(context, kEventCode);
    }
    return kSucceeded;
}

}  // namespace zeb
