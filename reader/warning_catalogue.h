// The catalogue of the warnings a row of one kind can give besides those any
// row can give (a numeric field that is not a number, a row in another
// section or after [fine], two rows in one field, a comment read as a row),
// each said the way the format reference says it. A warning of a kind here
// comes from one of the observer's hooks (author_notes.h, row_notes.h, and
// take_label in labels.h); a test holds the two together.
#pragma once

#include <cstdint>
#include <vector>

#include "reader/grammar.h"

enum class row_warning : std::uint8_t {
  given_twice,         // note_row, general rows
  references_cleared,  // note_references_cleared
  behind_row_before,   // note_fill_row
  value_bent,          // note_gradient_value, note_speed_value, ...
  curve_behind,        // note_curve_row
  curves_unread,       // note_curve_unread
  mountain_overlap,    // note_mountain_row
  mountain_empty,      // note_mountain_row
  utf8_label,          // take_label
  platform_backwards,  // note_negative_station_length
  no_warning_board,    // note_no_warning_board
};
struct row_warning_text {
  row_warning kind;
  const char* text;
};
std::vector<row_warning_text> row_warnings(row_id row);
