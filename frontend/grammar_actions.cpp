#include "frontend/grammar_actions.h"

#include <initializer_list>

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

// Going on after a failed check, the record still gets what later actions
// build on (the current force, team, member, objective or plan).
template <typename Add>
NameError addDespite(MissionBuilder& builder, NameError error, Add add) {
    if (error && !builder.keepsGoingAfterNameErrors()) return error;
    add();
    return error;
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

NameError addLocationLabel(MissionBuilder& builder, std::string_view label) {
    builder.noteUse(NameKind::Location, label);
    // The area's lists keep the scanner's own text, so no copy here.
    if (!builder.addDeclaredAreaLabel(label)) return withName("location label '%s' not declared", label);
    return kSucceeded;
}

// ---- forces ----

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

NameError addMember(MissionBuilder& builder, MemberKind kind, std::string_view name, std::string_view secondName) {
    if (builder.addMemberIfNew(kind, name, secondName)) return kSucceeded;
    const NameError error = withName("member name '%s' already in use", name);
    return addDespite(builder, error, [&] { builder.addMember(kind, name, secondName); });
}

// ---- objectives ----

// A name that may be any of several kinds, asked in the order given; its use
// is noted as the kind it was found as, or as the first kind when none has it.
bool isDeclaredAsAny(MissionBuilder& builder, std::string_view name, std::initializer_list<NameKind> kinds) {
    const Mission& m = declared(builder);
    for (const NameKind kind : kinds) {
        bool found = false;
        switch (kind) {
        case NameKind::Location: found = m.isLocationDeclared(name); break;
        case NameKind::Area: found = m.isAreaDeclared(name); break;
        case NameKind::Force: found = m.isForceDeclared(name); break;
        case NameKind::Team: found = m.isTeamDeclared(name); break;
        case NameKind::Member: found = m.isMemberDeclared(name); break;
        }
        if (found) {
            builder.noteUse(kind, name);
            return true;
        }
    }
    builder.noteUse(*kinds.begin(), name);
    return false;
}

NameError addObjective(MissionBuilder& builder, Outcome outcome, std::string_view subject,
                       std::string_view description) {
    NameError error;
    if (!isDeclaredAsAny(builder, subject, {NameKind::Team, NameKind::Force})) {
        error = failure("use of undeclared team or force", subject);
    }
    return addDespite(builder, error, [&] { builder.addObjective(outcome, subject, description); });
}

// "eliminated" and "alive" name a team, a member or a force.
NameError addSideLeaf(MissionBuilder& builder, ConditionKind kind, std::string_view name) {
    if (!isDeclaredAsAny(builder, name, {NameKind::Team, NameKind::Member, NameKind::Force})) {
        return failure("use of undeclared member, team or force", name);
    }
    builder.addConditionLeaf(kind, name);
    return kSucceeded;
}

NameError addReachedLeaf(MissionBuilder& builder, std::string_view name) {
    if (!isDeclaredAsAny(builder, name, {NameKind::Location, NameKind::Member, NameKind::Area})) {
        return failure("use of undeclared member, location, or area", name);
    }
    builder.addConditionLeaf(ConditionKind::Reached, name);
    return kSucceeded;
}

// ---- plans ----

NameError beginPlan(MissionBuilder& builder, std::string_view team) {
    builder.noteUse(NameKind::Team, team);
    NameError error;
    if (!declared(builder).isTeamDeclared(team)) error = failure("use of undeclared team", team);
    return addDespite(builder, error, [&] { builder.selectPlan(team); });
}

bool isLocation(MissionBuilder& builder, std::string_view label) {
    builder.noteUse(NameKind::Location, label);
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

NameError addPatrolAreaLabel(MissionBuilder& builder, std::string_view label) {
    builder.noteUse(NameKind::Area, label);
    builder.countPatrolLabel();
    switch (builder.addDeclaredPatrolArea(label)) {
    case MissionBuilder::PatrolArea::Added: return kSucceeded;
    case MissionBuilder::PatrolArea::Undeclared: return failure("undefined area label in patrol area list", label);
    case MissionBuilder::PatrolArea::Repeated: return failure("area label appears twice in area list", label);
    }
    return kSucceeded;
}

NameError addTrigger(MissionBuilder& builder, TriggerEvent event) {
    builder.addTrigger(event);
    return kSucceeded;
}

// ---- instruction shapes ----
//
// Each form of model/instructions.def names one of these: it reads the
// operands its action's grammar alternative names, and records the kind.
// They are only spelling: each is inlined into the dispatch, which then
// calls the recording function directly, as a hand-written case would.

template <typename Ops>
[[gnu::always_inline]] inline NameError plain(MissionBuilder& builder, InstructionKind kind, Ops) {
    return addPlain(builder, kind);
}

template <typename Ops>
[[gnu::always_inline]] inline NameError waitFor(MissionBuilder& builder, InstructionKind kind, Ops wait) {
    builder.addInstructionWithValue(kind, realOf(wait.value()));
    return kSucceeded;
}

// Stored as a long wait that the writer reads back as forever.
template <typename Ops>
[[gnu::always_inline]] inline NameError waitForever(MissionBuilder& builder, InstructionKind kind, Ops) {
    builder.addInstructionWithValue(kind, 100000.0f);
    return kSucceeded;
}

template <typename Ops>
[[gnu::always_inline]] inline NameError placeOnly(MissionBuilder& builder, InstructionKind kind, Ops ins) {
    return addWithLocation(builder, kind, ins.place());
}

template <typename Ops>
[[gnu::always_inline]] inline NameError placeUsing(MissionBuilder& builder, InstructionKind kind, Ops ins) {
    return addWithLocationAndText(builder, kind, ins.place(), ins.how());
}

// A signal keeps the place and its message, or none, in the same fields;
// a form without a message is its own shape, so a misnamed message cannot
// pass for an absent one.
template <typename Ops>
[[gnu::always_inline]] inline NameError placeWithMessage(MissionBuilder& builder, InstructionKind kind, Ops ins) {
    return addWithLocationAndText(builder, kind, ins.place(), ins.message());
}

template <typename Ops>
[[gnu::always_inline]] inline NameError placeWithoutMessage(MissionBuilder& builder, InstructionKind kind, Ops ins) {
    return addWithLocationAndText(builder, kind, ins.place(), std::nullopt);
}

template <typename Ops>
[[gnu::always_inline]] inline NameError twoPlaces(MissionBuilder& builder, InstructionKind kind, Ops ins) {
    return addWithTwoLocations(builder, kind, ins.first(), ins.second());
}

template <typename Ops>
[[gnu::always_inline]] inline NameError placeAndValue(MissionBuilder& builder, InstructionKind kind, Ops ins) {
    return addWithLocationAndValue(builder, kind, ins.place(), realOf(ins.value()));
}

template <typename Ops>
[[gnu::always_inline]] inline NameError textOnly(MissionBuilder& builder, InstructionKind kind, Ops ins) {
    return addWithText(builder, kind, ins.text());
}

// A phase is owned by its own name, not by the plan's team.
template <typename Ops>
[[gnu::always_inline]] inline NameError phaseNamed(MissionBuilder& builder, InstructionKind kind, Ops phase) {
    builder.addInstruction(kind, phase.name());
    return kSucceeded;
}

// The new team's name is not a location: nothing to check.
template <typename Ops>
[[gnu::always_inline]] inline NameError split(MissionBuilder& builder, InstructionKind kind, Ops ins) {
    builder.addInstructionWithLabelAndValue(kind, builder.planTeam(), ins.team(), realOf(ins.count()));
    return kSucceeded;
}

template <typename Ops>
[[gnu::always_inline]] inline NameError barePatrol(MissionBuilder& builder, InstructionKind kind, Ops) {
    if (declared(builder).getAreas().size() < 2) {
        return failure("patrol command requires at least 2 areas to be defined");
    }
    return addPlain(builder, kind);
}

template <typename Ops>
[[gnu::always_inline]] inline NameError patrolList(MissionBuilder& builder, InstructionKind kind, Ops) {
    if (builder.patrolLabelCount() < 2) return failure("patrol area list needs to include at least two areas");
    return addPlain(builder, kind);
}

template <typename Ops>
[[gnu::always_inline]] inline NameError onBlock(MissionBuilder& builder, InstructionKind kind, Ops) {
    builder.addOnInstruction(kind, builder.planTeam());
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
    case Action::beginMission: return done([&] { builder.setMissionName(operands<Action::beginMission>(rhs).name()); });
    case Action::setAuthor: return done([&] { builder.setAuthor(operands<Action::setAuthor>(rhs).author()); });
    case Action::setDescription:
        return done([&] { builder.setDescription(operands<Action::setDescription>(rhs).description()); });
    case Action::addRespawnNone: return done([&] { builder.addRule("respawn", RespawnMode::None); });
    case Action::addRespawnIndividual: return done([&] { builder.addRule("respawn", RespawnMode::Individual); });
    case Action::addRespawnTeam: return done([&] { builder.addRule("respawn", RespawnMode::Team); });

    // map
    case Action::setMapName: return done([&] { builder.setMapName(operands<Action::setMapName>(rhs).name()); });
    case Action::addMapStyleOpen: return done([&] { builder.addMapStyle(MapStyle::Open); });
    case Action::addMapStyleUrban: return done([&] { builder.addMapStyle(MapStyle::Urban); });
    case Action::addMapStyleDark: return done([&] { builder.addMapStyle(MapStyle::Dark); });
    case Action::addMapStyleIndoor: return done([&] { builder.addMapStyle(MapStyle::Indoor); });
    case Action::appendAnnotation:
        return done([&] { builder.appendAnnotation(operands<Action::appendAnnotation>(rhs).line()); });
    case Action::setPendingLocationLabel:
        return done([&] { builder.setPendingLocationLabel(operands<Action::setPendingLocationLabel>(rhs).label()); });
    case Action::addLocation: {
        const auto at = operands<Action::addLocation>(rhs);
        return done([&] { builder.addLocation(realOf(at.x()), realOf(at.y()), realOf(at.z())); });
    }
    case Action::addArea: return done([&] { builder.addArea(operands<Action::addArea>(rhs).label()); });
    case Action::addAreaStyleOpen: return done([&] { builder.addAreaStyle(AreaStyle::Open); });
    case Action::addAreaStyleClosed: return done([&] { builder.addAreaStyle(AreaStyle::Closed); });
    case Action::addAreaStyleRoof: return done([&] { builder.addAreaStyle(AreaStyle::Roof); });
    case Action::beginLocationsList: return done([&] { builder.beginAreaLabelList(AreaLabelList::Locations); });
    case Action::beginEntrancesList: return done([&] { builder.beginAreaLabelList(AreaLabelList::Entrances); });
    case Action::beginExitsList: return done([&] { builder.beginAreaLabelList(AreaLabelList::Exits); });
    case Action::beginWindowsList: return done([&] { builder.beginAreaLabelList(AreaLabelList::Windows); });
    case Action::setAreaRadius:
        return done([&] { builder.setAreaRadius(operands<Action::setAreaRadius>(rhs).radius()); });
    case Action::addLocationLabel: return addLocationLabel(builder, operands<Action::addLocationLabel>(rhs).label());

    // forces
    case Action::addForce: return addForce(builder, operands<Action::addForce>(rhs).name());
    case Action::addTeam: return addTeam(builder, operands<Action::addTeam>(rhs).name());
    case Action::addNpc: {
        const auto npc = operands<Action::addNpc>(rhs);
        return addMember(builder, MemberKind::Npc, npc.name(), npc.secondName());
    }
    case Action::addPlayer: {
        const auto player = operands<Action::addPlayer>(rhs);
        return addMember(builder, MemberKind::Player, player.name(), player.secondName());
    }
    case Action::addWeapon: return done([&] { builder.addWeapon(operands<Action::addWeapon>(rhs).name()); });
    case Action::addAmmo: {
        const auto ammo = operands<Action::addAmmo>(rhs);
        return done([&] { builder.addAmmo(ammo.name(), ammo.count()); });
    }
    case Action::addItem: return done([&] { builder.addItem(operands<Action::addItem>(rhs).name()); });
    case Action::setSkillFromReal:
        return done([&] { builder.setSkill(operands<Action::setSkillFromReal>(rhs).skill()); });
    case Action::setSkillFromInteger:
        return done([&] { builder.setSkill(realOf(operands<Action::setSkillFromInteger>(rhs).skill())); });

    // objectives
    case Action::addSuccessObjective: {
        const auto objective = operands<Action::addSuccessObjective>(rhs);
        return addObjective(builder, Outcome::Success, objective.subject(), objective.description());
    }
    case Action::addFailureObjective: {
        const auto objective = operands<Action::addFailureObjective>(rhs);
        return addObjective(builder, Outcome::Failure, objective.subject(), objective.description());
    }
    case Action::openConditionNode: return done([&] { builder.openConditionNode(); });
    case Action::setNotOperator: return done([&] { builder.setConditionOperator(ConditionKind::Not); });
    case Action::closeConditionNode: return done([&] { builder.closeConditionNode(); });
    case Action::setOrOperator: return done([&] { builder.setConditionOperator(ConditionKind::Or); });
    case Action::setAndOperator: return done([&] { builder.setConditionOperator(ConditionKind::And); });
    case Action::addEliminatedLeaf:
        return addSideLeaf(builder, ConditionKind::Eliminated, operands<Action::addEliminatedLeaf>(rhs).name());
    case Action::addOccupiedLeaf:
        return done(
            [&] { builder.addConditionLeaf(ConditionKind::Occupied, operands<Action::addOccupiedLeaf>(rhs).name()); });
    case Action::addAliveLeaf:
        return addSideLeaf(builder, ConditionKind::Alive, operands<Action::addAliveLeaf>(rhs).name());
    case Action::addTimeoutLeaf:
        return done([&] {
            builder.addTimeoutCondition(ConditionKind::Timeout, operands<Action::addTimeoutLeaf>(rhs).count());
        });
    case Action::addReachedLeaf: return addReachedLeaf(builder, operands<Action::addReachedLeaf>(rhs).name());
    case Action::addObjectiveResult:
        return done([&] { builder.addObjectiveResult(operands<Action::addObjectiveResult>(rhs).text()); });

    // plans
    case Action::beginPlan: return beginPlan(builder, operands<Action::beginPlan>(rhs).team());
    case Action::endPlan: return done([&] { builder.endPlan(); });
    case Action::beginPatrolList: return done([&] { builder.clearPatrolAreas(); });
    case Action::addPatrolAreaLabel:
        return addPatrolAreaLabel(builder, operands<Action::addPatrolAreaLabel>(rhs).label());
    case Action::beginBlock: return done([&] { builder.beginBlock(); });
    case Action::endBlock: return done([&] { builder.endBlock(); });
    case Action::beginTriggerSet: return done([&] { builder.beginTriggerSet(); });
    case Action::addContactTrigger: return addTrigger(builder, TriggerEvent::Contact);
    case Action::addUnderFireTrigger: return addTrigger(builder, TriggerEvent::UnderFire);
    case Action::addCasualtyTrigger: return addTrigger(builder, TriggerEvent::Casualty);
    case Action::addCodeTrigger:
        builder.setTriggerCode(operands<Action::addCodeTrigger>(rhs).code());
        return addTrigger(builder, TriggerEvent::Code);

        // Every form of every instruction, from the one instruction list.
#define ZEB_INSTRUCTION(kind, words)
#define ZEB_FORM(kind, action, shape) \
    case Action::action:              \
        return shape(builder, InstructionKind::kind, operands<Action::action>(rhs));
#include "model/instructions.def"
#undef ZEB_INSTRUCTION
#undef ZEB_FORM
    }
    return kSucceeded;
}

}  // namespace zeb
