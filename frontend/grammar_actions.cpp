#include "frontend/grammar_actions.h"

#include "model/mission_builder.h"

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

// The name is not part of the legacy cause, but it tells the companion
// tools where the fault is.
NameError failure(const char* cause, std::string_view name = {}) {
    return {cause, name};
}

constexpr NameError kSucceeded{};

const Mission& declared(MissionBuilder& builder) {
    return builder.mission();
}

float toReal(const SemanticValue& value) {
    return static_cast<float>(value.integer);
}

// ---- map ----

NameError addLocationLabel(MissionBuilder& builder, std::string_view label) {
    if (!declared(builder).isLocationDeclared(label)) return withName("location label '%s' not declared", label);
    // The area's lists keep the scanner's own text, so no copy here.
    builder.addAreaLabel(label);
    return kSucceeded;
}

// ---- forces ----

// Going on after a failed check, the record still gets what later actions
// build on (the current force, team, member, objective or plan).
template <typename Add>
NameError addDespite(MissionBuilder& builder, NameError error, Add add) {
    if (error && !builder.keepsGoingAfterNameErrors()) return error;
    add();
    return error;
}

NameError addForce(MissionBuilder& builder, std::string_view name) {
    NameError error;
    if (declared(builder).isForceDeclared(name)) error = withName("force name '%s' already in use", name);
    return addDespite(builder, error, [&] { builder.addForce(name); });
}

NameError addTeam(MissionBuilder& builder, std::string_view name) {
    NameError error;
    if (declared(builder).isTeamDeclared(name)) error = withName("team name '%s' already in use", name);
    return addDespite(builder, error, [&] { builder.addTeam(name); });
}

NameError addMember(MissionBuilder& builder, MemberKind kind, const SemanticValue* rhs) {
    const std::string_view name = rhs[1].text;
    NameError error;
    if (declared(builder).isMemberDeclared(name)) error = withName("member name '%s' already in use", name);
    return addDespite(builder, error, [&] { builder.addMember(kind, name, rhs[2].text); });
}

// ---- objectives ----

NameError addObjective(MissionBuilder& builder, Outcome outcome, const SemanticValue* rhs) {
    const Mission& m = declared(builder);
    const std::string_view subject = rhs[2].text;
    NameError error;
    if (!m.isTeamDeclared(subject) && !m.isForceDeclared(subject))
        error = failure("use of undeclared team or force", subject);
    return addDespite(builder, error, [&] { builder.addObjective(outcome, subject, rhs[4].text); });
}

// "eliminated" and "alive" name a team, a member or a force.
NameError addSideLeaf(MissionBuilder& builder, ConditionKind kind, std::string_view name) {
    const Mission& m = declared(builder);
    if (!m.isTeamDeclared(name) && !m.isMemberDeclared(name) && !m.isForceDeclared(name)) {
        return failure("use of undeclared member, team or force", name);
    }
    builder.addConditionLeaf(kind, name);
    return kSucceeded;
}

NameError addReachedLeaf(MissionBuilder& builder, std::string_view name) {
    const Mission& m = declared(builder);
    if (!m.isLocationDeclared(name) && !m.isMemberDeclared(name) && !m.isAreaDeclared(name)) {
        return failure("use of undeclared member, location, or area", name);
    }
    builder.addConditionLeaf(ConditionKind::Reached, name);
    return kSucceeded;
}

// ---- plans ----

NameError beginPlan(MissionBuilder& builder, std::string_view team) {
    NameError error;
    if (!declared(builder).isTeamDeclared(team)) error = failure("use of undeclared team", team);
    return addDespite(builder, error, [&] { builder.selectPlan(team); });
}

bool isLocation(MissionBuilder& builder, std::string_view label) {
    return declared(builder).isLocationDeclared(label);
}

const char* const kUndeclaredLocation = "use of undeclared location";

// An instruction with one location label.
NameError addWithLocation(MissionBuilder& builder, InstructionKind kind, std::string_view label) {
    if (!isLocation(builder, label)) return failure(kUndeclaredLocation, label);
    builder.addInstructionWithLabel(kind, builder.planTeam(), label);
    return kSucceeded;
}

