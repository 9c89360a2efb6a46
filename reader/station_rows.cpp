#include "reader/station_rows.h"

#include <algorithm>
#include <string>

#include "model/stored_values.h"
#include "reader/author_notes.h"
#include "reader/field_trace.h"
#include "reader/labels.h"
#include "reader/row_notes.h"

namespace {

// Stations must be this far apart, from the end of one platform to the start
// of the next.
constexpr std::int64_t station_gap_m = 350;

// The platform extent; terminals and kinds 7 and 8 take no opt_d.
void set_extent(line_record& station, std::int32_t length_m) {
  const station_extent extent = extent_of_station(station.kind, station.at_m,
                                                  length_m, station.opt_d != 0);
  station.from_m = extent.from_m;
  station.to_m = extent.to_m;
  if (station.kind >= 5 && station.kind <= 8) station.opt_d = 0;
}

// The cells a station writes, from d = to_m / 50: its marker in the cell
// nearest d - 1 and approach mark 80 + k in the cell nearest d - k - 1, each
// only where that value lies above 1. A marker at 1 or below is refused
// with 24 instead, so it never counts here.
double marker_place(double d) { return d - 1.0; }
double mark_place(double d, int k) { return d - k - 1.0; }

// The position check covers at_m + 800 only, while a long platform reaches
// further: true when every cell the station would write lies on the grid.
bool station_cells_fit(const track_grid& grid, double d, bool with_marks) {
  if (marker_place(d) > 1.0 &&
      cell_at(grid, nearest_index(marker_place(d))) == nullptr)
    return false;
  for (int k = 1; with_marks && k <= 4; ++k) {
    if (mark_place(d, k) > 1.0 &&
        cell_at(grid, nearest_index(mark_place(d, k))) == nullptr)
      return false;
  }
  return true;
}

// A station's length and where its field stands, for the warning about a
// length below 0.
struct station_length {
  std::int32_t m = 0;
  std::int32_t line = 0;
  std::int32_t column = 0;
};

// Reads the row's fields into the station's record, checking its position
// (15, 8) and its length (9) as they come.
row_result read_station_fields(compile_context& ctx, train_reading& reading,
                               line_record& station, station_length& length) {
  if (!read_fields(reading.cur, station.at_m))
    return row_unreadable(ctx, reading,
                          "a field of a station row cannot be read");
  if (!row_fits(ctx, station.at_m, station_margin_m))
    return beyond_grid(ctx, reading, station.at_m);
  if (!on_cell_boundary(station.at_m))
    return refuse_row(ctx, reading, code_station_position, station.at_m);

  if (!read_fields(reading.cur, station.kind, length.m))
    return row_unreadable(ctx, reading,
                          "a field of a station row cannot be read");
  if (length.m % 100 != 0)
    return refuse_row(ctx, reading, code_station_length, station.at_m,
                      fault_field::last_read);
  length.line = reading.cur.field_line;
  length.column = reading.cur.field_column;

  std::int32_t hours = 0;
  std::int32_t minutes = 0;
  std::int32_t seconds = 0;
  if (!read_fields(reading.cur, station.opt_a, station.opt_e, station.opt_d,
                   station.num_a, station.num_b, station.opt_b, station.num_c,
                   station.num_d, station.num_e, station.opt_c, hours, minutes,
                   seconds))
    return row_unreadable(ctx, reading,
                          "a field of a station row cannot be read");
  // The time wraps like 32-bit arithmetic; the fields are not validated.
  station.time_s = encode_time_of_day(hours, minutes, seconds);
  if (!read_text_field(reading.cur, station.label))
    return row_unreadable(ctx, reading, "the name of a station cannot be read");
  take_label(ctx, reading.cur, "station name", station.label);
  return row_result::next;
}

// The platform of station n from its length, and the options that depend on
// it.
void set_platform(compile_context& ctx, std::int32_t n, line_record& station,
                  const station_length& length) {
  set_extent(station, length.m);
  note_slot_owner(ctx, n);
  if (length.m < 0)
    note_negative_station_length(ctx.notes, length.line, length.column,
                                 length.m, station.from_m, station.to_m);
  if (length.m < 600) station.opt_e = 0;
  // The first station's opt_d and opt_e are cleared after the extent, so the
  // 50 m that opt_d adds stay in its to_m.
  if (n == 1) {
    station.opt_d = 0;
    station.opt_e = 0;
  }
}

// The approach marks and the marker of station n, for the kinds that have
// them (113, 24). They overwrite what those fields hold, without testing the
// cells: a station marker may replace a signal placed earlier.
row_result lay_station_cells(compile_context& ctx, train_reading& reading,
                             std::int32_t n, const line_record& station) {
  const bool marked = station_has_marker(station.kind);
  const bool with_marks = station_has_approach_marks(station.kind);
  const double d = stretch_place(static_cast<double>(station.to_m));
  if (marked && !station_cells_fit(ctx.grid, d, with_marks))
    return refuse_row(ctx, reading, code_station_beyond_grid, station.at_m);
  for (int k = 1; with_marks && k <= 4; ++k) {
    if (mark_place(d, k) <= 1.0) continue;
    track_cell* mark = cell_at(ctx.grid, nearest_index(mark_place(d, k)));
    if (mark != nullptr) mark->approach = station_approach_code(k);
  }
  if (!marked) return row_result::next;
  if (marker_place(d) <= 1.0)
    return refuse_row_keep_position(ctx, reading,
                                    code_station_marker_too_early);
  track_cell* marker = cell_at(ctx.grid, nearest_index(marker_place(d)));
  if (marker != nullptr) {
    marker->kind = kind_station_marker;
    note_cell_owner(ctx, marker);
    marker->value1 = low16(n);
  }
  return row_result::next;
}

// Station n must begin 350 m after the end of the station before it (22);
// the hint says when it even lies before that one.
row_result check_station_gap(compile_context& ctx, train_reading& reading,
                             std::int32_t n, const line_record& station) {
  const line_record* before = n > 1 ? slot_at(ctx.table, n - 1) : nullptr;
  if (before == nullptr ||
      std::int64_t{station.from_m} - station_gap_m >= before->to_m)
    return row_result::next;
  const row_result r =
      refuse_row(ctx, reading, code_stations_too_close, station.at_m);
  if (station.at_m < before->at_m)
    ctx.error_hint = "this station lies " +
                     std::to_string(std::int64_t{before->at_m} - station.at_m) +
                     " m before the station before it (at " +
                     std::to_string(before->at_m) +
                     " m): stations are listed in the order of the line";
  return r;
}

// Where station n went, for the trace.
std::string station_place(std::int32_t n, const line_record& station) {
  const double d = stretch_place(static_cast<double>(station.to_m));
  return "line table slot " + std::to_string(n) + ": platform " +
         std::to_string(station.from_m) + " to " +
         std::to_string(station.to_m) + " m" +
         (station_has_marker(station.kind)
              ? ", marker in cell " +
                    std::to_string(nearest_index(marker_place(d)))
              : std::string(", no cells on the track"));
}

}  // namespace

