// A fixture for line-source tests: writes a small line source (and a train
// source without rows) into a temporary directory and runs the compile
// procedure on it, plus short summaries of what the grid holds.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "model/compile_context.h"
#include "platform/memory_disk.h"
#include "reader/memorizza_dati.h"
#include "test/run_fixture.h"

// The lines of a source, each ended by CR LF as the writers end them.
inline std::string source_text(const std::vector<std::string>& lines) {
  std::string text;
  for (const std::string& line : lines) text += line + "\r\n";
  return text;
}

// A line source with only a length row in its general section, then `rows`,
// then "[fine]". A length of 3000 m gives N = 200 and a plan to metre 10,000.
inline std::string line_source(std::int32_t length_m,
                               const std::vector<std::string>& rows) {
  std::vector<std::string> lines = {
      "[generale]", "lunghezza percorso,    " + std::to_string(length_m),
      "[righe]"};
  lines.insert(lines.end(), rows.begin(), rows.end());
  lines.push_back("[fine]");
  return source_text(lines);
}

// Marks "no position recorded" in tests of codes that set none.
inline constexpr std::int32_t untouched_position = -123456;

struct line_fixture {
  // The sources live in memory: the readers only see their text, and the
  // compile procedure reads and removes them through the platform.
  memory_disk disk;
  compile_context ctx = make_memory_context(disk);

  line_fixture() = default;
  line_fixture(const line_fixture&) = delete;  // ctx points at disk
  line_fixture& operator=(const line_fixture&) = delete;

  // Writes the line source and compiles it.
  void compile(const std::string& line_text, std::int32_t write_flag = 1) {
    write(line_source_name(ctx), line_text);
    compile_line_on_disk(write_flag);
  }

  // Runs the compile procedure, with a cleared line table and error slot, on
  // the line source already on disk and a train source without rows.
  void compile_line_on_disk(std::int32_t write_flag = 1) {
    write(train_source_name(ctx), "[generale]\r\n[fine]\r\n");
    ctx.write_flag = write_flag;
    ctx.error_code = 0;
    ctx.error_position = untouched_position;
    clear_line_table(ctx.table);
    memorizza_dati(ctx);
  }

  void write(const std::string& name, const std::string& text) {
    disk.files[name] = text;
  }
  bool contains(const std::string& name) const {
    return disk.files.count(name) != 0;
  }

  bool line_source_left() const { return contains(line_source_name(ctx)); }
  bool train_source_left() const { return contains(train_source_name(ctx)); }

  // A copy of cell i; a cell outside the grid reads as kind 255.
  track_cell cell(std::int64_t i) const {
    const track_cell* c = cell_at(ctx.grid, i);
    if (c != nullptr) return *c;
    track_cell missing;
    missing.kind = 255;
    return missing;
  }

  // One byte field of every cell as runs "value*count", in grid order:
  // "100*46 105*152 0*3".
  std::string runs(std::uint8_t track_cell::*field) const {
    std::string out;
    std::size_t i = 0;
    const std::vector<track_cell>& cells = ctx.grid.cells;
    while (i < cells.size()) {
      std::size_t j = i;
      while (j < cells.size() && cells[j].*field == cells[i].*field) ++j;
      if (!out.empty()) out += ' ';
      out += std::to_string(cells[i].*field) + "*" + std::to_string(j - i);
      i = j;
    }
    return out;
  }

  // The indexes of the cells of one kind.
  std::vector<std::int64_t> cells_of_kind(std::uint8_t kind) const {
    std::vector<std::int64_t> found;
    for (std::size_t i = 0; i < ctx.grid.cells.size(); ++i)
      if (ctx.grid.cells[i].kind == kind)
        found.push_back(static_cast<std::int64_t>(i));
    return found;
  }
};
