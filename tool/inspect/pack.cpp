#include "tool/inspect/pack.h"

#include <algorithm>
#include <limits>
#include <set>
#include <sstream>
#include <type_traits>

#include "base/terminal_text.h"
#include "base/text.h"
#include "model/compile_context.h"
#include "model/curve_table.h"
#include "model/line_table.h"
#include "model/track_grid.h"
#include "output/file_format.h"
#include "platform/platform.h"
#include "tool/inspect/dump_schema.h"
#include "tool/inspect/model_views.h"
#include "tool/json/json_input.h"

namespace {

using json = nlohmann::ordered_json;

// A track file of more cells than this is no line: the longest line the
// sources allow has about 20,000. The bound keeps a mistyped count from
// asking for gigabytes.
constexpr std::int64_t most_cells = 16 * 1024 * 1024;

// One field of an object that must be an integer in [lo, hi]. `where` names
// the object, as `cells[3]`.
bool integer_field(const json& object, const char* key, std::int64_t lo,
                   std::int64_t hi, const std::string& where,
                   std::int64_t& value, std::string& fault) {
  const std::string field = where.empty() ? key : where + "." + key;
  const auto found = object.find(key);
  if (found == object.end()) {
    fault = field + " is missing";
    return false;
  }
  if (found->is_number_unsigned()) {
    const auto v = found->get<std::uint64_t>();
    if (v > static_cast<std::uint64_t>(hi)) {
      fault = field + ": " + found->dump() + " is outside " +
              std::to_string(lo) + " to " + std::to_string(hi);
      return false;
    }
    value = static_cast<std::int64_t>(v);
    return true;
  }
  if (!found->is_number_integer()) {
    fault = field + ": " + found->dump() + " is not a whole number";
    return false;
  }
  value = found->get<std::int64_t>();
  if (value < lo || value > hi) {
    fault = field + ": " + found->dump() + " is outside " + std::to_string(lo) +
            " to " + std::to_string(hi);
    return false;
  }
  return true;
}

// The same, stored in a field of type T.
template <typename T>
bool typed_field(const json& object, const char* key, const std::string& where,
                 T& out, std::string& fault) {
  std::int64_t v = 0;
  if (!integer_field(object, key, std::numeric_limits<T>::min(),
                     std::numeric_limits<T>::max(), where, v, fault))
    return false;
  out = static_cast<T>(v);
  return true;
}

bool array_field(const json& object, const char* key, const std::string& where,
                 const json*& out, std::string& fault) {
  const std::string field = where.empty() ? key : where + "." + key;
  const auto found = object.find(key);
  if (found == object.end() || !found->is_array()) {
    fault = field + (found == object.end() ? " is missing" : " is not a list");
    return false;
  }
  out = &*found;
  return true;
}

bool object_at(const json& list, std::size_t i, const std::string& where,
               std::string& fault) {
  if (list[i].is_object()) return true;
  fault = where + " is not an object";
  return false;
}

std::string item(const char* list, std::size_t i) {
  return std::string(list) + "[" + std::to_string(i) + "]";
}

// A run of one value over the cells [from, end).
struct cell_run {
  std::size_t from;
  std::size_t end;
  std::uint8_t value;
};

// Lays the runs of one field over the grid in their order, a later run over
// an earlier one where they overlap, as dump's runs never do but an edited
// list may. Runs are not laid one after the other: the stretches between
// the runs' ends are walked once, each filled as one block with the value
// of the last run over it, so the work follows the cells and the runs, not
// their product (ten thousand runs over a long grid would take minutes).
void lay_runs(const std::vector<cell_run>& runs,
              std::uint8_t track_cell::*member, track_grid& grid) {
  if (runs.empty()) return;
  // The runs by where they begin and by where they end.
  std::vector<std::size_t> by_from(runs.size());
  std::vector<std::size_t> by_end(runs.size());
  for (std::size_t i = 0; i < runs.size(); ++i) by_from[i] = by_end[i] = i;
  std::sort(by_from.begin(), by_from.end(), [&](std::size_t a, std::size_t b) {
    return runs[a].from < runs[b].from;
  });
  std::sort(by_end.begin(), by_end.end(), [&](std::size_t a, std::size_t b) {
    return runs[a].end < runs[b].end;
  });
  std::set<std::size_t> over;  // the runs over the stretch, by their order
  std::size_t next_from = 0;
  std::size_t next_end = 0;
  std::size_t at = runs[by_from[0]].from;
  while (next_end < runs.size()) {
    while (next_from < runs.size() && runs[by_from[next_from]].from == at)
      over.insert(by_from[next_from++]);
    while (next_end < runs.size() && runs[by_end[next_end]].end == at)
      over.erase(by_end[next_end++]);
    // The stretch reaches to the next place where a run begins or ends.
    std::size_t stretch_end =
        next_end < runs.size() ? runs[by_end[next_end]].end : grid.cells.size();
    if (next_from < runs.size())
      stretch_end = std::min(stretch_end, runs[by_from[next_from]].from);
    if (!over.empty()) {
      const std::uint8_t value = runs[*over.rbegin()].value;
      for (std::size_t k = at; k < stretch_end; ++k)
        grid.cells[k].*member = value;
    }
    at = stretch_end;
  }
}

bool pack_track(const json& object, std::vector<std::uint8_t>& bytes,
                std::string& fault) {
  std::int64_t count = 0;
  if (!integer_field(object, dump_key::cell_count, 1, most_cells, "", count,
                     fault))
    return false;
  track_grid grid;
  grid.cells.resize(static_cast<std::size_t>(count));
  std::vector<bool> given(grid.cells.size(), false);

  const json* cells = nullptr;
  if (!array_field(object, dump_key::cells, "", cells, fault)) return false;
  for (std::size_t i = 0; i < cells->size(); ++i) {
    const std::string where = item("cells", i);
    if (!object_at(*cells, i, where, fault)) return false;
    const json& c = (*cells)[i];
    std::int64_t index = 0;
    if (!integer_field(c, dump_key::cell, 0, count - 1, where, index, fault))
      return false;
    const auto at = static_cast<std::size_t>(index);
    if (given[at]) {
      fault = where + ": cell " + std::to_string(index) + " is given twice";
      return false;
    }
    given[at] = true;
    track_cell& cell = grid.cells[at];
    bool read = typed_field(c, dump_key::kind, where, cell.kind, fault);
    visit_cell_values(cell, [&](const char* name, auto& value) {
      read = read && typed_field(c, name, where, value, fault);
    });
    if (!read) return false;
  }

  const auto runs = object.find(dump_key::runs);
  if (runs == object.end() || !runs->is_object()) {
    fault = "runs is missing";
    return false;
  }
  for (const stretch_member& f : stretch_members) {
    const json* list = nullptr;
    if (!array_field(*runs, f.name, dump_key::runs, list, fault)) return false;
    std::vector<cell_run> laid;
    laid.reserve(list->size());
    for (std::size_t i = 0; i < list->size(); ++i) {
      const std::string where =
          std::string("runs.") + f.name + "[" + std::to_string(i) + "]";
      if (!object_at(*list, i, where, fault)) return false;
      std::int64_t from = 0;
      std::int64_t to = 0;
      std::uint8_t value = 0;
      if (!integer_field((*list)[i], dump_key::from_cell, 0, count - 1, where,
                         from, fault) ||
          !integer_field((*list)[i], dump_key::to_cell, from, count - 1, where,
                         to, fault) ||
          !typed_field((*list)[i], dump_key::value, where, value, fault))
        return false;
      laid.push_back({static_cast<std::size_t>(from),
                      static_cast<std::size_t>(to) + 1, value});
    }
    lay_runs(laid, f.member, grid);
  }
  bytes = track_bytes(grid);
  return true;
}

// A label as dump writes it: UTF-8 of characters up to U+00FF, each one byte
// of the label.
bool label_bytes(const json& slot, const std::string& where, std::string& label,
                 std::string& fault) {
  const auto found = slot.find(dump_key::label);
  if (found == slot.end() || !found->is_string()) {
    fault = where + ".label" +
            (found == slot.end() ? " is missing" : " is not a string");
    return false;
  }
  const single_byte_conversion converted =
      convert_to_single_bytes(found->get_ref<const std::string&>());
  // The first character that is no UTF-8 of one up to U+00FF, by its byte.
  std::size_t bad = converted.first_not_utf8;
  if (!converted.unheld.empty())
    bad = std::min(bad, converted.unheld.front().utf8_offset);
  if (bad != std::string_view::npos) {
    fault = where + ".label: character " + std::to_string(bad) +
            " is beyond U+00FF; a label holds one byte per character";
    return false;
  }
  label = converted.bytes;
  return true;
}

bool pack_table(const json& object, std::vector<std::uint8_t>& bytes,
                std::string& fault) {
  compile_context ctx;
  const json* slots = nullptr;
  if (!array_field(object, dump_key::slots, "", slots, fault)) return false;
  std::set<std::int64_t> given;
  for (std::size_t i = 0; i < slots->size(); ++i) {
    const std::string where = item("slots", i);
    if (!object_at(*slots, i, where, fault)) return false;
    const json& s = (*slots)[i];
    std::int64_t slot = 0;
    if (!integer_field(s, dump_key::slot, 0, line_table_slots - 1, where, slot,
                       fault))
      return false;
    if (!given.insert(slot).second) {
      fault = where + ": slot " + std::to_string(slot) + " is given twice";
      return false;
    }
    line_record& r = ctx.table.slots[static_cast<std::size_t>(slot)];
    bool read = true;
    visit_record_fields(r, [&](const char* name, auto& value) {
      if constexpr (std::is_same_v<std::decay_t<decltype(value)>, std::string>)
        read = read && label_bytes(s, where, value, fault);
      else
        read = read && typed_field(s, name, where, value, fault);
    });
    if (!read) return false;
  }
  const step_result written = line_table_bytes(ctx, bytes);
  if (!written.ok()) {
    fault = written.detail;
    return false;
  }
  return true;
}

// One coordinate of a plan point: null empty, an integer the 16-bit entry,
// any other number or "nan", "inf", "-inf" or "nan:BITS" a double.
bool coordinate(const json& point, const char* key, const std::string& where,
                curve_table& curves, std::int64_t m, int c,
                std::string& fault) {
  const std::string field = where + "." + key;
  const auto found = point.find(key);
  if (found == point.end()) {
    fault = field + " is missing";
    return false;
  }
  if (found->is_null()) return true;
  if (found->is_number_integer()) {
    std::int16_t v = 0;
    if (!typed_field(point, key, where, v, fault)) return false;
    return set_curve_int16(curves, m, c, v);
  }
  if (found->is_number_float())
    return set_curve_real(curves, m, c, found->get<double>());
  if (found->is_string()) {
    double v = 0;
    if (double_from_text(found->get_ref<const std::string&>(), v))
      return set_curve_real(curves, m, c, v);
  }
  fault = field + ": " + found->dump() +
          " is not null, a number, \"nan\", \"inf\" or \"-inf\"";
  return false;
}

bool pack_profile(const json& object, std::vector<std::uint8_t>& bytes,
                  std::string& fault) {
  std::int64_t last = 0;
  if (!integer_field(object, dump_key::last_metre, 0,
                     std::numeric_limits<std::int32_t>::max() - 1, "", last,
                     fault))
    return false;
  const json* points = nullptr;
  if (!array_field(object, dump_key::points, "", points, fault)) return false;
  if (points->size() != static_cast<std::size_t>(last) + 1) {
    fault = "points holds " + std::to_string(points->size()) +
            " points for metres 0 to " + std::to_string(last) +
            ": dump the profile with --every 1, so that every metre is in it";
    return false;
  }
  curve_table curves;
  allocate_curve_table(curves, static_cast<std::int32_t>(last));
  for (std::size_t i = 0; i < points->size(); ++i) {
    const std::string where = item("points", i);
    if (!object_at(*points, i, where, fault)) return false;
    const auto m = static_cast<std::int64_t>(i);
    std::int64_t given = 0;
    if (!integer_field((*points)[i], dump_key::metre, m, m, where, given,
                       fault) ||
        !coordinate((*points)[i], dump_key::x, where, curves, m, 0, fault) ||
        !coordinate((*points)[i], dump_key::y, where, curves, m, 1, fault))
      return false;
  }
  bytes = line_profile_bytes(curves);
  return true;
}

}  // namespace

bool pack_object(const json& object, std::vector<std::uint8_t>& bytes,
                 std::string& fault) {
  if (!object.is_object()) {
    fault = "not an object";
    return false;
  }
  const auto kind = object.find(dump_key::kind);
  binary_kind k = binary_kind::track;
  if (kind == object.end() || !kind->is_string() ||
      !kind_from_word(kind->get_ref<const std::string&>(), k)) {
    fault = "kind is not \"profile\", \"table\" or \"track\"";
    return false;
  }
  switch (k) {
    case binary_kind::track:
      return pack_track(object, bytes, fault);
    case binary_kind::table:
      return pack_table(object, bytes, fault);
    case binary_kind::profile:
      return pack_profile(object, bytes, fault);
  }
  return false;
}
