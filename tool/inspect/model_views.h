// What the tool shows of the three binary files beyond their decoding
// (output/file_format.h): which file a name stands for, and views of the
// decoded model that the dump and the plot share.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "model/curve_table.h"
#include "model/line_table.h"
#include "model/track_grid.h"

enum class binary_kind { profile, table, track };

// The kind of file a name stands for, as the compile step names its outputs:
// "*_linea.dat" the line profile, "*.sim" the line table, any other "*.dat"
// the track file. False when the name ends in none of these.
bool kind_from_name(std::string_view name, binary_kind& kind);

// "profile", "table", "track", the words of --kind; and back.
const char* kind_word(binary_kind kind);
bool kind_from_word(std::string_view word, binary_kind& kind);

// ---------------------------------------------------------------------------
// Views of the decoded model.

// True when a cell holds more than stretch properties: a kind, a value, a
// timer or an approach mark.
bool holds_anything(const track_cell& cell);

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

// A double JSON cannot hold, as dump writes it: "inf", "-inf", "nan" for the
// quiet NaN the hardware makes, and "nan:BITS" (hex) for any other NaN, so
// that a packed dump gives the file's bytes back. Empty for a finite value.
std::string double_text(double v);
// The inverse: false when `text` is none of those.
bool double_from_text(const std::string& text, double& v);
