#pragma once

// A set of the bits of a flag enum (styles, trigger events): typed, so that a
// map style cannot be added to an area, and as small as the bits themselves.

#include <type_traits>

namespace zeb {

template <typename Flag>
class FlagSet {
    static_assert(std::is_enum_v<Flag>);
    using Bits = std::underlying_type_t<Flag>;

public:
    constexpr FlagSet() noexcept = default;
    constexpr FlagSet(Flag flag) noexcept : bits_(static_cast<Bits>(flag)) {}
    // For a record built by hand with bits the language has no word for.
    static constexpr FlagSet fromBits(Bits bits) noexcept {
        FlagSet set;
        set.bits_ = bits;
        return set;
    }

    constexpr bool has(Flag flag) const noexcept { return (bits_ & static_cast<Bits>(flag)) != 0; }
    constexpr bool empty() const noexcept { return bits_ == 0; }
    constexpr Bits bits() const noexcept { return bits_; }
    constexpr FlagSet& operator|=(FlagSet other) noexcept {
        bits_ |= other.bits_;
        return *this;
    }
    friend constexpr FlagSet operator|(FlagSet a, FlagSet b) noexcept { return a |= b; }
    friend constexpr bool operator==(FlagSet, FlagSet) noexcept = default;

private:
    Bits bits_ = 0;
};

// A flag enum opts in to `a | b` giving a set.
template <typename Flag>
inline constexpr bool kIsFlagEnum = false;

template <typename Flag>
requires kIsFlagEnum<Flag>
constexpr FlagSet<Flag> operator|(Flag a, Flag b) noexcept {
    return FlagSet<Flag>(a) | b;
}

}  // namespace zeb
