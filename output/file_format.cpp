#include "output/file_format.h"

#include <algorithm>
#include <cassert>
#include <limits>
#include <utility>

#include "output/coding.h"
#include "platform/platform.h"

namespace {

constexpr std::size_t max_label_bytes =
    std::numeric_limits<std::uint16_t>::max();

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

// REQUIRES: a whole cell lies at `at`.
track_cell get_cell(std::string_view in, std::size_t at) {
  track_cell c;
  c.kind = get_u8(in, at + cell_kind_at);
  c.value1 = get_i16(in, at + cell_value1_at);
  c.value2 = get_i16(in, at + cell_value2_at);
  c.value3 = get_i16(in, at + cell_value3_at);
  c.value4 = get_i16(in, at + cell_value4_at);
  c.timer = get_u8(in, at + cell_timer_at);
  c.approach = get_u8(in, at + cell_approach_at);
  c.mountain = get_u8(in, at + cell_mountain_at);
  c.speed_limit = get_u8(in, at + cell_speed_limit_at);
  c.gradient = get_u8(in, at + cell_gradient_at);
  c.adhesion = get_u8(in, at + cell_adhesion_at);
  return c;
}

// REQUIRES: a whole record of `label_bytes` lies at `at`.
line_record get_record(std::string_view in, std::size_t at,
                       std::size_t label_bytes) {
  line_record r;
  r.kind = get_u8(in, at + record_kind_at);
  r.from_m = get_i32(in, at + record_from_m_at);
  r.to_m = get_i32(in, at + record_to_m_at);
  r.at_m = get_i32(in, at + record_at_m_at);
  r.opt_a = get_u8(in, at + record_opt_a_at);
  r.label.assign(in.substr(at + record_label_at, label_bytes));
  const std::size_t tail = at + record_label_at + label_bytes;
  r.num_a = get_i16(in, tail + tail_num_a_at);
  r.num_b = get_i16(in, tail + tail_num_b_at);
  r.num_c = get_i16(in, tail + tail_num_c_at);
  r.num_d = get_i16(in, tail + tail_num_d_at);
  r.num_e = get_i16(in, tail + tail_num_e_at);
  r.opt_b = get_u8(in, tail + tail_opt_b_at);
  r.opt_c = get_u8(in, tail + tail_opt_c_at);
  r.opt_d = get_u8(in, tail + tail_opt_d_at);
  r.opt_e = get_u8(in, tail + tail_opt_e_at);
  r.time_s = get_i32(in, tail + tail_time_s_at);
  return r;
}

// True when n bytes from `at` lie inside `in`.
bool fits(std::string_view in, std::size_t at, std::size_t n) {
  return at <= in.size() && in.size() - at >= n;
}

decode_fault fault(std::size_t offset, std::string what) {
  return {offset, std::move(what)};
}

// "0 empty, 2 integer, 5 double", for the message on an unknown tag.
std::string known_tags() {
  std::string text;
  for (const profile_tag_info& t : profile_tags)
    text += (text.empty() ? "" : ", ") + std::to_string(t.code) + " " + t.name;
  return text;
}

}  // namespace

const profile_tag_info* find_profile_tag(std::uint16_t code) {
  for (const profile_tag_info& t : profile_tags)
    if (t.code == code) return &t;
  return nullptr;
}

const profile_tag_info& profile_tag_of(curve_tag tag) {
  for (const profile_tag_info& t : profile_tags)
    if (t.tag == tag) return t;
  assert(false && "every curve_tag is in profile_tags");
  return profile_tags[0];
}

void append_profile_entries(const curve_table& curves, std::size_t from,
                            std::size_t to, std::vector<std::uint8_t>& out) {
  assert(from <= to && to <= curves.tags.size() && to <= curves.values.size());
  const profile_tag_info& empty = profile_tag_of(curve_tag::empty);
  const profile_tag_info& int16 = profile_tag_of(curve_tag::int16);
  const profile_tag_info& real = profile_tag_of(curve_tag::real);
  // The entries are stored in place, in room for the largest entries, which
  // is then cut to what they took: the profile is by far the largest file,
  // and pushing it out byte by byte cost more than writing it to the disk.
  const std::size_t start = out.size();
  out.resize(start + (to - from) * largest_profile_entry_bytes());
  std::uint8_t* at = out.data() + start;
  for (std::size_t i = from; i < to; ++i) {
    switch (curves.tags[i]) {
      case curve_tag::empty:
        at = store_u16(at, empty.code);
        break;
      case curve_tag::int16:
        at = store_u16(at, int16.code);
        at = store_i16(at, int16_entry(curves.values[i]));
        break;
      case curve_tag::real:
        at = store_u16(at, real.code);
        at = store_f64(at, curves.values[i]);
        break;
    }
  }
  out.resize(static_cast<std::size_t>(at - out.data()));
}

