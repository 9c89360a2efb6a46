#include "output/binary_files.h"

#include <algorithm>

#include "output/race_codes.h"
#include "platform/platform.h"

namespace {

// The line profile goes to its file straight from the curve table, a piece
// of this many entries (at most 80 KiB) at a time: the file is as large as
// the table itself, and building it whole first would hold both in memory.
constexpr std::size_t profile_piece_entries = 8192;
constexpr std::size_t profile_piece_bytes =
    profile_piece_entries * largest_profile_entry_bytes();

struct profile_pieces {
  const curve_table* curves;
  std::size_t count;  // entries in the table
  std::size_t next_entry = 0;
};

void next_profile_piece(void* state, std::vector<std::uint8_t>& piece) {
  profile_pieces& p = *static_cast<profile_pieces*>(state);
  // Room for the largest piece from the start, so the buffer never grows
  // to twice that by doubling.
  piece.reserve(profile_piece_bytes);
  const std::size_t to =
      std::min(p.count, p.next_entry + profile_piece_entries);
  append_profile_entries(*p.curves, p.next_entry, to, piece);
  p.next_entry = to;
}

step_result header_taken(const header_check_info& check) {
  return step_fail(step_code::header_check, std::string(check.number));
}

}  // namespace

step_result header_step(compile_context& ctx) {
  line_record* header = slot_at(ctx.table, slot_scenario_header);
  track_cell* cell1 = cell_at(ctx.grid, 1);
  // A grid of one cell (or none) has no place for the header values; the
  // simulator would find no header, so this is refused like a taken place.
  if (header == nullptr || cell1 == nullptr)
    return header_taken(header_check_values);

  if (header->num_a != 0 || cell1->value1 != 0)
    return header_taken(header_check_values);
  header->num_a = header_scenario_mark;
  cell1->value1 = header_track_mark;

  if (header->time_s != 0 || cell1->value2 != 0)
    return header_taken(header_check_race_code);
  header->time_s = codice_gara_st(ctx);
  cell1->value2 = codice_gara_og(ctx);
  return step_ok();
}

step_result write_binary_files(compile_context& ctx) {
  std::vector<std::uint8_t> table_image;
  step_result r = line_table_bytes(ctx, table_image);
  if (!r.ok()) return r;
  const std::vector<std::uint8_t> track_image = track_bytes(ctx.grid);

  if (ctx.write_flag != 0) {
    profile_pieces pieces{&ctx.curves, std::min(ctx.curves.tags.size(),
                                                ctx.curves.values.size())};
    r = replace_file_piecewise(ctx.files, line_profile_file_name(ctx),
                               {next_profile_piece, &pieces});
    if (!r.ok()) return r;
  }
  r = replace_file(ctx.files, line_table_file_name(ctx), table_image);
  if (!r.ok()) return r;
  return replace_file(ctx.files, track_file_name(ctx), track_image);
}
