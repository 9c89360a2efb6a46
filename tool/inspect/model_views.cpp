#include "tool/inspect/model_views.h"

#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <sstream>
#include <vector>

#include "base/text.h"
#include "model/file_names.h"
#include "model/stored_values.h"

namespace {

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

}  // namespace

bool kind_from_name(std::string_view name, binary_kind& kind) {
  if (ends_with(name, line_profile_suffix)) {
    kind = binary_kind::profile;
  } else if (ends_with(name, line_table_suffix)) {
    kind = binary_kind::table;
  } else if (ends_with(name, track_file_suffix)) {
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

bool holds_anything(const track_cell& c) {
  return c.kind != 0 || c.value1 != 0 || c.value2 != 0 || c.value3 != 0 ||
         c.value4 != 0 || c.timer != 0 || c.approach != 0;
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

std::string label_utf8(std::string_view label) { return latin1_to_utf8(label); }

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

std::string double_text(double v) {
  if (std::isfinite(v)) return "";
  std::uint64_t bits = 0;
  std::memcpy(&bits, &v, sizeof bits);
  if (std::isinf(v)) return v > 0 ? "inf" : "-inf";
  constexpr std::uint64_t quiet_nan = 0x7FF8000000000000ULL;
  if (bits == quiet_nan) return "nan";
  std::ostringstream text;
  text << "nan:" << std::hex << bits;
  return text.str();
}

bool double_from_text(const std::string& text, double& v) {
  if (text == "inf" || text == "-inf") {
    v = text[0] == '-' ? -std::numeric_limits<double>::infinity()
                       : std::numeric_limits<double>::infinity();
    return true;
  }
  if (text == "nan") {
    v = std::numeric_limits<double>::quiet_NaN();
    return true;
  }
  if (text.rfind("nan:", 0) != 0 || text.size() < 5 || text.size() > 20 ||
      text.find_first_not_of("0123456789abcdef", 4) != std::string::npos)
    return false;
  const std::uint64_t bits = std::stoull(text.substr(4), nullptr, 16);
  std::memcpy(&v, &bits, sizeof v);
  return std::isnan(v);
}
