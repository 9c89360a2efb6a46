#include "tool/inspect/dump.h"

#include <array>
#include <cstddef>
#include <filesystem>
#include <iomanip>
#include <nlohmann/json.hpp>
#include <sstream>
#include <string_view>
#include <type_traits>

#include "base/terminal_text.h"
#include "model/curve_table.h"
#include "model/line_table.h"
#include "model/stored_values.h"
#include "model/track_grid.h"
#include "output/file_format.h"
#include "platform/platform.h"
#include "tool/inspect/dump_schema.h"
#include "tool/inspect/model_views.h"

namespace {

using json = nlohmann::ordered_json;

// Text as a terminal can show it: bytes outside printable ASCII are written
// as \xNN, so a damaged label or name cannot garble the dump. In a quoted
// label, its own quotes and backslashes are escaped as well, so where it ends
// stays clear.
std::string escaped(std::string_view text, bool in_quotes) {
  constexpr char hex[] = "0123456789ABCDEF";
  std::string shown;
  for (char ch : text) {
    const auto byte = static_cast<unsigned char>(ch);
    if (in_quotes && (ch == '"' || ch == '\\')) {
      shown += '\\';
      shown += ch;
    } else if (byte < 0x20 || byte >= 0x7F) {
      shown += "\\x";
      shown += hex[byte >> 4];
      shown += hex[byte & 0x0F];
    } else {
      shown += ch;
    }
  }
  return shown;
}

std::string quoted_label(std::string_view label) {
  return "\"" + escaped(label, true) + "\"";
}

std::string two_digits(std::int64_t v) {
  return (v >= 0 && v < 10 ? "0" : "") + std::to_string(v);
}

// hh:mm:ss of a time of day in seconds after midnight. Hours run past 23 and
// a negative time keeps its sign, as the sources can give either.
std::string time_of_day_text(std::int32_t seconds) {
  const time_parts t = decode_time_of_day(seconds);
  return (t.negative ? "-" : "") + two_digits(t.hours) + ":" +
         two_digits(t.minutes) + ":" + two_digits(t.seconds);
}

// The start clock of the train header is kept as three separate numbers.
std::string clock_text(std::int16_t h, std::int16_t m, std::int16_t s) {
  return two_digits(h) + ":" + two_digits(m) + ":" + two_digits(s);
}

// ---------------------------------------------------------------------------
// Track file.

std::string track_header_text(const track_grid& grid) {
  const track_cell* cell1 = cell_at(grid, 1);
  if (cell1 == nullptr) return "no cell 1, so no header values";
  std::string text = "cell 1 value1 " + std::to_string(cell1->value1);
  if (cell1->value1 != header_track_mark)
    return text + ", not the track mark " + std::to_string(header_track_mark) +
           ": the simulator will find no header";
  return text + " (the track mark), value2 " + std::to_string(cell1->value2) +
         " (the 16-bit race code)";
}

// value1..value4 in order, to walk beside their names in the table of cell
// kinds.
std::array<std::int16_t, 4> values_of(const track_cell& c) {
  return {c.value1, c.value2, c.value3, c.value4};
}

// What a cell's values stand for, by its kind: the packed kinds taken apart,
// the others by the names of their values.
std::string cell_meaning(std::size_t index, const track_cell& c) {
  std::ostringstream text;
  signal_parts s;
  speed_board_parts b;
  const cell_kind_info* info = find_cell_kind(c.kind);
  if (c.kind == kind_signal) {
    if (unpack_signal(c, s))
      text << "s1=" << s.s1 << " d1=" << s.d1 << " s2=" << s.s2
           << " d2=" << s.d2 << " s3=" << s.s3 << " d3=" << s.d3
           << " rapp=" << s.rapp << " sx=" << s.sx << " dx=" << s.dx;
  } else if (c.kind == kind_speed_board) {
    if (unpack_speed_board(c, b))
      text << "speeds " << b.first_kmh[0] << "/" << b.first_kmh[1] << "/"
           << b.first_kmh[2] << " km/h, second speeds " << b.second_kmh[0]
           << "/" << b.second_kmh[1] << "/" << b.second_kmh[2]
           << " km/h, stripes " << b.first_stripes << "/" << b.second_stripes;
  } else if (info != nullptr && !info->packed) {
    const std::array<std::int16_t, 4> values = values_of(c);
    for (std::size_t v = 0; v < values.size(); ++v) {
      if (*info->values[v].name == '\0') continue;
      if (!text.str().empty()) text << ", ";
      text << info->values[v].name << " " << values[v];
    }
  }
  if (index == 1 && c.value1 == header_track_mark) {
    if (!text.str().empty()) text << "; ";
    text << "header: track mark and race code";
  }
  return text.str();
}

const char* stretch_heading(stretch_field field) {
  switch (field) {
    case stretch_field::gradient:
      return "gradient (stored as per mille + 100)";
    case stretch_field::speed_limit:
      return "speed limit (stored in units of 5 km/h)";
    case stretch_field::adhesion:
      return "adhesion";
    case stretch_field::mountain:
      return "mountain (0 open; tunnels carry tunnel markers)";
  }
  return "";
}

std::string stretch_meaning(stretch_field field, const stretch_run& r) {
  switch (field) {
    case stretch_field::gradient: {
      if (r.value == gradient_not_filled) return "not filled";
      const std::int32_t per_mille = decode_gradient(r.value);
      if (per_mille == 0) return "level";
      return (per_mille > 0 ? "+" : "") + std::to_string(per_mille) +
             " per mille";
    }
    case stretch_field::speed_limit:
      return std::to_string(decode_speed_units(r.value)) + " km/h";
    case stretch_field::adhesion:
      return "";
    case stretch_field::mountain:
      if (r.value == 0) return "open";
      return (r.tunnel ? "tunnel, type " : "mountain type ") +
             std::to_string(r.value);
  }
  return "";
}

json cell_json(std::size_t index, const track_cell& c) {
  json j;
  j[dump_key::cell] = index;
  j[dump_key::kind] = c.kind;
  j["kind_name"] = cell_kind_name(c.kind);
  visit_cell_values(c, [&](const char* name, auto value) { j[name] = value; });
  signal_parts s;
  speed_board_parts b;
  const cell_kind_info* info = find_cell_kind(c.kind);
  if (c.kind == kind_signal && unpack_signal(c, s)) {
    j["signal"] = {{"s1", s.s1},     {"d1", s.d1}, {"s2", s.s2},
                   {"d2", s.d2},     {"s3", s.s3}, {"d3", s.d3},
                   {"rapp", s.rapp}, {"sx", s.sx}, {"dx", s.dx}};
  } else if (c.kind == kind_speed_board && unpack_speed_board(c, b)) {
    j["speed_board"] = {{"speeds_kmh", b.first_kmh},
                        {"second_speeds_kmh", b.second_kmh},
                        {"stripes", {b.first_stripes, b.second_stripes}}};
  } else if (info != nullptr && !info->packed) {
    // The kind's named values, so a reader of the JSON needs no table.
    const std::array<std::int16_t, 4> values = values_of(c);
    json named = json::object();
    for (std::size_t v = 0; v < values.size(); ++v)
      if (*info->values[v].name != '\0')
        named[info->values[v].name] = values[v];
    if (!named.empty()) j["values"] = named;
  }
  return j;
}

json runs_json(const track_grid& grid, stretch_field field) {
  json list = json::array();
  for (const stretch_run& r : stretch_runs(grid, field)) {
    json j = {{dump_key::from_cell, r.first},
              {dump_key::to_cell, r.last},
              {dump_key::value, r.value}};
    if (field == stretch_field::mountain && r.value != 0)
      j["tunnel"] = r.tunnel;
    list.push_back(j);
  }
  return list;
}

// The members every file's object begins with: its name, kind and size.
json file_json(const std::string& name, binary_kind kind, std::size_t size) {
  json j;
  j[dump_key::file] = name;  // invalid UTF-8 in a path is replaced on output
  j[dump_key::kind] = kind_word(kind);
  j[dump_key::bytes] = size;
  return j;
}

json track_json(const std::string& name, std::size_t size,
                const track_grid& grid) {
  json j = file_json(name, binary_kind::track, size);
  j[dump_key::cell_count] = grid.cells.size();
  json cells = json::array();
  for (std::size_t i = 0; i < grid.cells.size(); ++i)
    if (holds_anything(grid.cells[i]))
      cells.push_back(cell_json(i, grid.cells[i]));
  j[dump_key::cells] = cells;
  json runs = json::object();
  for (const stretch_member& m : stretch_members)
    runs[m.name] = runs_json(grid, m.field);
  j[dump_key::runs] = runs;
  return j;
}

void print_cell(std::ostream& out, std::size_t index, const track_cell& c) {
  std::ostringstream place;
  place << "cell " << index << " ("
        << point_metre(static_cast<std::int64_t>(index)) << " m)";
  out << "  " << std::left << std::setw(22) << place.str() << std::setw(20)
      << cell_kind_name(c.kind) << std::right << "value1=" << c.value1
      << " value2=" << c.value2 << " value3=" << c.value3
      << " value4=" << c.value4 << " timer=" << int{c.timer}
      << " approach=" << int{c.approach};
  const std::string meaning = cell_meaning(index, c);
  if (!meaning.empty()) out << "  [" << meaning << "]";
  out << '\n';
}

void print_runs(std::ostream& out, const track_grid& grid,
                stretch_field field) {
  out << stretch_heading(field) << ":\n";
  for (const stretch_run& r : stretch_runs(grid, field)) {
    std::ostringstream cells, metres;
    cells << "cells " << r.first << "-" << r.last;
    metres << r.first * cell_length_m << "-" << (r.last + 1) * cell_length_m
           << " m";
    out << "  " << std::left << std::setw(18) << cells.str() << std::setw(18)
        << metres.str() << std::right << std::setw(4) << int{r.value};
    const std::string meaning = stretch_meaning(field, r);
    if (!meaning.empty()) out << "  " << meaning;
    out << '\n';
  }
}

void print_track(std::ostream& out, const std::string& name, std::size_t size,
                 const track_grid& grid) {
  out << printable(name) << ": track file, " << size << " bytes, "
      << grid.cells.size() << " cells (0 to " << grid.last_index() << ")\n";
  out << "header: " << track_header_text(grid) << "\n";
  out << "cells that hold anything (a point feature in cell k stands at "
         "(k - 1) x 50 m):\n";
  for (std::size_t i = 0; i < grid.cells.size(); ++i)
    if (holds_anything(grid.cells[i])) print_cell(out, i, grid.cells[i]);
  out << "stretches (cell k covers k x 50 to k x 50 + 50 m):\n";
  for (stretch_field f : {stretch_field::gradient, stretch_field::speed_limit,
                          stretch_field::adhesion, stretch_field::mountain})
    print_runs(out, grid, f);
}

// ---------------------------------------------------------------------------
// Line table file.

// The header slots are shown even when cleared: their roles are fixed, and a
// cleared kilometre reference is worth seeing.
bool slot_shown(int slot, const line_record& r) {
  return slot_used(r) || slot >= slot_reference_three;
}

std::string slot_summary(int slot, const line_record& r) {
  const slot_role role = role_of_slot(slot, r);
  const std::string label = quoted_label(r.label);
  std::ostringstream text;
  if (role == slot_role::station) {
    text << "station " << slot << " " << label << ", kind " << int{r.kind}
         << ", at " << r.at_m << " m, platform " << r.from_m << " to " << r.to_m
         << " m, time " << time_of_day_text(r.time_s);
  } else if (role == slot_role::board_text) {
    text << "board text " << label;
  } else if (role == slot_role::train_line_data) {
    text << slot_role_name(role) << ": braked mass " << r.from_m
         << " %, line length " << r.to_m << " m, " << r.at_m << " carriages";
  } else if (role == slot_role::scenario_header) {
    text << slot_role_name(role) << " " << label << ": race code " << r.time_s
         << ", mark " << r.num_a << ", background one " << r.from_m << ", two "
         << r.at_m << ", three " << r.to_m;
  } else if (role == slot_role::train_header) {
    text << slot_role_name(role) << " " << label << ": clock "
         << clock_text(r.num_c, r.num_d, r.num_e) << ", sand " << r.num_a
         << ", signal repetition " << r.from_m << " to " << r.to_m << " m, "
         << r.at_m << " codes";
  } else if (role == slot_role::unused) {
    text << "slot 0 holds data, though the compiler keeps it clear; label "
         << label;
  } else {
    text << slot_role_name(role);
    if (!r.label.empty()) text << " " << label;
  }
  return text.str();
}

json slot_json(int slot, const line_record& r) {
  json j;
  j[dump_key::slot] = slot;
  const slot_role role = role_of_slot(slot, r);
  j["role"] = slot_role_name(role);
  visit_record_fields(r, [&](const char* name, const auto& value) {
    if constexpr (std::is_same_v<std::decay_t<decltype(value)>, std::string>)
      j[name] = label_utf8(value);
    else
      j[name] = value;
  });
  if (role == slot_role::scenario_header) {
    j["race_code"] = r.time_s;
  } else if (role == slot_role::train_header) {
    j["clock"] = clock_text(r.num_c, r.num_d, r.num_e);
  } else if (role == slot_role::station) {
    j["time"] = time_of_day_text(r.time_s);
  }
  return j;
}

json table_json(const std::string& name, std::size_t size,
                const line_table& table) {
  json j = file_json(name, binary_kind::table, size);
  json slots = json::array();
  for (int slot = 0; slot < line_table_slots; ++slot) {
    const line_record& r = table.slots[static_cast<std::size_t>(slot)];
    if (slot_shown(slot, r)) slots.push_back(slot_json(slot, r));
  }
  j[dump_key::slots] = slots;
  return j;
}

void print_record_fields(std::ostream& out, const line_record& r) {
  out << "      kind=" << int{r.kind} << " from_m=" << r.from_m
      << " to_m=" << r.to_m << " at_m=" << r.at_m << " opt_a=" << int{r.opt_a}
      << " opt_b=" << int{r.opt_b} << " opt_c=" << int{r.opt_c}
      << " opt_d=" << int{r.opt_d} << " opt_e=" << int{r.opt_e}
      << " num_a=" << r.num_a << " num_b=" << r.num_b << " num_c=" << r.num_c
      << " num_d=" << r.num_d << " num_e=" << r.num_e << " time_s=" << r.time_s
      << '\n';
}

void print_table(std::ostream& out, const std::string& name, std::size_t size,
                 const line_table& table) {
  int used = 0;
  for (int slot = 0; slot < line_table_slots; ++slot)
    if (slot_used(table.slots[static_cast<std::size_t>(slot)])) ++used;
  out << printable(name) << ": line table, " << size << " bytes, "
      << line_table_slots << " slots, " << used << " in use\n";
  for (int slot = 0; slot < line_table_slots; ++slot) {
    const line_record& r = table.slots[static_cast<std::size_t>(slot)];
    if (!slot_shown(slot, r)) continue;
    out << "slot " << std::setw(2) << slot << "  " << slot_summary(slot, r)
        << '\n';
    print_record_fields(out, r);
  }
}

// ---------------------------------------------------------------------------
// Line profile file.

// Every `every_m` metres from 0, and the last metre with a full point, where
// the plan ends.
std::vector<std::int64_t> sample_metres(const curve_table& curves,
                                        std::int32_t every_m) {
  std::vector<std::int64_t> metres;
  const std::int64_t step = every_m > 0 ? every_m : 1;
  for (std::int64_t m = 0; m <= curves.last_metre; m += step)
    metres.push_back(m);
  const std::int64_t last = last_computed_metre(curves);
  if (last >= 0 && last % step != 0) metres.push_back(last);
  return metres;
}

// An empty entry is null and an integer entry stays an integer, so the JSON
// keeps the three tags apart; a double JSON has no number for is a string.
json coordinate_json(const curve_table& curves, std::int64_t m, int c) {
  switch (curve_tag_at(curves, m, c)) {
    case curve_tag::empty:
      return nullptr;
    case curve_tag::int16:
      return static_cast<int>(curve_value(curves, m, c));
    case curve_tag::real:
      break;
  }
  const double v = curve_value(curves, m, c);
  const std::string text = double_text(v);
  if (!text.empty()) return text;
  return v;
}

json profile_json(const std::string& name, std::size_t size,
                  const curve_table& curves, std::int32_t every_m) {
  json j = file_json(name, binary_kind::profile, size);
  j[dump_key::last_metre] = curves.last_metre;
  json counts = json::array();
  for (int c = 0; c < 2; ++c) {
    const tag_counts n = count_tags(curves, c);
    counts.push_back({{"coordinate", c},
                      {"empty", n.empty},
                      {"integer", n.integer},
                      {"double", n.real}});
  }
  j["tags"] = counts;
  j["last_computed_metre"] = last_computed_metre(curves);
  json points = json::array();
  for (std::int64_t m : sample_metres(curves, every_m))
    points.push_back({{dump_key::metre, m},
                      {dump_key::x, coordinate_json(curves, m, 0)},
                      {dump_key::y, coordinate_json(curves, m, 1)}});
  j[dump_key::points] = points;
  return j;
}

std::string coordinate_text(const curve_table& curves, std::int64_t m, int c) {
  switch (curve_tag_at(curves, m, c)) {
    case curve_tag::empty:
      return "empty";
    case curve_tag::int16:
      return std::to_string(static_cast<int>(curve_value(curves, m, c))) +
             " (integer)";
    case curve_tag::real:
      break;
  }
  std::ostringstream text;
  text << std::fixed << std::setprecision(3) << curve_value(curves, m, c);
  return text.str();
}

void print_profile(std::ostream& out, const std::string& name, std::size_t size,
                   const curve_table& curves, std::int32_t every_m) {
  out << printable(name) << ": line profile, " << size << " bytes, "
      << curves.tags.size() << " entries, metres 0 to " << curves.last_metre
      << " for each of the two coordinates\n";
  for (int c = 0; c < 2; ++c) {
    const tag_counts n = count_tags(curves, c);
    out << "coordinate " << c << ": " << n.integer << " integer, " << n.real
        << " double, " << n.empty << " empty\n";
  }
  const std::int64_t last = last_computed_metre(curves);
  if (last < 0)
    out << "no metre has both coordinates\n";
  else
    out << "metres with both coordinates: up to " << last << "\n";
  out << "plan points every " << every_m << " m (x, y in metres):\n";
  for (std::int64_t m : sample_metres(curves, every_m))
    out << "  m " << std::left << std::setw(8) << m << std::right << " x "
        << coordinate_text(curves, m, 0) << "  y "
        << coordinate_text(curves, m, 1) << '\n';
}

}  // namespace

