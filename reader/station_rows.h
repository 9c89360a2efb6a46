// Station rows: one line table record per station, from slot 1 upwards, and
// for kinds below 25 a marker cell at the end of the platform with four
// approach marks before it.
#pragma once

#include <cstdint>

#include "model/compile_context.h"
#include "reader/train_rows.h"

// A station's position must lie this far inside the grid: its platform
// reaches further than the other rows.
inline constexpr std::int32_t station_margin_m = 800;

// The row handler, called right after its keyword.
row_result read_station_row(compile_context& ctx, train_reading& reading);
