#include "reader/train_reader.h"

#include <optional>
#include <string>

#include "model/stored_values.h"
#include "reader/author_notes.h"
#include "reader/code_marker_rows.h"
#include "reader/field_trace.h"
#include "reader/kilometre_references.h"
#include "reader/row_notes.h"
#include "reader/signal_rows.h"
#include "reader/slowdown_rows.h"
#include "reader/station_rows.h"
#include "reader/train_rows.h"

namespace {

// Rows of general data are stored as read: what they mean is the
// simulator's business.
row_result read_general_row(compile_context& ctx, train_reading& reading,
                            row_id row) {
  line_record& line_data = ctx.table.slots[slot_train_line_data];
  line_record& train_header = ctx.table.slots[slot_train_header];
  bool ok = false;
  switch (row) {
    case row_id::braked_mass:
      ok = read_fields(reading.cur, line_data.from_m);
      break;
    case row_id::carriages:
      ok = read_fields(reading.cur, line_data.at_m);
      break;
    case row_id::clock:
      ok = read_fields(reading.cur, train_header.num_c, train_header.num_d,
                       train_header.num_e);
      break;
    default:  // sand
      ok = read_fields(reading.cur, train_header.num_a);
      break;
  }
  if (!ok)
    return row_unreadable(ctx, reading,
                          "a field of a general data row cannot be read");
  return row_result::next;
}

// A speed limit is stored when the next row (or the end of the file) closes
// its stretch, so the fault is told at the row that gave the speed.
row_result speed_unreadable(compile_context& ctx, const train_reading& reading,
                            std::int32_t speed_kmh) {
  const std::int32_t highest_kmh = 255 * 5 + 2;  // the nearest unit is 255
  (void)row_unreadable(
      ctx, reading,
      "speed limit: " + std::to_string(speed_kmh) + " km/h is " +
          (speed_kmh < 0 ? std::string("below 0")
                         : "above " + std::to_string(highest_kmh)) +
          " (speed limits are kept in units of 5 km/h in one byte)",
      reading.previous_speed_line, reading.previous_speed_column);
  return row_result::reading_failure;
}
// Each speed-limit row closes the stretch of the row before it: the cells
// from the fill index up to the one before the row's own take the earlier
// speed. The rows never fill cell N; the tail does that.
row_result read_speed_row(compile_context& ctx, train_reading& reading) {
  std::int32_t p = 0;
  std::int32_t v = 0;
  if (!read_fields(reading.cur, p, v))
    return row_unreadable(ctx, reading,
                          "a field of a speed-limit row cannot be read");
  const std::int32_t speed_line = reading.cur.field_line;
  const std::int32_t speed_column = reading.cur.field_column;
  note_speed_value(ctx.notes, reading.cur, v);
  if (!row_fits(ctx, p, row_margin_m)) return beyond_grid(ctx, reading, p);
  const std::int64_t n = nearest_index(stretch_place(static_cast<double>(p)));
  const std::int32_t last = ctx.grid.last_index();
  note_fill_row(ctx.notes, row_id::speed_limit, p, n, reading.speed_fill_index);
  if (n > 0 && reading.speed_fill_index < last) {
    std::uint8_t units = 0;
    if (!encode_speed_units(reading.previous_speed_kmh, units)) {
      const row_result r =
          speed_unreadable(ctx, reading, reading.previous_speed_kmh);
      // A reading that goes on past the fault (for authors) carries on with
      // this row's speed, so the one bad speed is told once.
      reading.previous_speed_kmh = v;
      reading.previous_speed_line = speed_line;
      reading.previous_speed_column = speed_column;
      return r;
    }
    (void)fill_cells(ctx.grid, reading.speed_fill_index, n, last,
                     &track_cell::speed_limit, units);
  }
  reading.previous_speed_kmh = v;
  reading.previous_speed_line = speed_line;
  reading.previous_speed_column = speed_column;
  if (ctx.trace != nullptr)
    trace_place(*ctx.trace, "speed limit of the cells from cell " +
                                std::to_string(reading.speed_fill_index) +
                                " up to the next speed limit row");
  return row_result::next;
}

// Like the speed limits, but the stored byte is the value modulo 256. A row
// always moves the fill on by one cell, so many rows at one place could push
// it past the grid: the fill stops after cell N.
row_result read_adhesion_row(compile_context& ctx, train_reading& reading) {
  std::int32_t p = 0;
  std::int32_t a = 0;
  if (!read_fields(reading.cur, p, a))
    return row_unreadable(ctx, reading,
                          "a field of an adhesion row cannot be read");
  note_adhesion_value(ctx.notes, reading.cur, a);
  if (!row_fits(ctx, p, row_margin_m)) return beyond_grid(ctx, reading, p);
  const std::int64_t n = nearest_index(stretch_place(static_cast<double>(p)));
  note_fill_row(ctx.notes, row_id::adhesion, p, n, reading.adhesion_fill_index);
  if (n > 0) {
    (void)fill_cells(ctx.grid, reading.adhesion_fill_index, n, no_stop,
                     &track_cell::adhesion,
                     encode_adhesion(reading.previous_adhesion));
  }
  reading.previous_adhesion = a;
  if (ctx.trace != nullptr)
    trace_place(*ctx.trace,
                "adhesion of the cells from cell " +
                    std::to_string(reading.adhesion_fill_index) +
                    " up to the next adhesion row, stored as byte " +
                    std::to_string(encode_adhesion(a)));
  return row_result::next;
}

row_result read_row(compile_context& ctx, train_reading& reading, row_id row) {
  switch (row) {
    case row_id::speed_limit:
      return read_speed_row(ctx, reading);
    case row_id::adhesion:
      return read_adhesion_row(ctx, reading);
    case row_id::signal:
      return read_signal_row(ctx, reading);
    case row_id::slowdown:
      return read_slowdown_row(ctx, reading);
    case row_id::code_marker:
      return read_code_marker_row(ctx, reading);
    case row_id::station:
      return read_station_row(ctx, reading);
    default:
      return read_general_row(ctx, reading, row);
  }
}

row_result dispatch(compile_context& ctx, train_reading& reading) {
  // The handlers read fields, not tokens, so the token stays the same for
  // every entry; a copy makes that independent of them.
  const std::string token = ctx.current_token;
  for (const row_rule& row : source_rows(source_file::train)) {
    if (!row_matches(row, token)) continue;
    note_row(ctx.notes, row.id, reading.cur);
    reading.row = start_row(row, reading.cur);
    row_result r = read_row(ctx, reading, row.id);
    if (r != row_result::next && !pass_fault(ctx, reading.cur, r)) return r;
  }
  return row_result::next;
}

// Everything before "[generale]" is passed over unread, keywords included.
// False when the text holds no "[generale]".
bool skip_to_general_section(compile_context& ctx, train_reading& reading) {
  while (!at_end(reading.cur)) {
    if (!read_text_field(reading.cur, ctx.current_token)) return false;
    if (contains_keyword(ctx.current_token, general_section)) return true;
    note_before_general(ctx.notes, reading.cur, ctx.current_token);
  }
  return false;
}

// Reads rows until the end of the text. The last field is never examined:
// the writer ends the file with "[fine]", which needs no examination.
row_result read_rows(compile_context& ctx, train_reading& reading) {
  while (!at_end(reading.cur)) {
    const token_step step = next_row_token(ctx, reading.cur);
    if (step == token_step::end) break;
    if (step == token_step::failure)
      return row_unreadable(ctx, reading, "a token cannot be read");
    row_result r = dispatch(ctx, reading);
    if (r != row_result::next) return r;
    note_token_end(ctx.notes);
  }
  return row_result::next;
}

}  // namespace

