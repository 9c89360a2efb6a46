#include "reader/row_loop.h"

#include "reader/author_notes.h"

token_step next_row_token(compile_context& ctx, source_cursor& cur) {
  if (!read_text_field(cur, ctx.current_token)) return token_step::failure;
  if (at_end(cur)) {
    note_last_field(ctx.notes, cur, ctx.current_token);
    return token_step::end;
  }
  switch (skip_comments(cur, ctx.current_token, 2, true)) {
    case skip_outcome::token_ready:
      break;
    case skip_outcome::end_reached:
      note_last_field(ctx.notes, cur, ctx.current_token);
      return token_step::end;
    case skip_outcome::failure:
      return token_step::failure;
  }
  note_token(ctx.notes, cur, ctx.current_token, 2);
  return token_step::ready;
}

track_cell* free_cell(compile_context& ctx, std::int64_t index,
                      std::int32_t missing_code, std::int32_t taken_code) {
  track_cell* cell = cell_at(ctx.grid, index);
  if (cell == nullptr) {
    record_error_code(ctx, missing_code);
    return nullptr;
  }
  if (!is_free(*cell)) {
    record_taken_cell(ctx, taken_code, index);
    return nullptr;
  }
  return cell;
}

bool fill_cells(track_grid& grid, std::int32_t& fill, std::int64_t until,
                std::int64_t stop, std::uint8_t track_cell::*field,
                std::uint8_t value) {
  do {
    if (fill >= stop) return true;
    track_cell* cell = cell_at(grid, fill);
    if (cell == nullptr) return false;
    cell->*field = value;
    ++fill;
  } while (fill < until);
  return true;
}

std::string field_failure_text(const source_cursor& cur, const row_in_hand& row,
                               const std::string& otherwise) {
  if (row.rule == nullptr || cur.failure == field_failure::none)
    return otherwise;
  const std::int32_t started = cur.fields_started - row.field_base;
  // A field that ran out of range was begun; one the file ended before was
  // not.
  const std::int32_t index =
      cur.failure == field_failure::file_ended ? started : started - 1;
  const std::size_t count = row.rule->fields.count;
  if (index < 0 || static_cast<std::size_t>(index) >= count) return otherwise;
  const field_rule& field = row.rule->fields.items[index];
  const std::string row_name = std::string(row.rule->name) + " row: ";
  if (cur.failure == field_failure::file_ended)
    return row_name + "the file ends before its " + std::string(field.name) +
           " (field " + std::to_string(index + 1) + " of " +
           std::to_string(count) + ")";
  return row_name + std::string(field.name) + " '" + cur.failed_text +
         "' does not fit: it must lie between " +
         std::to_string(cur.failed_min) + " and " +
         std::to_string(cur.failed_max);
}

bool pass_fault(compile_context& ctx, source_cursor& cur, row_result outcome) {
  if (!ctx.keep_going) return false;
  ctx.found_errors.push_back(slot_as_found(ctx));
  record_error(ctx, 0, 0);
  ctx.error_detail.clear();
  if (outcome == row_result::reading_failure) skip_rest_of_field_line(cur);
  return true;
}

read_end record_reading_failure(compile_context& ctx, const std::string& detail,
                                const std::string& what) {
  record_error_code(ctx, code_reading_failure);
  ctx.error_detail = detail;
  ctx.error_hint = what;
  return read_end::reading_failure;
}
