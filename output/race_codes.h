// The race codes: two checksums of the scenario and train names that tie the
// line table file and the track file to those names. Both read only the labels
// of line table slots 86 (train name) and 85 (scenario name); neither changes
// the model.
//
// The 25 characters summed are the two labels joined (train name first),
// with "A" to "Z" lowered, then completed from the filler
// "aabbccddeeffgghhiillmmnnoo"; characters past the 25th never count. Each
// character counts as its byte value read unsigned, so a byte above 127 adds
// 128 to 255 whatever code page the names came from.
#pragma once

#include <cstdint>

#include "model/compile_context.h"

// The 32-bit race code: the sum of i x (code of character i), i = 1 to 25.
// Range 0 to 82,875.
std::int32_t codice_gara_st(const compile_context& ctx);

// The 16-bit race code: the sum of the codes of characters 1 to 25.
// Range 0 to 6,375.
std::int16_t codice_gara_og(const compile_context& ctx);
