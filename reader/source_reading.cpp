// The steps both readers take the same way: the start of each turn of a row
// loop, and the fills that give a run of cells the value of the row before.
#include "reader/source_reading.h"

#include "reader/author_notes.h"

token_step next_row_token(compile_context& ctx, source_cursor& cur,
                          author_notes& notes) {
  if (!read_text_field(cur, ctx.current_token)) return token_step::failure;
  if (at_end(cur)) {
    note_last_field(ctx, notes, cur, ctx.current_token);
    return token_step::end;
  }
  switch (skip_comments(cur, ctx.current_token, 2, true)) {
    case skip_outcome::token_ready:
      break;
    case skip_outcome::end_reached:
      note_last_field(ctx, notes, cur, ctx.current_token);
      return token_step::end;
    case skip_outcome::failure:
      return token_step::failure;
  }
  note_token(ctx, notes, cur, ctx.current_token, 2);
  return token_step::ready;
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
