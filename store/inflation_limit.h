#pragma once

#include <cstdint>

namespace brambel {

// Deflate cannot expand data by more than a little over 1032 to 1, so a
// stored stream that inflates beyond this many times its stored length is
// damage (or a bomb), never a value the program wrote. Every inflation of
// library file data stops there.
inline constexpr uint64_t kLargestInflationRatio = 1032;

inline uint64_t inflationLimit(uint64_t storedLength) { return storedLength * kLargestInflationRatio; }

}  // namespace brambel
