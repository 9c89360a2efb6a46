#include "reader/train_rows.h"

#include <string>

row_result beyond_grid(compile_context& ctx, const train_reading& reading,
                       std::int32_t position) {
  record_error(ctx, code_beyond_grid, position);
  note_error_origin(ctx, error_source::train_source, reading.cur,
                    fault_field::first);
  return row_result::beyond_grid;
}

row_result refuse_row(compile_context& ctx, train_reading& reading,
                      std::int32_t code, std::int32_t position,
                      fault_field field) {
  reading.position_before_code = ctx.error_position;
  record_error(ctx, code, position);
  note_error_origin(ctx, error_source::train_source, reading.cur, field);
  return row_result::coded_error;
}

row_result refuse_row_keep_position(compile_context& ctx,
                                    train_reading& reading, std::int32_t code) {
  return refuse_row(ctx, reading, code, ctx.error_position);
}

row_result end_if_error(compile_context& ctx, train_reading& reading,
                        std::int32_t code_before, std::int32_t position) {
  if (ctx.error_code <= 0) return row_result::next;
  reading.position_before_code = ctx.error_position;
  ctx.error_position = position;
  // A code left by the line source keeps its origin; only the position moves.
  if (ctx.error_code != code_before)
    note_error_origin(ctx, error_source::train_source, reading.cur,
                      fault_field::first);
  return row_result::coded_error;
}

row_result row_unreadable(compile_context& ctx, const train_reading& reading,
                          const std::string& what, std::int32_t line,
                          std::int32_t column) {
  note_error_origin(ctx, error_source::train_source, reading.cur);
  if (line > 0) ctx.error_line = line;
  if (column > 0) ctx.error_column = column;
  const std::string told =
      line > 0 ? what : field_failure_text(reading.cur, reading.row, what);
  (void)record_reading_failure(
      ctx,
      train_source_name(ctx) + ", line " +
          std::to_string(line > 0 ? line : reading.cur.field_line) + ": " +
          told,
      told);
  return row_result::reading_failure;
}
