#pragma once

// The records a Mission is made of. Texts are views of text the Mission keeps
// alive: the scanner's source, which the Mission retains, or the Mission's own
// copies. Plans, members and their lists live in the Mission's Arena and own
// nothing themselves.

#include <cstddef>
#include <cstdint>
#include <iterator>
#include <memory>
#include <optional>
#include <string_view>
#include <type_traits>
#include <vector>

#include "model/flag_set.h"
#include "model/lists.h"

namespace zeb {

using Text = std::string_view;

// A text or none, in the room of the text itself: none is a null pointer,
// while an empty text still points somewhere. It reads like
// std::optional<std::string_view>.
class OptionalText {
public:
    constexpr OptionalText() noexcept = default;
    constexpr OptionalText(std::nullopt_t) noexcept {}
    constexpr OptionalText(std::string_view text) noexcept
        : data_(text.data() != nullptr ? text.data() : ""), size_(text.size()) {}
    constexpr OptionalText(const char* text) : OptionalText(std::string_view(text)) {}
    constexpr OptionalText(const std::optional<std::string_view>& text) noexcept
        : OptionalText(text ? OptionalText(*text) : OptionalText()) {}
    // As std::optional's does, from anything that converts to a text (a token's text).
    template <typename T>
    requires(std::is_convertible_v<const T&, std::string_view> &&
             !std::is_convertible_v<const T&, const char*>) constexpr OptionalText(const T& text) noexcept
        : OptionalText(std::string_view(text)) {}

    constexpr bool has_value() const noexcept { return data_ != nullptr; }
    constexpr explicit operator bool() const noexcept { return has_value(); }
    constexpr std::string_view operator*() const noexcept { return {data_, size_}; }
    std::string_view value() const {
        if (!has_value()) throw std::bad_optional_access();
        return **this;
    }
    constexpr std::string_view value_or(std::string_view fallback) const noexcept {
        return has_value() ? **this : fallback;
    }

    friend constexpr bool operator==(OptionalText a, OptionalText b) noexcept {
        return a.has_value() == b.has_value() && *a == *b;
    }
    friend constexpr bool operator==(OptionalText a, std::nullopt_t) noexcept { return !a; }
    friend constexpr bool operator==(OptionalText a, std::string_view b) noexcept { return a && *a == b; }
    friend constexpr bool operator==(OptionalText a, const char* b) noexcept { return a && *a == std::string_view(b); }

private:
    const char* data_ = nullptr;
    std::size_t size_ = 0;
};

// ---- names and where they stand ----------------------------------------

enum class NameKind : std::uint8_t { Location, Area, Force, Team, Member };

// One declaration or use of a name, recorded by the builder when asked: the
// name is the scanner's view of it, so its place in the source is known.
struct NameMention {
    NameKind kind;
    Text name;
    bool declaration;
};

// ---- rules -------------------------------------------------------------

// A rule's kind is the bit of its name's position in the rule-name table.
enum class RuleKind : std::int32_t { Respawn = 1 };
enum class RespawnMode : std::int32_t { None = 0, Team = 1, Individual = 2 };

struct Rule {
    RuleKind kind = RuleKind::Respawn;
    RespawnMode value = RespawnMode::None;  // the only rule is respawn
};

// ---- map ---------------------------------------------------------------

// Each style is one bit, so that a map's or an area's styles are a set.
enum class MapStyle : std::uint32_t { Urban = 1, Dark = 2, Open = 4, Indoor = 8 };
enum class AreaStyle : std::uint32_t { Open = 1, Closed = 2, Roof = 4 };
using MapStyles = FlagSet<MapStyle>;
using AreaStyles = FlagSet<AreaStyle>;
template <>
inline constexpr bool kIsFlagEnum<MapStyle> = true;
template <>
inline constexpr bool kIsFlagEnum<AreaStyle> = true;

struct Position {
    float x = 0, y = 0, z = 0;
};

struct Location {
    Text label;
    Position position;
};

struct Area {
    Text label;
    AreaStyles style;
    std::vector<Text> locations;  // the scanner's texts, not copies
    std::vector<Text> entrances;
    std::vector<Text> exits;
    std::vector<Text> windows;
    std::int32_t radius = 0;  // 0 means none
};

// ---- plans -------------------------------------------------------------

// Numbered in the order of model/instructions.def, from 0.
enum class InstructionKind : std::int32_t {
#define ZEB_INSTRUCTION(kind, words) kind,
#define ZEB_FORM(kind, action, shape)
#include "model/instructions.def"
#undef ZEB_INSTRUCTION
#undef ZEB_FORM
};
inline constexpr std::int32_t kInstructionKindCount = 0
#define ZEB_INSTRUCTION(kind, words) +1
#define ZEB_FORM(kind, action, shape)
#include "model/instructions.def"
#undef ZEB_INSTRUCTION
#undef ZEB_FORM
    ;

enum class TriggerEvent : std::uint32_t {
    Contact = 2,
    UnderFire = 4,
    Casualty = 8,
    Code = 16,
};
using TriggerEvents = FlagSet<TriggerEvent>;
template <>
inline constexpr bool kIsFlagEnum<TriggerEvent> = true;

struct Instruction;
using InstructionList = ChunkedList<Instruction>;

struct Instruction {
    // A kind outside the list can still be recorded (by hand) and written.
    InstructionKind kind = InstructionKind::Wait;
    TriggerEvents events;
    float value = 0;
    // `first` holds one of three shapes: a text, a patrol's area list, or
    // none. A patrol with a list has hasAreaList set and its labels in areas:
    // each the declared area's own label, not a copy.
    bool hasAreaList = false;
    OptionalText owner;
    OptionalText first;
    OptionalText second;
    ArenaRefList<Text> areas;
    InstructionList* block = nullptr;  // only an "on" has one; in the arena
};

// ---- forces ------------------------------------------------------------

enum class MemberKind : std::int32_t { Npc = 0, Player = 1 };

enum class EquipmentKind : std::int32_t { Weapon = 0, Ammo = 1, Item = 2 };

// One equipment clause: a weapon, an ammunition entry with its count, or an
// item.
struct EquipmentEntry {
    Text name;
    std::int32_t count = 0;  // ammunition only
    EquipmentKind kind = EquipmentKind::Weapon;
};
using AmmoEntry = EquipmentEntry;

// The entries of one kind, in source order, read out of a member's single
// equipment list.
template <EquipmentKind Kind>
class EquipmentOfKind {
public:
    class iterator {
    public:
        using iterator_category = std::forward_iterator_tag;
        using value_type = EquipmentEntry;
        using difference_type = std::ptrdiff_t;
        using pointer = const EquipmentEntry*;
        using reference = const EquipmentEntry&;