// A location label and a quoted text ("using", or a signal's message).
NameError addWithLocationAndText(MissionBuilder& builder, InstructionKind kind, std::string_view label,
                                 OptionalText text) {
    if (!isLocation(builder, label)) return failure(kUndeclaredLocation, label);
    builder.addInstructionWithLabels(kind, builder.planTeam(), label, text);
    return kSucceeded;
}

// Two location labels, checked in the order written.
NameError addWithTwoLocations(MissionBuilder& builder, InstructionKind kind, std::string_view first,
                              std::string_view second) {
    if (!isLocation(builder, first)) return failure(kUndeclaredLocation, first);
    if (!isLocation(builder, second)) return failure(kUndeclaredLocation, second);
    builder.addInstructionWithLabels(kind, builder.planTeam(), first, second);
    return kSucceeded;
}

NameError addWithLocationAndValue(MissionBuilder& builder, InstructionKind kind, std::string_view label, float value) {
    if (!isLocation(builder, label)) return failure(kUndeclaredLocation, label);
    builder.addInstructionWithLabelAndValue(kind, builder.planTeam(), label, value);
    return kSucceeded;
}

NameError addPlain(MissionBuilder& builder, InstructionKind kind) {
    builder.addInstruction(kind, builder.planTeam());
    return kSucceeded;
}

NameError addWithText(MissionBuilder& builder, InstructionKind kind, std::string_view text) {
    builder.addInstructionWithLabel(kind, builder.planTeam(), text);
    return kSucceeded;
}

NameError addWait(MissionBuilder& builder, float value) {
    builder.addInstructionWithValue(InstructionKind::Wait, value);
    return kSucceeded;
}

NameError addBarePatrol(MissionBuilder& builder) {
    if (declared(builder).getAreas().size() < 2)
        return failure("patrol command requires at least 2 areas to be defined");
    return addPlain(builder, InstructionKind::Patrol);
}

NameError addPatrolAreaLabel(MissionBuilder& builder, std::string_view label) {
    const Mission& m = declared(builder);
    builder.countPatrolLabel();
    if (!m.isAreaDeclared(label)) return failure("undefined area label in patrol area list", label);
    if (!builder.isNewPatrolArea(label)) return failure("area label appears twice in area list", label);
    builder.addPatrolArea(label);
    return kSucceeded;
}

NameError endPatrolList(MissionBuilder& builder) {
    if (builder.patrolLabelCount() < 2) return failure("patrol area list needs to include at least two areas");
    return addPlain(builder, InstructionKind::Patrol);
}

NameError addTrigger(MissionBuilder& builder, TriggerEvent event) {
    builder.addTrigger(event);
    return kSucceeded;
}

NameError addOnInstruction(MissionBuilder& builder) {
    builder.addOnInstruction(builder.planTeam());
    return kSucceeded;
}

// Actions that always succeed.
template <typename F>
NameError done(F&& call) {
    call();
    return kSucceeded;
}

}  // namespace

