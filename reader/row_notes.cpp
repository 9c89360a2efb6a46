#include "reader/row_notes.h"

#include <algorithm>
#include <cstddef>
#include <utility>

#include "model/stored_values.h"

namespace {

std::string str(std::int64_t v) { return std::to_string(v); }

previous_row& row_before(author_notes& notes, row_id row) {
  switch (row) {
    case row_id::gradient:
      return notes.gradient;
    case row_id::speed_limit:
      return notes.speed_limit;
    default:
      return notes.adhesion;
  }
}

// The text of a fill row that does not lie beyond the one before it.
std::string fill_behind_text(const char* what, const previous_row& before,
                             std::int32_t p, std::int64_t k,
                             std::int64_t fill) {
  std::string text = std::string(what) + " row at " + str(p) +
                     " m does not lie beyond the one before it (line " +
                     str(before.line) + ", at " + str(before.position_m) +
                     " m)";
  if (k > 0)
    return text + ": it fills only cell " + str(fill) + " with the " + what +
           " before, and its own begins at cell " + str(fill + 1) +
           ", not at cell " + str(k);
  return text + ": it fills no cell, and its own " + what +
         " replaces the one before from cell " + str(fill) + " on";
}

// The text for references cleared because two share the greatest first
// number, naming them.
std::string shared_references_text(const line_table& table) {
  const struct {
    const line_record& slot;
    const char* word;
  } refs[3] = {{table.slots[slot_reference_three], "tre"},
               {table.slots[slot_reference_two], "due"},
               {table.slots[slot_reference_one], "uno"}};
  std::int32_t greatest = refs[0].slot.from_m;
  for (const auto& r : refs) greatest = std::max(greatest, r.slot.from_m);
  std::string sharing;
  int count = 0;
  for (const auto& r : refs) {
    if (r.slot.from_m != greatest) continue;
    sharing += (count == 0 ? "'" : " and '") + std::string(r.word) + "'";
    ++count;
  }
  return "kilometre references " + sharing +
         " share the greatest first number (" + str(greatest) +
         "): all three references are cleared to 0";
}

}  // namespace

void note_fill_row(author_notes* notes, row_id row, std::int32_t p,
                   std::int64_t k, std::int64_t fill) {
  if (notes == nullptr) return;
  previous_row& before = row_before(*notes, row);
  if (before.line != 0 && k <= fill)
    add_row_warning(*notes,
                    fill_behind_text(row_info(row).name, before, p, k, fill));
  before = {notes->token_line, p};
}

void note_curve_row(author_notes* notes, std::int32_t s, std::int32_t lc,
                    std::int64_t next_metre) {
  if (notes == nullptr) return;
  const std::int64_t end = std::int64_t{s} + lc;
  if (notes->curve.line != 0 && next_metre > std::int64_t{s} + 1) {
    std::string text = "curve at " + str(s) + " m starts behind metre " +
                       str(next_metre - 1) +
                       ", where the plan stands after the curve of line " +
                       str(notes->curve.line);
    if (next_metre > end)
      text += ": it turns no metre";
    else
      text += ": only its metres " + str(next_metre) + " to " + str(end) +
              " turn, " + str(end - next_metre + 1) + " of " + str(lc);
    add_row_warning(*notes, text);
  }
  notes->curve = {notes->token_line, s};
}

void note_mountain_row(author_notes* notes, std::int32_t inizio,
                       std::int32_t fine, std::int64_t first_cell,
                       std::int64_t last_cell) {
  if (notes == nullptr) return;
  const previous_row& before = notes->mountain;
  if (before.line != 0 && inizio < before.end_m) {
    std::string text = "mountain at " + str(inizio) +
                       " m begins before the one of line " + str(before.line) +
                       " ends (at " + str(before.end_m) +
                       " m): the join rule gives it type 3";
    const std::int64_t shared = std::min(last_cell, before.last_cell) -
                                std::max(first_cell, before.first_cell) + 1;
    if (shared > 0)
      text += ", and it lays its type over " + str(shared) +
              (shared == 1 ? " cell" : " cells") + " of that one";
    add_row_warning(*notes, text);
  }
  if (first_cell > last_cell) {
    std::string text = "mountain from " + str(inizio) + " m to " + str(fine) +
                       " m covers no cell: nothing of it is laid";
    if (fine < inizio) text += " (are its start and end swapped?)";
    add_row_warning(*notes, text);
  }
  notes->mountain = {notes->token_line, inizio, fine, first_cell, last_cell};
}

