// Decoders of the three binary files, the inverse of the writers in
// output/binary_files.h. They turn the bytes back into the model the compile
// step wrote (track grid, line table, curve table), so the dump and the plot
// look at exactly what the simulator will load.
//
// Every read is bounds-checked against the bytes given: a file of the wrong
// size or layout is refused with the offset of the first byte that does not
// fit, never read past its end. The decoders are pure: bytes in, a model or a
// fault out.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "model/curve_table.h"
#include "model/line_table.h"
#include "model/track_grid.h"

enum class binary_kind { profile, table, track };

// What was wrong with a file and where. `what` is empty when nothing was.
struct decode_fault {
  std::size_t offset = 0;  // byte offset in the file
  std::string what;

  bool ok() const { return what.empty(); }
};

// The kind of file a name stands for, as the compile step names its outputs:
// "*_linea.dat" the line profile, "*.sim" the line table, any other "*.dat"
// the track file. False when the name ends in none of these.
bool kind_from_name(std::string_view name, binary_kind& kind);

// "profile", "table", "track", the words of --kind; and back.
const char* kind_word(binary_kind kind);
bool kind_from_word(std::string_view word, binary_kind& kind);

// Cells of 15 bytes, cell 0 first. Refuses an empty file and a size that is
// not a whole number of cells. `grid` is replaced only on success.
decode_fault decode_track(std::string_view bytes, track_grid& grid);

// Exactly 87 records of 34 bytes plus the label, ending exactly at the end of
// the file. Refuses a record cut short and bytes left over after slot 86.
// `table` is replaced only on success.
decode_fault decode_line_table(std::string_view bytes, line_table& table);

// Tagged values (tag 0 empty, 2 a 16-bit integer, 5 a double), two
// coordinates of L + 1 entries each. Refuses an unknown tag, an entry cut
// short and an odd or zero entry count. `curves` is replaced only on success.
decode_fault decode_line_profile(std::string_view bytes, curve_table& curves);

// ---------------------------------------------------------------------------
// What the decoded model means, as far as the compiler packed it.

// The name of a cell kind ("signal", "speed board", ...); "unknown kind" for
// a value the compiler never stores.
const char* cell_kind_name(std::uint8_t kind);

// True when a cell holds more than stretch properties: a kind, a value, a
// timer or an approach mark.
bool holds_anything(const track_cell& cell);

// A signal cell packs value1..3 = 10 x s + d and value4 = 10 x rapp + 3 x sx
// + dx. Unpacking assumes what the sources give: d values from 0 to 9 and dx
// from 0 to 2; false when a value is negative and so cannot be unpacked.
struct signal_parts {
  int s1 = 0, d1 = 0, s2 = 0, d2 = 0, s3 = 0, d3 = 0;
  int rapp = 0, sx = 0, dx = 0;
};
bool unpack_signal(const track_cell& cell, signal_parts& parts);

// A speed board packs each of value1..3 as the second speed / 5 plus the
// first speed x 20, and value4 as 10 x first stripes + second stripes.
// Unpacking assumes second speeds below 100 km/h; false for negative values.
struct speed_board_parts {
  std::array<int, 3> first_kmh{};
  std::array<int, 3> second_kmh{};  // to the nearest 5 km/h
  int first_stripes = 0;
  int second_stripes = 0;
};
bool unpack_speed_board(const track_cell& cell, speed_board_parts& parts);

// Stretch properties as runs of cells of one value, cell 0 to N. Cell k of a
// stretch covers k x 50 to k x 50 + 50 m.
enum class stretch_field { gradient, speed_limit, adhesion, mountain };
struct stretch_run {
  std::int32_t first = 0;
  std::int32_t last = 0;
  std::uint8_t value = 0;
  bool tunnel = false;  // mountain runs only: the run holds tunnel markers
};
std::vector<stretch_run> stretch_runs(const track_grid& grid,
                                      stretch_field field);

// The role of a line table slot: "station" or "board text" (slots 1 to 80,
// a board text being a record that holds nothing but its label), "kilometre
// reference one/two/three", "train and line data", "scenario header",
// "train header"; slot 0 is "unused slot 0".
const char* slot_role(int slot, const line_record& record);

// True when any field of the record differs from a cleared slot.
bool slot_used(const line_record& record);

// Labels are single bytes of the sources' code page; each byte is taken as
// the character of the same number (Latin-1), so any label becomes valid
// UTF-8 and goes back byte for byte.
std::string label_utf8(std::string_view label);

// Entry counts of one coordinate (0 or 1) of the plan, by tag.
struct tag_counts {
  std::size_t empty = 0;
  std::size_t integer = 0;
  std::size_t real = 0;
};
tag_counts count_tags(const curve_table& curves, int coordinate);

// The last metre whose two coordinates both hold a value; -1 when none does.
std::int64_t last_computed_metre(const curve_table& curves);
