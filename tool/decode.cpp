#include "tool/decode.h"

#include <cstdint>
#include <cstring>
#include <limits>
#include <utility>
#include <vector>

#include "output/binary_files.h"

namespace {

// A read position in a file that only ever moves forward. Each getter checks
// that the whole field lies inside the bytes before it touches any of them,
// and reports false (moving nothing) when it does not.
struct byte_cursor {
  std::string_view bytes;
  std::size_t at = 0;

  bool has(std::size_t n) const {
    return at <= bytes.size() && bytes.size() - at >= n;
  }
  std::uint8_t byte(std::size_t i) const {
    return static_cast<std::uint8_t>(bytes[at + i]);
  }
  // Little-endian, byte by byte, so the host's byte order never matters.
  std::uint64_t unsigned_field(std::size_t n) {
    std::uint64_t v = 0;
    for (std::size_t i = 0; i < n; ++i)
      v |= static_cast<std::uint64_t>(byte(i)) << (8 * i);
    at += n;
    return v;
  }
  bool u8(std::uint8_t& v) {
    if (!has(1)) return false;
    v = static_cast<std::uint8_t>(unsigned_field(1));
    return true;
  }
  bool u16(std::uint16_t& v) {
    if (!has(2)) return false;
    v = static_cast<std::uint16_t>(unsigned_field(2));
    return true;
  }
  // Signed fields are the two's complement bit patterns of their width.
  bool i16(std::int16_t& v) {
    std::uint16_t bits = 0;
    if (!u16(bits)) return false;
    v = static_cast<std::int16_t>(bits);
    return true;
  }
  bool i32(std::int32_t& v) {
    if (!has(4)) return false;
    v = static_cast<std::int32_t>(
        static_cast<std::uint32_t>(unsigned_field(4)));
    return true;
  }
  bool f64(double& v) {
    if (!has(8)) return false;
    const std::uint64_t bits = unsigned_field(8);
    static_assert(sizeof(double) == sizeof bits,
                  "doubles must be 64-bit IEEE 754");
    std::memcpy(&v, &bits, sizeof v);
    return true;
  }
  bool text(std::size_t n, std::string& v) {
    if (!has(n)) return false;
    v.assign(bytes.substr(at, n));
    at += n;
    return true;
  }
};

decode_fault fault(std::size_t offset, std::string what) {
  return {offset, std::move(what)};
}

char lower(char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

// Case-insensitive, because the names also travel through file systems that
// do not keep case.
bool ends_with(std::string_view name, std::string_view tail) {
  if (name.size() < tail.size()) return false;
  const std::string_view end = name.substr(name.size() - tail.size());
  for (std::size_t i = 0; i < tail.size(); ++i)
    if (lower(end[i]) != tail[i]) return false;
  return true;
}

bool read_record(byte_cursor& in, line_record& r) {
  std::uint16_t length = 0;
  return in.u8(r.kind) && in.i32(r.from_m) && in.i32(r.to_m) &&
         in.i32(r.at_m) && in.u8(r.opt_a) && in.u16(length) &&
         in.text(length, r.label) && in.i16(r.num_a) && in.i16(r.num_b) &&
         in.i16(r.num_c) && in.i16(r.num_d) && in.i16(r.num_e) &&
         in.u8(r.opt_b) && in.u8(r.opt_c) && in.u8(r.opt_d) && in.u8(r.opt_e) &&
         in.i32(r.time_s);
}

}  // namespace

bool kind_from_name(std::string_view name, binary_kind& kind) {
  if (ends_with(name, "_linea.dat")) {
    kind = binary_kind::profile;
  } else if (ends_with(name, ".sim")) {
    kind = binary_kind::table;
  } else if (ends_with(name, ".dat")) {
    kind = binary_kind::track;
  } else {
    return false;
  }
  return true;
}

const char* kind_word(binary_kind kind) {
  switch (kind) {
    case binary_kind::profile:
      return "profile";
    case binary_kind::table:
      return "table";
    case binary_kind::track:
      return "track";
  }
  return "track";
}

bool kind_from_word(std::string_view word, binary_kind& kind) {
  for (binary_kind k :
       {binary_kind::profile, binary_kind::table, binary_kind::track}) {
    if (word == kind_word(k)) {
      kind = k;
      return true;
    }
  }
  return false;
}

decode_fault decode_track(std::string_view bytes, track_grid& grid) {
  if (bytes.empty()) return fault(0, "the track file is empty");
  if (bytes.size() % cell_bytes != 0) {
    const std::size_t whole = bytes.size() - bytes.size() % cell_bytes;
    return fault(whole, "the track file is " + std::to_string(bytes.size()) +
                            " bytes, not a whole number of 15-byte cells: " +
                            std::to_string(bytes.size() - whole) +
                            " bytes left after cell " +
                            std::to_string(whole / cell_bytes - 1));
  }
  std::vector<track_cell> cells(bytes.size() / cell_bytes);
  byte_cursor in{bytes};
  for (track_cell& c : cells) {
    // The size was checked above, so every read fits; the checks stay so a
    // change of the layout can never read past the end.
    const std::size_t start = in.at;
    if (!(in.u8(c.kind) && in.i16(c.value1) && in.i16(c.value2) &&
          in.i16(c.value3) && in.i16(c.value4) && in.u8(c.timer) &&
          in.u8(c.approach) && in.u8(c.mountain) && in.u8(c.speed_limit) &&
          in.u8(c.gradient) && in.u8(c.adhesion)))
      return fault(start, "a cell is cut short");
  }
  grid.cells = std::move(cells);
  return {};
}

decode_fault decode_line_table(std::string_view bytes, line_table& table) {
  line_table decoded;
  byte_cursor in{bytes};
  for (std::size_t slot = 0; slot < decoded.slots.size(); ++slot) {
    const std::size_t start = in.at;
    if (!read_record(in, decoded.slots[slot])) {
      std::string what = "the record of slot " + std::to_string(slot) +
                         " is cut short: the file ends at byte " +
                         std::to_string(bytes.size());
      // Past the label length the record's size depends on it, and a wrong
      // length is the usual way a record runs past the end: say what it
      // asked for.
      byte_cursor length_at{bytes, start + 14};
      std::uint16_t n = 0;
      if (length_at.u16(n))
        what += ", while its label length " + std::to_string(n) + " asks for " +
                std::to_string(record_fixed_bytes + n) + " bytes from byte " +
                std::to_string(start);
      return fault(start, what);
    }
  }
  if (in.at != bytes.size())
    return fault(in.at, std::to_string(bytes.size() - in.at) +
                            " bytes follow the record of slot 86, the last "
                            "of the 87");
  table = std::move(decoded);
  return {};
}

decode_fault decode_line_profile(std::string_view bytes, curve_table& curves) {
  std::vector<curve_tag> tags;
  std::vector<double> values;
  byte_cursor in{bytes};
  while (in.at < bytes.size()) {
    const std::size_t start = in.at;
    std::uint16_t tag = 0;
    if (!in.u16(tag))
      return fault(start, "entry " + std::to_string(tags.size()) +
                              " is cut short: one byte where a 2-byte tag "
                              "belongs");
    bool read = true;
    double v = 0.0;
    switch (tag) {
      case static_cast<std::uint16_t>(curve_tag::empty):
        tags.push_back(curve_tag::empty);
        break;
      case static_cast<std::uint16_t>(curve_tag::int16): {
        std::int16_t i = 0;
        read = in.i16(i);
        v = i;
        tags.push_back(curve_tag::int16);
        break;
      }
      case static_cast<std::uint16_t>(curve_tag::real):
        read = in.f64(v);
        tags.push_back(curve_tag::real);
        break;
      default:
        return fault(start, "entry " + std::to_string(tags.size()) +
                                " has the unknown tag " + std::to_string(tag) +
                                " (known: 0 empty, 2 integer, 5 double)");
    }
    if (!read)
      return fault(start, "entry " + std::to_string(tags.size() - 1) +
                              " is cut short: the file ends inside its value");
    values.push_back(v);
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

const char* cell_kind_name(std::uint8_t kind) {
  switch (kind) {
    case kind_plain:
      return "plain track";
    case kind_signal:
      return "signal";
    case kind_slowdown_end:
      return "slowdown end";
    case kind_slowdown_start:
      return "slowdown start";
    case kind_warning_board:
      return "warning board";
    case kind_pre_warning:
      return "pre-warning";
    case kind_speed_board:
      return "speed board";
    case kind_station_marker:
      return "station marker";
    case kind_tunnel_marker:
      return "tunnel marker";
    case kind_code_marker:
      return "code marker";
    case kind_zero_code_marker:
      return "zero-code marker";
    case kind_text_board:
      return "text board";
    default:
      return "unknown kind";
  }
}

bool holds_anything(const track_cell& c) {
  return c.kind != 0 || c.value1 != 0 || c.value2 != 0 || c.value3 != 0 ||
         c.value4 != 0 || c.timer != 0 || c.approach != 0;
}

bool unpack_signal(const track_cell& c, signal_parts& p) {
  if (c.value1 < 0 || c.value2 < 0 || c.value3 < 0 || c.value4 < 0)
    return false;
  p.s1 = c.value1 / 10;
  p.d1 = c.value1 % 10;
  p.s2 = c.value2 / 10;
  p.d2 = c.value2 % 10;
  p.s3 = c.value3 / 10;
  p.d3 = c.value3 % 10;
  p.rapp = c.value4 / 10;
  p.sx = c.value4 % 10 / 3;
  p.dx = c.value4 % 10 % 3;
  return true;
}

bool unpack_speed_board(const track_cell& c, speed_board_parts& p) {
  const std::int16_t speeds[] = {c.value1, c.value2, c.value3};
  for (std::size_t i = 0; i < 3; ++i) {
    if (speeds[i] < 0) return false;
    p.first_kmh[i] = speeds[i] / 20;
    p.second_kmh[i] = speeds[i] % 20 * 5;
  }
  if (c.value4 < 0) return false;
  p.first_stripes = c.value4 / 10;
  p.second_stripes = c.value4 % 10;
  return true;
}

namespace {

std::uint8_t field_of(const track_cell& c, stretch_field field) {
  switch (field) {
    case stretch_field::gradient:
      return c.gradient;
    case stretch_field::speed_limit:
      return c.speed_limit;
    case stretch_field::adhesion:
      return c.adhesion;
    case stretch_field::mountain:
      return c.mountain;
  }
  return 0;
}

}  // namespace

std::vector<stretch_run> stretch_runs(const track_grid& grid,
                                      stretch_field field) {
  std::vector<stretch_run> runs;
  for (std::size_t i = 0; i < grid.cells.size(); ++i) {
    const track_cell& c = grid.cells[i];
    const std::uint8_t v = field_of(c, field);
    const auto index = static_cast<std::int32_t>(i);
    if (runs.empty() || runs.back().value != v)
      runs.push_back({index, index, v, false});
    runs.back().last = index;
    // Tunnels are stored with the mountain type of their stretch; only the
    // markers laid every fourth cell tell them from open mountain.
    if (field == stretch_field::mountain && v != 0 &&
        c.kind == kind_tunnel_marker)
      runs.back().tunnel = true;
  }
  return runs;
}

bool slot_used(const line_record& r) {
  return r.kind != 0 || r.from_m != 0 || r.to_m != 0 || r.at_m != 0 ||
         r.opt_a != 0 || !r.label.empty() || r.num_a != 0 || r.num_b != 0 ||
         r.num_c != 0 || r.num_d != 0 || r.num_e != 0 || r.opt_b != 0 ||
         r.opt_c != 0 || r.opt_d != 0 || r.opt_e != 0 || r.time_s != 0;
}

const char* slot_role(int slot, const line_record& r) {
  switch (slot) {
    case 0:
      return "unused slot 0";
    case slot_reference_three:
      return "kilometre reference three";
    case slot_reference_two:
      return "kilometre reference two";
    case slot_reference_one:
      return "kilometre reference one";
    case slot_train_line_data:
      return "train and line data";
    case slot_scenario_header:
      return "scenario header";
    case slot_train_header:
      return "train header";
    default:
      break;
  }
  // Stations fill every field they have; a board's text is all its slot
  // holds.
  line_record without_label = r;
  without_label.label.clear();
  const bool board_text = !r.label.empty() && !slot_used(without_label);
  return board_text ? "board text" : "station";
}

std::string label_utf8(std::string_view label) {
  std::string text;
  text.reserve(label.size());
  for (char ch : label) {
    const auto byte = static_cast<unsigned char>(ch);
    if (byte < 0x80) {
      text += ch;
    } else {
      text += static_cast<char>(0xC0 | (byte >> 6));
      text += static_cast<char>(0x80 | (byte & 0x3F));
    }
  }
  return text;
}

tag_counts count_tags(const curve_table& curves, int coordinate) {
  tag_counts n;
  for (std::int64_t m = 0; m <= curves.last_metre; ++m) {
    switch (curve_tag_at(curves, m, coordinate)) {
      case curve_tag::empty:
        ++n.empty;
        break;
      case curve_tag::int16:
        ++n.integer;
        break;
      case curve_tag::real:
        ++n.real;
        break;
    }
  }
  return n;
}

std::int64_t last_computed_metre(const curve_table& curves) {
  for (std::int64_t m = curves.last_metre; m >= 0; --m)
    if (curve_tag_at(curves, m, 0) != curve_tag::empty &&
        curve_tag_at(curves, m, 1) != curve_tag::empty)
      return m;
  return -1;
}