// The step order decides which fields a refused station leaves behind: only
// at_m for 8, also the kind for 9, the whole record for 113 and 24, and the
// record with its cells for 22 and 10.
row_result read_station_row(compile_context& ctx, train_reading& reading) {
  const std::int32_t n = reading.station_slot;
  // Board texts fill the slots above the board slot. A station is refused
  // before it writes into one of them, so no text is ever overwritten; with
  // free slots between the two groups the station slot never gets there, and
  // the counted check after the row does its work as before.
  const std::int32_t board_slot = std::min(ctx.board_slot, first_board_slot);
  line_record* slot = slot_at(ctx.table, n);
  if (n > board_slot || slot == nullptr)
    return refuse_row_keep_position(ctx, reading, code_too_many_stations);
  line_record& station = *slot;

  station_length length;
  row_result r = read_station_fields(ctx, reading, station, length);
  if (r != row_result::next) return r;
  set_platform(ctx, n, station, length);
  r = lay_station_cells(ctx, reading, n, station);
  if (r == row_result::next) r = check_station_gap(ctx, reading, n, station);
  if (r != row_result::next) return r;

  if (ctx.trace != nullptr) trace_place(*ctx.trace, station_place(n, station));
  ++reading.station_slot;
  if (reading.station_slot >= board_slot)
    return refuse_row_keep_position(ctx, reading, code_too_many_stations);
  return row_result::next;
}