// Runs after the end of the file and after code 15: the file goes, and the
// last speed limit and adhesion value run on to cell N - 3 at least (a fill
// already beyond that still writes the cell it stands on).
read_end complete_train_model(compile_context& ctx,
                              const train_reading& reading) {
  const std::int64_t tail_end = std::int64_t{ctx.grid.last_index()} - 2;
  std::uint8_t units = 0;
  if (!encode_speed_units(reading.previous_speed_kmh, units)) {
    (void)speed_unreadable(ctx, reading, reading.previous_speed_kmh);
    return read_end::reading_failure;
  }
  // The tails work on copies: the fill positions belong to the rows.
  std::int32_t speed_fill = reading.speed_fill_index;
  (void)fill_cells(ctx.grid, speed_fill, tail_end, no_stop,
                   &track_cell::speed_limit, units);
  std::int32_t adhesion_fill = reading.adhesion_fill_index;
  (void)fill_cells(ctx.grid, adhesion_fill, tail_end, no_stop,
                   &track_cell::adhesion,
                   encode_adhesion(reading.previous_adhesion));

  check_kilometre_references(ctx);
  return read_end::finished;
}

read_end read_train_text(compile_context& ctx, std::string_view text,
                         train_reading& reading) {
  reading = train_reading{};
  reading.cur = make_cursor(text);
  std::optional<author_notes> notes;
  start_notes(ctx, notes, error_source::train_source, note_phase::train_rows,
              reading.cur);
  if (skip_to_general_section(ctx, reading))
    note_general_found(ctx.notes, reading.cur);
  else
    note_no_general_section(ctx.notes);

  const row_result rows = read_rows(ctx, reading);
  finish_notes(ctx, reading.cur);
  switch (rows) {
    case row_result::next:
    case row_result::beyond_grid:
      return read_end::finished;
    case row_result::coded_error:
      return read_end::coded_error;
    case row_result::reading_failure:
      break;
  }
  return read_end::reading_failure;
}
