#include "reader/line_reader.h"

#include <cstddef>
#include <optional>
#include <string>

#include "reader/author_notes.h"
#include "reader/kilometre_references.h"
#include "reader/line_rows.h"

namespace {

line_record& fixed_slot(compile_context& ctx, int n) {
  return ctx.table.slots[static_cast<std::size_t>(n)];
}

// The grid and, when outputs are written, the plan, sized by the line length.
row_result size_tables(compile_context& ctx, line_reading& r,
                       std::int32_t length_m) {
  if (length_m > longest_line_m) {
    record_error_code(ctx, code_line_too_long);
    return line_coded_error(ctx, r, fault_field::last_read);
  }
  std::int32_t e = length_m + run_out_m;
  std::int32_t n = 0;
  (void)nearest_i32(stretch_place(static_cast<double>(e)), n);  // always fits
  // A length so negative that the grid (or the plan) would have no metres
  // cannot size them.
  if (n < 0 || (ctx.write_flag != 0 && e < 0))
    return line_reading_failure(ctx, r, "line length: the line has no extent");
  allocate_grid(ctx.grid, n);
  if (ctx.write_flag != 0) allocate_curve_table(ctx.curves, e);
  return row_result::next;
}

row_result read_signal_repetition(compile_context& ctx, line_reading& r) {
  line_record& slot = fixed_slot(ctx, slot_train_header);
  if (!read_fields(r.cur, slot.from_m, slot.to_m))
    return line_reading_failure(
        ctx, r, "signal repetition: a number is missing or out of range");
  if (!on_cell_boundary(slot.from_m)) {
    record_error_code(ctx, code_repetition_start);
    return line_coded_error(ctx, r);
  }
  if (!on_cell_boundary(slot.to_m)) {
    record_error_code(ctx, code_repetition_end);
    return line_coded_error(ctx, r, fault_field::last_read);
  }
  // The number of codes is named in the row's own keyword field.
  if (contains_exact(ctx.current_token, "4")) {
    slot.at_m = 4;
  } else if (contains_exact(ctx.current_token, "9")) {
    slot.at_m = 9;
  } else {
    record_error_code(ctx, code_repetition_count);
    return line_coded_error(ctx, r, fault_field::keyword);
  }
  if (slot.to_m == 0) slot.at_m = 0;
  return row_result::next;
}

row_result read_general_row(compile_context& ctx, line_reading& r, row_id row) {
  bool ok = true;
  switch (row) {
    case row_id::line_length: {
      line_record& slot = fixed_slot(ctx, slot_train_line_data);
      ok = read_number_field(r.cur, slot.to_m);
      if (ok) return size_tables(ctx, r, slot.to_m);
      break;
    }
    case row_id::reference_three:
    case row_id::reference_two:
    case row_id::reference_one: {
      int n = row == row_id::reference_three ? slot_reference_three
              : row == row_id::reference_two ? slot_reference_two
                                             : slot_reference_one;
      line_record& slot = fixed_slot(ctx, n);
      ctx.reference_lines[static_cast<std::size_t>(n - slot_reference_three)] =
          r.cur.field_line;  // the row's keyword field, read last
      ok = read_fields(r.cur, slot.from_m, slot.to_m, slot.at_m);
      break;
    }
    case row_id::background_one:
      ok = read_number_field(r.cur,
                             fixed_slot(ctx, slot_scenario_header).from_m);
      break;
    case row_id::background_two:
      ok = read_number_field(r.cur, fixed_slot(ctx, slot_scenario_header).at_m);
      break;
    case row_id::background_three:
      ok = read_number_field(r.cur, fixed_slot(ctx, slot_scenario_header).to_m);
      break;
    case row_id::signal_repetition:
      return read_signal_repetition(ctx, r);
    default:  // the rows after the general section
      break;
  }
  if (!ok)
    return line_reading_failure(
        ctx, r, "general row: a number is missing or out of range");
  return row_result::next;
}

// The general section ends at the first section marker that is not itself
// written as a comment.
bool ends_general_section(const std::string& token) {
  std::size_t first = token.find_first_not_of(" \t");
  return is_section_marker(token) && first != std::string::npos &&
         token[first] != '-';
}

// Reads tokens up to "[generale]". A file whose last field is the only
// "[generale]" has no general section either.
row_result find_general_section(compile_context& ctx, line_reading& r) {
  for (;;) {
    if (!read_text_field(r.cur, ctx.current_token))
      return line_reading_failure(ctx, r, "the line source is empty");
    if (at_end(r.cur)) {
      record_error_code(ctx, code_no_general_section);
      return line_coded_error(ctx, r);
    }
    if (contains_keyword(ctx.current_token, general_section)) {
      note_general_found(ctx.notes, r.cur);
      return row_result::next;
    }
    note_before_general(ctx.notes, r.cur, ctx.current_token);
  }
}

// A row of the line source begins at the keyword the cursor read last.
void begin_row(compile_context& ctx, line_reading& r, const row_rule& row) {
  note_row(ctx.notes, row.id, r.cur);
  r.row = start_row(row, r.cur);
}

row_result read_general_section(compile_context& ctx, line_reading& r) {
  while (!at_end(r.cur)) {
    (void)read_text_field(r.cur, ctx.current_token);  // not at the end
    if (at_end(r.cur)) {
      note_last_field(ctx.notes, r.cur, ctx.current_token);
      break;
    }
    // Up to ten comments in a row; a comment that is the last field leaves
    // nothing to read in its place.
    if (skip_comments(r.cur, ctx.current_token, 10, false) ==
        skip_outcome::failure)
      return line_reading_failure(
          ctx, r, "general section: a comment is the last field");
    note_token(ctx.notes, r.cur, ctx.current_token, 10);
    for (const row_rule& row : source_rows(source_file::line)) {
      if (!row.general || !row_matches(row, ctx.current_token)) continue;
      begin_row(ctx, r, row);
      row_result outcome = read_general_row(ctx, r, row.id);
      if (outcome != row_result::next && !pass_fault(ctx, r.cur, outcome))
        return outcome;
    }
    note_token_end(ctx.notes);
    if (ends_general_section(ctx.current_token)) break;
  }
  // Everything after the general section needs the grid; without the length
  // row there is none, and the reading cannot go on. A compile that went on
  // past a faulty length row has said why already.
  if (!ctx.grid.allocated()) {
    if (ctx.keep_going && !ctx.found_errors.empty())
      return row_result::coded_error;
    return line_reading_failure(ctx, r, "general section: no line length row");
  }
  return row_result::next;
}

row_result read_line_row(compile_context& ctx, line_reading& r, row_id row) {
  switch (row) {
    case row_id::gradient:
      return read_gradient_row(ctx, r);
    case row_id::curve:
      return read_curve_row(ctx, r);
    case row_id::mountain:
      return read_mountain_row(ctx, r);
    case row_id::speed_board:
      return read_speed_board_row(ctx, r);
    case row_id::text_board:
      return read_text_board_row(ctx, r);
    default:  // general rows are read in the general section only
      break;
  }
  return row_result::next;
}

// The rows after the general section, wherever they stand. The last field of
// the file is never examined.
row_result read_rows(compile_context& ctx, line_reading& r) {
  while (!at_end(r.cur)) {
    const token_step step = next_row_token(ctx, r.cur);
    if (step == token_step::end) break;
    if (step == token_step::failure)
      return line_reading_failure(ctx, r, "rows: a comment is the last field");
    // Each entry is tested on its own, so a token with two keywords is read
    // as both rows, in table order.
    for (const row_rule& row : source_rows(source_file::line)) {
      if (row.general || !row_matches(row, ctx.current_token)) continue;
      // Without outputs there is no plan, and curve rows pass unread.
      if (row.id == row_id::curve && ctx.write_flag == 0) {
        note_curve_unread(ctx.notes);
        continue;
      }
      begin_row(ctx, r, row);
      row_result outcome = read_line_row(ctx, r, row.id);
      if (outcome != row_result::next && !pass_fault(ctx, r.cur, outcome))
        return outcome;
    }
    note_token_end(ctx.notes);
  }
  return row_result::next;
}

}  // namespace