        iterator(const EquipmentEntry* at, const EquipmentEntry* end) : at_(at), end_(end) { skipOthers(); }
        reference operator*() const { return *at_; }
        pointer operator->() const { return at_; }
        iterator& operator++() {
            ++at_;
            skipOthers();
            return *this;
        }
        friend bool operator==(const iterator& a, const iterator& b) { return a.at_ == b.at_; }

    private:
        void skipOthers() {
            while (at_ != end_ && at_->kind != Kind) ++at_;
        }
        const EquipmentEntry* at_;
        const EquipmentEntry* end_;
    };
    using const_iterator = iterator;
    using value_type = EquipmentEntry;

    explicit EquipmentOfKind(const ArenaList<EquipmentEntry>& all) : all_(all) {}
    iterator begin() const { return iterator(all_.begin(), all_.end()); }
    iterator end() const { return iterator(all_.end(), all_.end()); }
    bool empty() const { return begin() == end(); }
    std::size_t size() const {
        std::size_t count = 0;
        for (auto at = begin(); at != end(); ++at) ++count;
        return count;
    }

private:
    const ArenaList<EquipmentEntry>& all_;
};

struct Member {
    MemberKind kind = MemberKind::Npc;
    float skill = 0;  // 0 until set, then within 1..5
    Text name;
    OptionalText secondName;
    // Every equipment clause in source order, in one list: a member usually
    // has one or two of each kind, and one list costs a third of three.
    ArenaList<EquipmentEntry> equipment;

    // The weapons, the ammunition and the items, each in its own order.
    EquipmentOfKind<EquipmentKind::Weapon> weapons() const { return EquipmentOfKind<EquipmentKind::Weapon>(equipment); }
    EquipmentOfKind<EquipmentKind::Ammo> ammo() const { return EquipmentOfKind<EquipmentKind::Ammo>(equipment); }
    EquipmentOfKind<EquipmentKind::Item> items() const { return EquipmentOfKind<EquipmentKind::Item>(equipment); }
};

struct Team {
    Text name;
    ChunkedList<Member> members;   // stored in place, so they never move
    InstructionList instructions;  // the team's plan
};

struct Force {
    Text name;
    std::vector<std::unique_ptr<Team>> teams;
};

// ---- objectives --------------------------------------------------------

// One bit each; a node holds exactly one of them once built (0 while an
// open node waits for its operator).
enum class ConditionKind : std::int32_t {
    And = 1,
    Or = 2,
    Not = 4,
    Eliminated = 8,
    Occupied = 16,
    Alive = 32,
    Timeout = 64,
    Reached = 128,
};

enum class Outcome : std::int32_t { Success = 0, Failure = 1 };

struct ConditionNode {
    ConditionKind kind{};
    std::unique_ptr<ConditionNode> left;
    std::unique_ptr<ConditionNode> right;
    ConditionNode* parent = nullptr;  // not owning
    OptionalText name;
    std::int32_t count = 0;
};

struct Objective {
    Outcome outcome = Outcome::Success;
    Text subject;
    Text description;
    // The tree is owned through its first node; `condition` follows the
    // building operations and names the finished root once the condition
    // is complete.
    std::unique_ptr<ConditionNode> root;
    ConditionNode* condition = nullptr;
    std::vector<Text> results;
};

}  // namespace zeb
