#pragma once
// A colour as the program keeps it; no Windows header, so that the portable rules share it.
#include <cstdint>

namespace noc {

// 0x00BBGGRR, or 0xFF000000 + a system colour index, or one of the special values below.
using TColor = uint32_t;
// No colour at all ("clNone"): nothing is drawn in it, nothing is see-through by it.
constexpr TColor kColorNone = 0x1FFFFFFF;

}  // namespace noc