read_end read_line_text(compile_context& ctx, std::string_view text,
                        line_reading& r) {
  // Whatever an earlier compile left in the grid and the plan goes: only this
  // source's length row may size them.
  ctx.grid = track_grid{};
  ctx.curves = curve_table{};

  r = line_reading{};
  r.cur = make_cursor(text);
  std::optional<author_notes> notes;
  start_notes(ctx, notes, error_source::line_source, note_phase::line_general,
              r.cur);

  row_result outcome = find_general_section(ctx, r);
  if (outcome == row_result::next) outcome = read_general_section(ctx, r);
  if (outcome == row_result::next) {
    progressive_ordina(ctx);
    // The rows start from a fresh state (line_reading's initial values); the
    // plan starts at the origin heading along its second coordinate.
    if (ctx.curves.allocated()) {
      (void)set_curve_int16(ctx.curves, 0, 0, 0);
      (void)set_curve_int16(ctx.curves, 0, 1, 0);
      (void)set_curve_int16(ctx.curves, 1, 0, 0);
      (void)set_curve_int16(ctx.curves, 1, 1, 1);
    }
    note_rows_begin(ctx.notes);
    outcome = read_rows(ctx, r);
  }
  finish_notes(ctx, r.cur);
  if (outcome == row_result::coded_error) return read_end::coded_error;
  if (outcome == row_result::reading_failure) return read_end::reading_failure;
  // End of the rows, at the end of the file or at a row beyond the grid.
  return read_end::finished;
}

void complete_line_model(compile_context& ctx, line_reading& r) {
  gradient_tail(ctx, r);
  curve_tail(ctx, r);
  ctx.board_slot = r.board_slot;
}
