// The JSON of `scenario_tool dump --json`, which `pack` reads back: the
// names of its members, and the raw fields of cells, runs and slots in the
// order dump writes them. Both sides take them from here, so a field dump
// writes is a field pack reads.
//
// A file is one object: "file", "kind" ("track", "table" or "profile") and
// "bytes", then
// - a track file: "cell_count", "cells" (the cells that hold anything, each
//   with "cell", "kind" and the cell values below; dump adds views such as
//   "kind_name", "signal" or "values") and "runs" (one list per stretch
//   field, each run with "from_cell", "to_cell" and "value");
// - a line table: "slots", each with "slot" and the record fields below
//   (dump adds "role" and a time or clock);
// - a line profile: "last_metre" and "points", each with "m", "x" and "y"
//   (dump adds "tags" and "last_computed_metre").
#pragma once

#include <cstdint>
#include <string>

#include "model/line_table.h"
#include "model/track_grid.h"
#include "tool/inspect/model_views.h"

namespace dump_key {
inline constexpr const char* file = "file";
inline constexpr const char* kind = "kind";
inline constexpr const char* bytes = "bytes";
inline constexpr const char* cell_count = "cell_count";
inline constexpr const char* cells = "cells";
inline constexpr const char* cell = "cell";
inline constexpr const char* runs = "runs";
inline constexpr const char* from_cell = "from_cell";
inline constexpr const char* to_cell = "to_cell";
inline constexpr const char* value = "value";
inline constexpr const char* slots = "slots";
inline constexpr const char* slot = "slot";
inline constexpr const char* label = "label";
inline constexpr const char* last_metre = "last_metre";
inline constexpr const char* points = "points";
inline constexpr const char* metre = "m";
inline constexpr const char* x = "x";
inline constexpr const char* y = "y";
}  // namespace dump_key

// The values of a track cell after its kind, as `visit(name, field)`.
template <typename Cell, typename Visit>
void visit_cell_values(Cell& c, Visit&& visit) {
  visit("value1", c.value1);
  visit("value2", c.value2);
  visit("value3", c.value3);
  visit("value4", c.value4);
  visit("timer", c.timer);
  visit("approach", c.approach);
}

// The fields of a line table record, as `visit(name, field)`; the label is
// the one field of text.
template <typename Record, typename Visit>
void visit_record_fields(Record& r, Visit&& visit) {
  visit("kind", r.kind);
  visit("from_m", r.from_m);
  visit("to_m", r.to_m);
  visit("at_m", r.at_m);
  visit("opt_a", r.opt_a);
  visit(dump_key::label, r.label);
  visit("num_a", r.num_a);
  visit("num_b", r.num_b);
  visit("num_c", r.num_c);
  visit("num_d", r.num_d);
  visit("num_e", r.num_e);
  visit("opt_b", r.opt_b);
  visit("opt_c", r.opt_c);
  visit("opt_d", r.opt_d);
  visit("opt_e", r.opt_e);
  visit("time_s", r.time_s);
}

// The stretch fields of a track file, each a list of runs under "runs".
struct stretch_member {
  const char* name;
  stretch_field field;
  std::uint8_t track_cell::*member;
};
inline constexpr stretch_member stretch_members[] = {
    {"gradient", stretch_field::gradient, &track_cell::gradient},
    {"speed_limit", stretch_field::speed_limit, &track_cell::speed_limit},
    {"adhesion", stretch_field::adhesion, &track_cell::adhesion},
    {"mountain", stretch_field::mountain, &track_cell::mountain},
};
