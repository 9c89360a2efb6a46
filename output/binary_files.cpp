#include "output/binary_files.h"

#include <algorithm>
#include <cassert>
#include <limits>
#include <string>

#include "output/coding.h"
#include "output/race_codes.h"
#include "platform/platform.h"

namespace {

constexpr std::size_t max_label_bytes =
    std::numeric_limits<std::uint16_t>::max();

step_result header_taken(const char* number) {
  return step_fail(step_code::header_check, number);
}

// An int16 entry keeps its value in the table's double; the setter only ever
// stores 16-bit values there. Anything else would be a fault in the model
// code, and converting it would be undefined, so it goes out as 0.
std::int16_t int16_entry(double v) {
  bool fits = v >= std::numeric_limits<std::int16_t>::min() &&
              v <= std::numeric_limits<std::int16_t>::max();
  assert(fits);
  return fits ? static_cast<std::int16_t>(v) : std::int16_t{0};
}

void put_record(std::vector<std::uint8_t>& out, const line_record& r) {
  const std::size_t start = out.size();
  put_u8(out, r.kind);
  put_i32(out, r.from_m);
  put_i32(out, r.to_m);
  put_i32(out, r.at_m);
  put_u8(out, r.opt_a);
  put_u16(out, low_16_bits(r.label.size()));  // the caller checked the range
  // The label's bytes go out as they are held: one byte per character,
  // whatever code page they came from.
  for (char c : r.label) put_u8(out, static_cast<std::uint8_t>(c));
  put_i16(out, r.num_a);
  put_i16(out, r.num_b);
  put_i16(out, r.num_c);
  put_i16(out, r.num_d);
  put_i16(out, r.num_e);
  put_u8(out, r.opt_b);
  put_u8(out, r.opt_c);
  put_u8(out, r.opt_d);
  put_u8(out, r.opt_e);
  put_i32(out, r.time_s);
  assert(out.size() - start == record_fixed_bytes + r.label.size());
  (void)start;
}

void put_cell(std::vector<std::uint8_t>& out, const track_cell& c) {
  const std::size_t start = out.size();
  put_u8(out, c.kind);
  put_i16(out, c.value1);
  put_i16(out, c.value2);
  put_i16(out, c.value3);
  put_i16(out, c.value4);
  put_u8(out, c.timer);
  put_u8(out, c.approach);
  put_u8(out, c.mountain);
  put_u8(out, c.speed_limit);
  put_u8(out, c.gradient);
  put_u8(out, c.adhesion);
  assert(out.size() - start == cell_bytes);
  (void)start;
}

}  // namespace

step_result header_step(compile_context& ctx) {
  line_record* header = slot_at(ctx.table, slot_scenario_header);
  track_cell* cell1 = cell_at(ctx.grid, 1);
  // A grid of one cell (or none) has no place for the header values; the
  // simulator would find no header, so this is refused like a taken place.
  if (header == nullptr || cell1 == nullptr) return header_taken("1250");

  if (header->num_a != 0 || cell1->value1 != 0) return header_taken("1250");
  header->num_a = header_scenario_mark;
  cell1->value1 = header_track_mark;

  if (header->time_s != 0 || cell1->value2 != 0) return header_taken("1251");
  header->time_s = codice_gara_st(ctx);
  cell1->value2 = codice_gara_og(ctx);
  return step_ok();
}

std::vector<std::uint8_t> line_profile_bytes(const curve_table& curves) {
  std::vector<std::uint8_t> out;
  const std::size_t count = std::min(curves.tags.size(), curves.values.size());
  out.reserve(count * 10);
  for (std::size_t i = 0; i < count; ++i) {
    const curve_tag tag = curves.tags[i];
    put_u16(out, static_cast<std::uint16_t>(tag));
    switch (tag) {
      case curve_tag::int16:
        put_i16(out, int16_entry(curves.values[i]));
        break;
      case curve_tag::real:
        put_f64(out, curves.values[i]);
        break;
      case curve_tag::empty:
        break;
    }
  }
  return out;
}

step_result line_table_bytes(const compile_context& ctx,
                             std::vector<std::uint8_t>& out) {
  out.clear();
  for (std::size_t slot = 0; slot < ctx.table.slots.size(); ++slot) {
    const line_record& record = ctx.table.slots[slot];
    // Cutting the label would write a name or board text the author never
    // wrote, silently; a record that cannot be written stops the output.
    if (record.label.size() > max_label_bytes)
      return step_fail(
          step_code::file_fault,
          "cannot write " +
              join_path(ctx.files.directory, line_table_file_name(ctx)) +
              ": the label of line table slot " + std::to_string(slot) +
              " has " + std::to_string(record.label.size()) +
              " characters, more than the 65535 a record can hold");
    put_record(out, record);
  }
  return step_ok();
}

std::vector<std::uint8_t> track_bytes(const track_grid& grid) {
  std::vector<std::uint8_t> out;
  out.reserve(grid.cells.size() * cell_bytes);
  for (const track_cell& cell : grid.cells) put_cell(out, cell);
  return out;
}

step_result write_binary_files(compile_context& ctx) {
  std::vector<std::uint8_t> table_image;
  step_result r = line_table_bytes(ctx, table_image);
  if (!r.ok()) return r;
  const std::vector<std::uint8_t> track_image = track_bytes(ctx.grid);

  if (ctx.write_flag != 0) {
    r = replace_file(ctx.files, line_profile_file_name(ctx),
                     line_profile_bytes(ctx.curves));
    if (!r.ok()) return r;
  }
  r = replace_file(ctx.files, line_table_file_name(ctx), table_image);
  if (!r.ok()) return r;
  return replace_file(ctx.files, track_file_name(ctx), track_image);
}