std::vector<std::uint8_t> line_profile_bytes(const curve_table& curves) {
  std::vector<std::uint8_t> out;
  const std::size_t count = std::min(curves.tags.size(), curves.values.size());
  out.reserve(count * (profile_tag_bytes + 8));
  append_profile_entries(curves, 0, count, out);
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

decode_fault decode_track(std::string_view bytes, track_grid& grid) {
  if (bytes.empty()) return fault(0, "the track file is empty");
  if (bytes.size() % cell_bytes != 0) {
    const std::size_t whole = bytes.size() - bytes.size() % cell_bytes;
    const std::string left = whole == 0
                                 ? "less than one cell"
                                 : std::to_string(bytes.size() - whole) +
                                       " bytes left after cell " +
                                       std::to_string(whole / cell_bytes - 1);
    return fault(whole, "the track file is " + std::to_string(bytes.size()) +
                            " bytes, not a whole number of " +
                            std::to_string(cell_bytes) +
                            "-byte cells: " + left);
  }
  std::vector<track_cell> cells(bytes.size() / cell_bytes);
  for (std::size_t i = 0; i < cells.size(); ++i)
    cells[i] = get_cell(bytes, i * cell_bytes);  // the size was checked above
  grid.cells = std::move(cells);
  return {};
}

decode_fault decode_line_table(std::string_view bytes, line_table& table) {
  line_table decoded;
  std::size_t at = 0;
  for (std::size_t slot = 0; slot < decoded.slots.size(); ++slot) {
    const bool has_length = fits(bytes, at, record_label_at);
    const std::size_t label_bytes =
        has_length ? get_u16(bytes, at + record_label_length_at) : 0;
    if (!fits(bytes, at, record_fixed_bytes + label_bytes)) {
      std::string what = "the record of slot " + std::to_string(slot) +
                         " is cut short: the file ends at byte " +
                         std::to_string(bytes.size());
      // Past the label length the record's size depends on it, and a wrong
      // length is the usual way a record runs past the end: say what it
      // asked for.
      if (has_length)
        what += ", while its label length " + std::to_string(label_bytes) +
                " asks for " +
                std::to_string(record_fixed_bytes + label_bytes) +
                " bytes from byte " + std::to_string(at);
      return fault(at, what);
    }
    decoded.slots[slot] = get_record(bytes, at, label_bytes);
    at += record_fixed_bytes + label_bytes;
  }
  if (at != bytes.size())
    return fault(at, std::to_string(bytes.size() - at) +
                         " bytes follow the record of slot 86, the last "
                         "of the 87");
  table = std::move(decoded);
  return {};
}

decode_fault decode_line_profile(std::string_view bytes, curve_table& curves) {
  std::vector<curve_tag> tags;
  std::vector<double> values;
  std::size_t at = 0;
  while (at < bytes.size()) {
    if (!fits(bytes, at, profile_tag_bytes))
      return fault(at, "entry " + std::to_string(tags.size()) +
                           " is cut short: one byte where a 2-byte tag "
                           "belongs");
    const std::uint16_t code = get_u16(bytes, at);
    const profile_tag_info* tag = find_profile_tag(code);
    if (tag == nullptr)
      return fault(at, "entry " + std::to_string(tags.size()) +
                           " has the unknown tag " + std::to_string(code) +
                           " (known: " + known_tags() + ")");
    if (!fits(bytes, at, profile_tag_bytes + tag->value_bytes))
      return fault(at, "entry " + std::to_string(tags.size()) +
                           " is cut short: the file ends inside its value");
    const std::size_t value_at = at + profile_tag_bytes;
    double v = 0.0;
    switch (tag->tag) {
      case curve_tag::empty:
        break;
      case curve_tag::int16:
        v = get_i16(bytes, value_at);
        break;
      case curve_tag::real:
        v = get_f64(bytes, value_at);
        break;
    }
    tags.push_back(tag->tag);
    values.push_back(v);
    at = value_at + tag->value_bytes;
  }
  if (tags.empty()) return fault(0, "the line profile file is empty");
  if (tags.size() / 2 - 1 >
      static_cast<std::size_t>(std::numeric_limits<std::int32_t>::max()))
    return fault(bytes.size(),
                 "the file holds more entries than a plan of "
                 "32-bit metres can have");
  if (tags.size() % 2 != 0)
    return fault(bytes.size(),
                 "the file holds " + std::to_string(tags.size()) +
                     " entries, an odd count: the two coordinates of the "
                     "plan must have one entry each per metre");
  curves.last_metre = static_cast<std::int32_t>(tags.size() / 2 - 1);
  curves.tags = std::move(tags);
  curves.values = std::move(values);
  return {};
}
