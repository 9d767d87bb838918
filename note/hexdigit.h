// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <array>

namespace hexdigit {

// Hexadecimal digit values for the octets; -1 for everything else.
inline constexpr std::array<signed char, 256> Values = [] {
    std::array<signed char, 256> values{};
    values.fill(-1);
    for (int i = 0; i < 10; ++i)
        values['0' + i] = static_cast<signed char>(i);
    for (int i = 0; i < 6; ++i) {
        values['A' + i] = static_cast<signed char>(10 + i);
        values['a' + i] = static_cast<signed char>(10 + i);
    }
    return values;
}();

} // namespace hexdigit

// The value of a hexadecimal digit in either case, or -1.
inline int hexValue(char c)
{
    return hexdigit::Values[static_cast<unsigned char>(c)];
}

inline int hexValue(char16_t c)
{
    return c < hexdigit::Values.size() ? hexdigit::Values[c] : -1;
}
