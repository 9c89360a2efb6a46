// The observer's hooks about the values of one kind of row (author_notes.h
// holds the observer and the hooks of the row loop): a row whose meaning
// depends on the one before it, kilometre references cleared, a value bent
// to fit its field. Each is told what the reader decided, and every one
// returns at once without an observer.
#pragma once

#include <cstdint>
#include <string>

#include "model/line_table.h"
#include "reader/author_notes.h"
#include "reader/field_reader.h"
#include "reader/grammar.h"

// A row of a fill (gradient, speed limit, adhesion; `row` says which) whose
// cell k does not lie beyond the fill index: it fills one cell at most, with
// the value before.
void note_fill_row(author_notes* notes, row_id row, std::int32_t p,
                   std::int64_t k, std::int64_t fill);
// A curve that starts behind the metre the plan has reached.
void note_curve_row(author_notes* notes, std::int32_t s, std::int32_t lc,
                    std::int64_t next_metre);
// A mountain, with the cells from first_cell to last_cell that the reader
// lays it on: one that begins before the one before it ends, or covers no
// cell.
void note_mountain_row(author_notes* notes, std::int32_t inizio,
                       std::int32_t fine, std::int64_t first_cell,
                       std::int64_t last_cell);
// The ordering clears the kilometre references in `table`, still as read:
// because two share the greatest first number, or else because there is
// nothing to order.
void note_references_cleared(author_notes* notes, const line_table& table,
                             bool greatest_shared);

// Values bent to fit their fields. `cur` stands right after the field.
void note_gradient_value(author_notes* notes, const source_cursor& cur,
                         std::int32_t g);
void note_speed_value(author_notes* notes, const source_cursor& cur,
                      std::int32_t v);
void note_adhesion_value(author_notes* notes, const source_cursor& cur,
                         std::int32_t a);
void note_signal_timer(author_notes* notes, const source_cursor& cur,
                       std::int32_t sx, std::int32_t tempo);
// A slowdown at x that asks for pre-warning cells but gets no warning board.
void note_no_warning_board(author_notes* notes, std::int32_t x);
// A station length below 0: the platform is stored backwards.
void note_negative_station_length(author_notes* notes, std::int32_t line,
                                  std::int32_t column, std::int32_t length_m,
                                  std::int32_t from_m, std::int32_t to_m);
// A note of the caller's own at the field the cursor read last (labels).
void note_at_field(author_notes* notes, const source_cursor& cur,
                   std::string text, bool is_error);
