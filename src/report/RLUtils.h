#pragma once
// Small utilities shared by the whole engine.

#include <cstddef>
#include <cstdint>
#include <initializer_list>

namespace prenso {

// The ordinal of an enumeration value: its place in the declaration, which
// is what tables are indexed by and what forms and streams store.
template <typename E>
constexpr std::size_t Ord(E e)
{
    return static_cast<std::size_t>(e);
}

// Small sets as bit masks of their members' ordinals.
template <typename E>
struct TSet {
    std::uint32_t bits = 0;
    constexpr TSet() = default;
    constexpr TSet(std::initializer_list<E> members)
    {
        for (E e : members)
            bits |= 1u << static_cast<unsigned>(e);
    }
    constexpr bool has(E e) const { return bits & (1u << static_cast<unsigned>(e)); }
    constexpr void include(E e) { bits |= 1u << static_cast<unsigned>(e); }
    constexpr void exclude(E e) { bits &= ~(1u << static_cast<unsigned>(e)); }
    constexpr bool empty() const { return bits == 0; }
    friend constexpr bool operator==(TSet a, TSet b) { return a.bits == b.bits; }
};

} // namespace prenso
