// The byte layout of the three binary files the simulator loads, in both
// directions: the images the compile step writes and the decoders that turn
// them back into the model. Writer and decoders share the sizes, offsets and
// tags below, so the two cannot drift apart.
//
// Every file is the bare concatenation of its items: no file header, no
// count, no padding, no trailer. Numbers are little-endian, signed ones in
// two's complement, doubles as 64-bit IEEE 754 (output/coding.h). Text is one
// byte per character after its length as an unsigned 16-bit number.
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
// race code (model/stored_values.h).
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "base/step_result.h"
#include "model/cell_geometry.h"
#include "model/compile_context.h"

// ---------------------------------------------------------------------------
// Track file: offsets of the fields in a cell.

inline constexpr std::size_t cell_kind_at = 0;
inline constexpr std::size_t cell_value1_at = 1;
inline constexpr std::size_t cell_value2_at = 3;
inline constexpr std::size_t cell_value3_at = 5;
inline constexpr std::size_t cell_value4_at = 7;
inline constexpr std::size_t cell_timer_at = 9;
inline constexpr std::size_t cell_approach_at = 10;
inline constexpr std::size_t cell_mountain_at = 11;
inline constexpr std::size_t cell_speed_limit_at = 12;
inline constexpr std::size_t cell_gradient_at = 13;
inline constexpr std::size_t cell_adhesion_at = 14;
inline constexpr std::size_t cell_bytes = 15;
static_assert(cell_adhesion_at + 1 == cell_bytes, "a cell has no padding");

// ---------------------------------------------------------------------------
// Line table file: offsets in a record. The fields after the label are
// counted from its end, 16 + n.

inline constexpr std::size_t record_kind_at = 0;
inline constexpr std::size_t record_from_m_at = 1;
inline constexpr std::size_t record_to_m_at = 5;
inline constexpr std::size_t record_at_m_at = 9;
inline constexpr std::size_t record_opt_a_at = 13;
inline constexpr std::size_t record_label_length_at = 14;
inline constexpr std::size_t record_label_at = 16;

inline constexpr std::size_t tail_num_a_at = 0;
inline constexpr std::size_t tail_num_b_at = 2;
inline constexpr std::size_t tail_num_c_at = 4;
inline constexpr std::size_t tail_num_d_at = 6;
inline constexpr std::size_t tail_num_e_at = 8;
inline constexpr std::size_t tail_opt_b_at = 10;
inline constexpr std::size_t tail_opt_c_at = 11;
inline constexpr std::size_t tail_opt_d_at = 12;
inline constexpr std::size_t tail_opt_e_at = 13;
inline constexpr std::size_t tail_time_s_at = 14;
inline constexpr std::size_t record_tail_bytes = 18;

// A record without its label.
inline constexpr std::size_t record_fixed_bytes =
    record_label_at + record_tail_bytes;
static_assert(record_fixed_bytes == 34, "the record layout is fixed");
static_assert(tail_time_s_at + 4 == record_tail_bytes, "no padding");

// ---------------------------------------------------------------------------
// Line profile file: the tags of the entries.

struct profile_tag_info {
  curve_tag tag;
  std::uint16_t code;       // as stored
  std::size_t value_bytes;  // after the 2-byte tag
  const char* name;
};
inline constexpr std::size_t profile_tag_bytes = 2;
inline constexpr std::array<profile_tag_info, 3> profile_tags = {{
    {curve_tag::empty, 0, 0, "empty"},
    {curve_tag::int16, 2, 2, "integer"},
    {curve_tag::real, 5, 8, "double"},
}};

// The largest entry there is, tag and value.
constexpr std::size_t largest_profile_entry_bytes() {
  std::size_t largest = 0;
  for (const profile_tag_info& t : profile_tags)
    if (profile_tag_bytes + t.value_bytes > largest)
      largest = profile_tag_bytes + t.value_bytes;
  return largest;
}

// The entry of a stored tag code; nullptr for an unknown one.
const profile_tag_info* find_profile_tag(std::uint16_t code);
// The entry of a tag; every curve_tag has one.
const profile_tag_info& profile_tag_of(curve_tag tag);

// ---------------------------------------------------------------------------
// Writing: the file images, exactly as they are written.

// Appends entries [from, to) of the curve table, in stored order, to `out`,
// so a caller can build or send the file a chunk at a time. REQUIRES: from
// <= to <= the entry count, 2 x (L + 1).
void append_profile_entries(const curve_table& curves, std::size_t from,
                            std::size_t to, std::vector<std::uint8_t>& out);
std::vector<std::uint8_t> line_profile_bytes(const curve_table& curves);

// Fails with file_fault, naming the line table file and the slot, when a label
// is longer than 65,535 bytes; `out` is then unspecified.
step_result line_table_bytes(const compile_context& ctx,
                             std::vector<std::uint8_t>& out);

std::vector<std::uint8_t> track_bytes(const track_grid& grid);

// ---------------------------------------------------------------------------
// Reading: the inverse of the writers.
//
// Every read is bounds-checked against the bytes given: a file of the wrong
// size or layout is refused with the offset of the first byte that does not
// fit, never read past its end. The decoders are pure: bytes in, a model or
// a fault out.

// What was wrong with a file and where. `what` is empty when nothing was.
struct decode_fault {
  std::size_t offset = 0;  // byte offset in the file
  std::string what;

  bool ok() const { return what.empty(); }
};

// The largest file of each kind the compiler can write, from the longest
// line: its N + 1 cells, its 87 records with labels of the longest length,
// its 2 x (L + 1) entries of the widest kind. A reader takes no more than
// this from a disk, whatever is there.
inline constexpr std::uint64_t largest_track_file_bytes =
    (static_cast<std::uint64_t>(longest_line_m + run_out_m) / cell_length_m +
     1) *
    cell_bytes;
inline constexpr std::uint64_t largest_line_table_file_bytes =
    static_cast<std::uint64_t>(line_table_slots) * (record_fixed_bytes + 65535);
inline constexpr std::uint64_t largest_profile_file_bytes =
    2 * (static_cast<std::uint64_t>(longest_line_m + run_out_m) + 1) *
    largest_profile_entry_bytes();

// Cells of 15 bytes, cell 0 first. Refuses an empty file and a size that is
// not a whole number of cells. `grid` is replaced only on success.
decode_fault decode_track(std::string_view bytes, track_grid& grid);

// Exactly 87 records of 34 bytes plus the label, ending exactly at the end of
// the file. Refuses a record cut short and bytes left over after slot 86.
// `table` is replaced only on success.
decode_fault decode_line_table(std::string_view bytes, line_table& table);

// Tagged values, two coordinates of L + 1 entries each. Refuses an unknown
// tag, an entry cut short and an odd or zero entry count. `curves` is
// replaced only on success.
decode_fault decode_line_profile(std::string_view bytes, curve_table& curves);