std::string printable(std::string_view text) { return escaped(text, false); }

decode_fault dump_text(binary_kind kind, const std::string& name,
                       std::string_view bytes, std::int32_t every_m,
                       std::ostream& out) {
  decode_fault fault;
  switch (kind) {
    case binary_kind::track: {
      track_grid grid;
      fault = decode_track(bytes, grid);
      if (fault.ok()) print_track(out, name, bytes.size(), grid);
      break;
    }
    case binary_kind::table: {
      line_table table;
      fault = decode_line_table(bytes, table);
      if (fault.ok()) print_table(out, name, bytes.size(), table);
      break;
    }
    case binary_kind::profile: {
      curve_table curves;
      fault = decode_line_profile(bytes, curves);
      if (fault.ok()) print_profile(out, name, bytes.size(), curves, every_m);
      break;
    }
  }
  return fault;
}

decode_fault dump_json(binary_kind kind, const std::string& name,
                       std::string_view bytes, std::int32_t every_m,
                       json& object) {
  decode_fault fault;
  switch (kind) {
    case binary_kind::track: {
      track_grid grid;
      fault = decode_track(bytes, grid);
      if (fault.ok()) object = track_json(name, bytes.size(), grid);
      break;
    }
    case binary_kind::table: {
      line_table table;
      fault = decode_line_table(bytes, table);
      if (fault.ok()) object = table_json(name, bytes.size(), table);
      break;
    }
    case binary_kind::profile: {
      curve_table curves;
      fault = decode_line_profile(bytes, curves);
      if (fault.ok())
        object = profile_json(name, bytes.size(), curves, every_m);
      break;
    }
  }
  return fault;
}
