// The header step and the three binary files the simulator loads.
//
// Byte layout. Every file is the bare concatenation of its items: no file
// header, no count, no padding, no trailer. Numbers are little-endian, signed
// ones in two's complement, doubles as 64-bit IEEE 754. Text is one byte per
// character after its length as an unsigned 16-bit number.
//
// Line profile file, scenario_name + "_linea.dat" (only when write_flag is not
// 0): the 2 x (L + 1) entries of the curve table in stored order, (0,0) ..
// (L,0) then (0,1) .. (L,1). Each entry is a tagged value:
//
//   tag u16 = 0  empty                     2 bytes
//   tag u16 = 2  then the value as i16     4 bytes
//   tag u16 = 5  then the value as f64    10 bytes
//
// Line table file, scenario_name + "_" + train_name + ".sim": the 87 line
// records of slots 0 to 86, each 34 + n bytes (n = label length):
//
//   0 kind u8       1 from_m i32     5 to_m i32      9 at_m i32
//   13 opt_a u8     14 n u16         16 label, n bytes
//   16+n num_a i16  18+n num_b i16   20+n num_c i16  22+n num_d i16
//   24+n num_e i16  26+n opt_b u8    27+n opt_c u8   28+n opt_d u8
//   29+n opt_e u8   30+n time_s i32
//
// A cleared slot is 34 zero bytes. A label longer than 65,535 bytes cannot be
// given its length, so such a model is refused as a whole (see below).
//
// Track file, scenario_name + "_" + train_name + ".dat": the N + 1 cells,
// cell 0 first, 15 bytes each:
//
//   0 kind u8       1 value1 i16     3 value2 i16    5 value3 i16
//   7 value4 i16    9 timer u8       10 approach u8  11 mountain u8
//   12 speed_limit u8  13 gradient u8  14 adhesion u8
//
// Cell 1 carries the header values: value1 = 5121 and value2 = the 16-bit
// race code.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "base/step_result.h"
#include "model/compile_context.h"

inline constexpr std::size_t cell_bytes = 15;
inline constexpr std::size_t record_fixed_bytes = 34;
inline constexpr std::int16_t header_scenario_mark = 610;  // slot 85 num_a
inline constexpr std::int16_t header_track_mark = 5121;    // cell 1 value1

// Checks that the header places are free and stores the header values and the
// race codes, in this order:
//   1. slot 85 num_a or cell 1 value1 taken -> header_check "1250";
//   2. slot 85 num_a = 610, cell 1 value1 = 5121;
//   3. slot 85 time_s or cell 1 value2 taken -> header_check "1251";
//   4. slot 85 time_s = codice_gara_st, then cell 1 value2 = codice_gara_og.
// On 1250 the model is left as the check found it; on 1251 the values of
// step 2 are already stored. A grid without a cell 1 (N = 0) has no place for
// the header values and fails the first check, with the model untouched.
step_result header_step(compile_context& ctx);

// The file images, exactly as they are written. line_table_bytes fails with
// file_fault, naming the line table file and the slot, when a label is longer
// than 65,535 bytes; `out` is then unspecified.
std::vector<std::uint8_t> line_profile_bytes(const curve_table& curves);
step_result line_table_bytes(const compile_context& ctx,
                             std::vector<std::uint8_t>& out);
std::vector<std::uint8_t> track_bytes(const track_grid& grid);

// Writes the line profile file (only when write_flag is not 0), then the line
// table file and the track file, each replaced as a whole. The line table
// image, the only one that can be refused, is built before the first file is
// touched, so a model with an over-long label leaves every file as it was.
// Stops at the first file fault; files written before it stay.
step_result write_binary_files(compile_context& ctx);