NameError runGrammarAction(Action action, MissionBuilder& builder, const SemanticValue* rhs) {
    switch (action) {
    case Action::None: return kSucceeded;

    // header and rules
    case Action::beginMission: return done([&] { builder.setMissionName(rhs[1].text); });
    case Action::setAuthor: return done([&] { builder.setAuthor(rhs[1].text); });
    case Action::setDescription: return done([&] { builder.setDescription(rhs[1].text); });
    case Action::addRespawnNone: return done([&] { builder.addRule("respawn", RespawnMode::None); });
    case Action::addRespawnIndividual: return done([&] { builder.addRule("respawn", RespawnMode::Individual); });
    case Action::addRespawnTeam: return done([&] { builder.addRule("respawn", RespawnMode::Team); });

    // map
    case Action::setMapName: return done([&] { builder.setMapName(rhs[1].text); });
    case Action::addMapStyleOpen: return done([&] { builder.addMapStyle(MapStyle::Open); });
    case Action::addMapStyleUrban: return done([&] { builder.addMapStyle(MapStyle::Urban); });
    case Action::addMapStyleDark: return done([&] { builder.addMapStyle(MapStyle::Dark); });
    case Action::addMapStyleIndoor: return done([&] { builder.addMapStyle(MapStyle::Indoor); });
    case Action::appendAnnotation: return done([&] { builder.appendAnnotation(rhs[0].text); });
    case Action::setPendingLocationLabel: return done([&] { builder.setPendingLocationLabel(rhs[1].text); });
    case Action::addLocation: return done([&] { builder.addLocation(toReal(rhs[1]), toReal(rhs[3]), toReal(rhs[5])); });
    case Action::addArea: return done([&] { builder.addArea(rhs[1].text); });
    case Action::addAreaStyleOpen: return done([&] { builder.addAreaStyle(AreaStyle::Open); });
    case Action::addAreaStyleClosed: return done([&] { builder.addAreaStyle(AreaStyle::Closed); });
    case Action::addAreaStyleRoof: return done([&] { builder.addAreaStyle(AreaStyle::Roof); });
    case Action::beginLocationsList: return done([&] { builder.beginAreaLabelList(AreaLabelList::Locations); });
    case Action::beginEntrancesList: return done([&] { builder.beginAreaLabelList(AreaLabelList::Entrances); });
    case Action::beginExitsList: return done([&] { builder.beginAreaLabelList(AreaLabelList::Exits); });
    case Action::beginWindowsList: return done([&] { builder.beginAreaLabelList(AreaLabelList::Windows); });
    case Action::setAreaRadius: return done([&] { builder.setAreaRadius(rhs[2].integer); });
    case Action::addLocationLabel: return addLocationLabel(builder, rhs[0].text);

    // forces
    case Action::addForce: return addForce(builder, rhs[1].text);
    case Action::addTeam: return addTeam(builder, rhs[1].text);
    case Action::addNpc: return addMember(builder, MemberKind::Npc, rhs);
    case Action::addPlayer: return addMember(builder, MemberKind::Player, rhs);
    case Action::addWeapon: return done([&] { builder.addWeapon(rhs[1].text); });
    case Action::addAmmo: return done([&] { builder.addAmmo(rhs[1].text, rhs[3].integer); });
    case Action::addItem: return done([&] { builder.addItem(rhs[1].text); });
    case Action::setSkillFromReal: return done([&] { builder.setSkill(rhs[0].real); });
    case Action::setSkillFromInteger: return done([&] { builder.setSkill(toReal(rhs[0])); });

    // objectives
    case Action::addSuccessObjective: return addObjective(builder, Outcome::Success, rhs);
    case Action::addFailureObjective: return addObjective(builder, Outcome::Failure, rhs);
    case Action::openConditionNode: return done([&] { builder.openConditionNode(); });
    case Action::setNotOperator: return done([&] { builder.setConditionOperator(ConditionKind::Not); });
    case Action::closeConditionNode: return done([&] { builder.closeConditionNode(); });
    case Action::setOrOperator: return done([&] { builder.setConditionOperator(ConditionKind::Or); });
    case Action::setAndOperator: return done([&] { builder.setConditionOperator(ConditionKind::And); });
    case Action::addEliminatedLeaf: return addSideLeaf(builder, ConditionKind::Eliminated, rhs[2].text);
    case Action::addOccupiedLeaf: return done([&] { builder.addConditionLeaf(ConditionKind::Occupied, rhs[2].text); });
    case Action::addAliveLeaf: return addSideLeaf(builder, ConditionKind::Alive, rhs[2].text);
    case Action::addTimeoutLeaf:
        return done([&] { builder.addTimeoutCondition(ConditionKind::Timeout, rhs[2].integer); });
    case Action::addReachedLeaf: return addReachedLeaf(builder, rhs[2].text);
    case Action::addObjectiveResult: return done([&] { builder.addObjectiveResult(rhs[0].text); });

    // plans
    case Action::beginPlan: return beginPlan(builder, rhs[1].text);
    case Action::endPlan: return done([&] { builder.endPlan(); });
    case Action::addWaitInteger: return addWait(builder, toReal(rhs[1]));
    case Action::addWaitReal: return addWait(builder, rhs[1].real);
    case Action::addWaitForever: return addWait(builder, 100000.0f);
    case Action::addWaitUntilReady: return addPlain(builder, InstructionKind::WaitUntilReady);
    case Action::addWaitUntilAssembled: return addPlain(builder, InstructionKind::WaitUntilAssembled);
    case Action::addWaitUntilCode: return addWithText(builder, InstructionKind::WaitUntilCode, rhs[4].text);
    case Action::addAbort: return addPlain(builder, InstructionKind::Abort);
    case Action::addAdvance: return addWithLocationAndText(builder, InstructionKind::Advance, rhs[2].text, rhs[4].text);
    case Action::addAssemble:
        return addWithLocationAndText(builder, InstructionKind::Assemble, rhs[2].text, rhs[4].text);
    case Action::addAttack: return addWithLocation(builder, InstructionKind::Attack, rhs[2].text);
    case Action::addContinue: return addWithText(builder, InstructionKind::Continue, rhs[3].text);
    case Action::addDefend: return addWithTwoLocations(builder, InstructionKind::Defend, rhs[2].text, rhs[4].text);
    case Action::addFreezeInteger:
        return addWithLocationAndValue(builder, InstructionKind::Freeze, rhs[2].text, toReal(rhs[4]));
    case Action::addFreezeReal:
        return addWithLocationAndValue(builder, InstructionKind::Freeze, rhs[2].text, rhs[4].real);
    case Action::addInsert: return addWithLocationAndText(builder, InstructionKind::Insert, rhs[2].text, rhs[4].text);
    case Action::addJoin: return addPlain(builder, InstructionKind::Join);
    case Action::addMoveup: return addWithLocationAndText(builder, InstructionKind::Moveup, rhs[2].text, rhs[4].text);
    case Action::addObserve: return addWithLocation(builder, InstructionKind::Observe, rhs[1].text);
    case Action::addPhase:
        // A phase is owned by its own name, not by the plan's team.
        return done([&] { builder.addInstruction(InstructionKind::Phase, rhs[1].text); });
    case Action::addPullback:
        return addWithLocationAndText(builder, InstructionKind::Pullback, rhs[2].text, rhs[4].text);
    case Action::addRadio: return addWithText(builder, InstructionKind::Radio, rhs[1].text);
    case Action::addSignalTowards:
        return addWithLocationAndText(builder, InstructionKind::SignalTowards, rhs[2].text, std::nullopt);
    case Action::addSignalTowardsWithText:
        return addWithLocationAndText(builder, InstructionKind::SignalTowards, rhs[2].text, rhs[3].text);
    case Action::addSignalCode: return addWithText(builder, InstructionKind::SignalCode, rhs[2].text);
    case Action::addSnipe: return addWithTwoLocations(builder, InstructionKind::Snipe, rhs[2].text, rhs[4].text);
    case Action::addSpawn: return addPlain(builder, InstructionKind::Spawn);
    case Action::addSplit:
        return done([&] {
            builder.addInstructionWithLabelAndValue(InstructionKind::Split, builder.planTeam(), rhs[1].text,
                                                    toReal(rhs[2]));
        });
    case Action::addSpreadInteger:
        return addWithLocationAndValue(builder, InstructionKind::Spread, rhs[2].text, toReal(rhs[4]));
    case Action::addSpreadReal:
        return addWithLocationAndValue(builder, InstructionKind::Spread, rhs[2].text, rhs[4].real);
    case Action::addTakeCover: return addWithLocation(builder, InstructionKind::TakeCover, rhs[3].text);
    case Action::addBarePatrol: return addBarePatrol(builder);
    case Action::beginPatrolList: return done([&] { builder.clearPatrolAreas(); });
    case Action::endPatrolList: return endPatrolList(builder);
    case Action::addPatrolAreaLabel: return addPatrolAreaLabel(builder, rhs[0].text);
    case Action::addOnInstruction: return addOnInstruction(builder);
    case Action::beginBlock: return done([&] { builder.beginBlock(); });
    case Action::endBlock: return done([&] { builder.endBlock(); });
    case Action::beginTriggerSet: return done([&] { builder.beginTriggerSet(); });
    case Action::addContactTrigger: return addTrigger(builder, TriggerEvent::Contact);
    case Action::addUnderFireTrigger: return addTrigger(builder, TriggerEvent::UnderFire);
    case Action::addCasualtyTrigger: return addTrigger(builder, TriggerEvent::Casualty);
    case Action::addCodeTrigger: builder.setTriggerCode(rhs[1].text); return addTrigger(builder, TriggerEvent::Code);
    }
    return kSucceeded;
}

}  // namespace zeb
