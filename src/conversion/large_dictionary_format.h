// The layout of the built-in large dictionary, shared by the build-time tool that writes it and
// the lookup that reads it in place.
#pragma once

#include <cstddef>
#include <cstdint>

namespace lumeta::large_dictionary {

// First word of the table: "LMD1" in little-endian order.
inline constexpr uint32_t kMagic = 0x31444D4C;

// No key keeps more candidates than a candidate list can hold.
inline constexpr std::size_t kMaxCandidates = 80;

}  // namespace lumeta::large_dictionary
