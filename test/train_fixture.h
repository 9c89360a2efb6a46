// A context ready for the train reader without reading a line source: the
// grid is sized directly, the header labels are set as the compile procedure
// sets them, and the line fields the train rows fill are marked so that every
// write shows.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>

#include "model/compile_context.h"
#include "platform/memory_disk.h"
#include "reader/source_files.h"
#include "test/run_fixture.h"

// What the speed limit and adhesion of every cell hold before the reading.
inline constexpr std::uint8_t untouched_byte = 0xEE;

struct train_fixture {
  // The sources live in memory: the readers only see their text, and the
  // compile procedure reads and removes them through the platform.
  memory_disk disk;
  compile_context ctx;

  explicit train_fixture(std::int32_t last_index = 2300)
      : ctx(make_memory_context(disk)) {
    clear_line_table(ctx.table);
    ctx.table.slots[slot_scenario_header].label = ctx.scenario_name;
    ctx.table.slots[slot_train_header].label = ctx.train_name;
    allocate_grid(ctx.grid, last_index);
    for (track_cell& cell : ctx.grid.cells) {
      cell.speed_limit = untouched_byte;
      cell.adhesion = untouched_byte;
    }
  }

  train_fixture(const train_fixture&) = delete;  // ctx points at disk
  train_fixture& operator=(const train_fixture&) = delete;

  // Writes `text` as the train source and reads it.
  read_end read(const std::string& text) {
    write(train_source_name(ctx), text);
    return read_train_source(ctx);
  }

  void write(const std::string& name, const std::string& text) {
    disk.files[name] = text;
  }
  bool contains(const std::string& name) const {
    return disk.files.count(name) != 0;
  }

  bool source_left() const { return contains(train_source_name(ctx)); }

  track_cell& cell(std::int64_t i) { return *cell_at(ctx.grid, i); }
  line_record& slot(std::int64_t n) { return *slot_at(ctx.table, n); }
};

// A train source holding the rows after "[generale]", ended by "[fine]".
inline std::string train_source(std::initializer_list<std::string> rows) {
  std::string text = "[generale]\r\n";
  for (const std::string& row : rows) text += row + "\r\n";
  return text + "[fine]\r\n";
}