void note_references_cleared(author_notes* notes, const line_table& table,
                             bool greatest_shared) {
  if (notes == nullptr) return;
  // The warning stands at the reference row read last, when any reference
  // holds a value.
  std::int32_t line = 0;
  std::int32_t column = 0;
  bool any_value = false;
  for (row_id row : {row_id::reference_three, row_id::reference_two,
                     row_id::reference_one}) {
    const std::size_t i = static_cast<std::size_t>(row);
    if (notes->row_lines[i] > line) {
      line = notes->row_lines[i];
      column = notes->row_columns[i];
    }
  }
  for (int slot :
       {slot_reference_three, slot_reference_two, slot_reference_one}) {
    const line_record& r = table.slots[static_cast<std::size_t>(slot)];
    any_value = any_value || r.from_m != 0 || r.to_m != 0 || r.at_m != 0;
  }
  if (line == 0 || !any_value) return;
  add_warning(*notes, line, column,
              greatest_shared
                  ? shared_references_text(table)
                  : "kilometre references: their first numbers add up to 0 "
                    "and no second number is above 0, so all three are "
                    "cleared to 0");
}

void note_gradient_value(author_notes* notes, const source_cursor& cur,
                         std::int32_t g) {
  if (notes == nullptr) return;
  const std::int32_t stored = decode_gradient(encode_gradient(g));
  if (stored == g) return;
  add_warning(*notes, cur.field_line, cur.field_column,
              "gradient " + str(g) +
                  " per mille does not fit its byte (-100 to 155): it is "
                  "stored as " +
                  str(stored));
}

void note_speed_value(author_notes* notes, const source_cursor& cur,
                      std::int32_t v) {
  std::uint8_t units = 0;
  if (notes == nullptr || !encode_speed_units(v, units) ||
      decode_speed_units(units) == v)
    return;
  add_warning(*notes, cur.field_line, cur.field_column,
              "speed " + str(v) +
                  " km/h is kept in steps of 5 km/h: it is stored as " +
                  str(decode_speed_units(units)) + " km/h");
}

void note_adhesion_value(author_notes* notes, const source_cursor& cur,
                         std::int32_t a) {
  if (notes == nullptr || encode_adhesion(a) == a) return;
  add_warning(*notes, cur.field_line, cur.field_column,
              "adhesion " + str(a) +
                  " does not fit its byte (0 to 255): it is stored as " +
                  str(encode_adhesion(a)));
}

void note_signal_timer(author_notes* notes, const source_cursor& cur,
                       std::int32_t sx, std::int32_t tempo) {
  if (notes == nullptr || tempo == 0) return;
  std::string text;
  if (sx != 2)
    text = "timer " + str(tempo) +
           " is not stored: only a signal whose first type is 2 runs a timer";
  else if (raised_timer(tempo) != tempo)
    text = "timer " + str(tempo) +
           " is raised to 101: times from 1 to 100 are stored as 101";
  else if (encode_signal_timer(sx, tempo) != tempo)
    text = "timer " + str(tempo) +
           " does not fit its byte (0 to 255): it is stored as " +
           str(encode_signal_timer(sx, tempo));
  else
    return;
  add_warning(*notes, cur.field_line, cur.field_column, text);
}

void note_no_warning_board(author_notes* notes, std::int32_t x) {
  if (notes == nullptr) return;
  add_row_warning(*notes,
                  "slowdown at " + str(x) + " m lies within the first " +
                      str(no_warning_board_up_to_m) +
                      " m: it gets no warning board, so its pre-warning "
                      "cells are not laid either");
}

void note_negative_station_length(author_notes* notes, std::int32_t line,
                                  std::int32_t column, std::int32_t length_m,
                                  std::int32_t from_m, std::int32_t to_m) {
  if (notes == nullptr) return;
  add_warning(*notes, line, column,
              "the station length " + str(length_m) +
                  " m is below 0: the platform is stored backwards, from " +
                  str(from_m) + " to " + str(to_m) + " m");
}

void note_at_field(author_notes* notes, const source_cursor& cur,
                   std::string text, bool is_error) {
  if (notes == nullptr) return;
  add_warning(*notes, cur.field_line, cur.field_column, std::move(text),
              is_error);
}
