// The compile context: everything one run knows. The run sequence owns one on
// its stack and hands it to every step; there are no globals.
#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "model/cell_geometry.h"
#include "model/curve_table.h"
#include "model/error_codes.h"
#include "model/file_names.h"
#include "model/line_table.h"
#include "model/track_grid.h"
#include "platform/platform.h"

// The readers' observer of a reading, for authors (reader/author_notes.h).
struct author_notes;

// Which part of the run recorded the code in the error slot. Only reports to
// the user look at it; the compiler itself never does.
enum class error_source : std::uint8_t {
  none,
  line_source,
  train_source,
  markers,  // signal-code marker placement
};

// Something an author would want to know about a source that compiles all the
// same: a field passed over, a number read as 0, a value replaced. Warnings are
// observations only; nothing in the compiler ever reads them.
struct author_warning {
  error_source where = error_source::none;
  std::int32_t line = 0;  // of the field, from 1
  std::int32_t column = 0;
  std::string text;
  // Data an author wrote is lost or cannot be stored as written (a row
  // swallowed by the row before, a source with no row read, a file that is
  // not single-byte text): the authors' tool counts it as an error. The
  // program itself never looks.
  bool is_error = false;
  // About the file as a whole (no row read, not text): shown without a line.
  bool whole_file = false;
};

// What a reader did with one field of a source, kept for an author who asks
// how a line is read (scenario_tool explain).
enum class field_role : std::uint8_t {
  unexamined,      // the reading ended before it
  before_general,  // stands before [generale], where nothing is read
  comment,         // passed over as a comment
  section,         // a section marker
  keyword,         // started a row
  data,            // a data field of the row being read
  passed_over,     // examined as a keyword, but no row has it
  empty,           // an empty field where a keyword may stand
  never_read,      // the last field of the file
};

struct traced_field {
  error_source source = error_source::none;
  std::int32_t line = 0;  // where the field begins, from 1
  std::int32_t column = 0;
  // One past its last character on its line, as the reader took it: a
  // number ends at a blank, a text before the blanks at its end, a quoted
  // text at its closing quote or its first line end.
  std::int32_t end_column = 0;
  std::string text;  // as written, without the quotes of a quoted text
  field_role role = field_role::unexamined;
  bool is_number = false;
  bool fits = true;        // a number that fits its field's width
  std::int64_t value = 0;  // the number as it went into the field
  int row = -1;            // keyword and data: the row (a row_id)
  int second_row = -1;     // keyword: a second row read from the same field
  int field = -1;          // data: the index of the field in its row
  std::string place;       // keyword: where the row went (cells, slot, plan)
};

// The fields of the sources in reading order, and where the reader stands.
struct field_trace {
  error_source source = error_source::none;
  std::vector<traced_field> fields;
  int current_row = -1;  // the row whose data fields come next; -1: none
  int next_field = 0;
  std::size_t row_entry = 0;  // the keyword field of the current row
};

// How the labels of a source are written. The program's sources are
// single-byte text; the authors' tool may be told that an author's editor
// saved them as UTF-8, and the readers then store each label's characters as
// single bytes.
enum class label_encoding : std::uint8_t { single_byte, utf8 };

// Where a row of a source begins: the line and column of its keyword.
struct row_origin {
  error_source where = error_source::none;
  std::int32_t line = 0;
  std::int32_t column = 0;
};

// A curve row as written: its start and length in metres, and its row.
struct curve_owner {
  std::int32_t start_m = 0;
  std::int32_t length_m = 0;
  row_origin origin;
};

// A code as it was recorded, with everything a report of it needs (see the
// error slot fields of compile_context).
struct found_error {
  std::int32_t code = 0;
  std::int32_t position = 0;
  error_source where = error_source::none;
  std::int32_t line = 0;
  std::int32_t column = 0;
  std::int32_t cell = -1;
  std::int32_t taken_cell = -1;
  std::string detail;
  std::string hint;
};

struct compile_context {
  // Run values, set at start-up.
  std::string scenario_name;
  std::string train_name;
  std::int32_t write_flag = 0;  // not 0: build the curve table, write profile

  // The error slot: 0 = no error, otherwise the last code recorded, with its
  // position in metres for the codes that have one.
  std::int32_t error_code = 0;
  std::int32_t error_position = 0;

  // The field the reader took as a token most recently.
  std::string current_token;

  track_grid grid;
  line_table table;
  curve_table curves;

  // The line table slot the next indicator-board text would take. The line
  // reader counts it down from 80; the station rows stop below it.
  std::int32_t board_slot = first_board_slot;

  platform_files files;

  // Where the last code arose (source line, or grid cell for marker codes) and,
  // for a reading failure, what failed. Reports only.
  error_source error_where = error_source::none;
  std::int32_t error_line = 0;
  std::int32_t error_column = 0;  // of the field the reader took last
  std::int32_t error_cell = -1;
  // For a code about a taken cell (6, 7, 16 to 21): the cell found taken.
  std::int32_t error_taken_cell = -1;
  std::string error_detail;
  // What the reader saw at the code in the slot, where the code's meaning
  // alone would mislead (a station listed before the one before it is also
  // "less than 350 m after" it). For authors: the authors' tool shows it, the
  // program does not. Every new code clears it.
  std::string error_hint;

  // The source line of the row each kilometre reference in slots 81, 82 and
  // 83 was read from (0: none), moved with it when the references are
  // ordered, so a fault found in them later can name its row.
  std::array<std::int32_t, 3> reference_lines{};

  // Warnings for authors, collected by the readers only when asked for: the
  // program itself never looks at them. The compile procedure clears them;
  // each source's warnings stand in line and column order.
  bool collect_warnings = false;
  std::vector<author_warning> warnings;
  label_encoding input_encoding = label_encoding::single_byte;

  // For authors, when warnings or a trace are asked for: the row that gave
  // each cell its kind, so that a report about a taken cell can name what
  // took it.
  std::map<std::int32_t, row_origin> cell_owners;
  // Likewise, for pictures of the scenario that lead back to its rows: the
  // row of each station slot (by slot number), and every curve row read, in
  // reading order, with the plan metres it names.
  std::map<std::int32_t, row_origin> slot_owners;
  std::vector<curve_owner> curve_owners;

  // For authors: go on past a faulty row instead of ending the reading, and
  // keep every code found, in the order found. The model then differs from
  // what the program builds, so nothing is ever written from it; the
  // program never sets it.
  bool keep_going = false;
  std::vector<found_error> found_errors;

  // When set, the readers record every field they read into it. Only the
  // authors' tool sets it; like the warnings, nothing the compiler writes
  // depends on it.
  field_trace* trace = nullptr;

  // While a source is read for authors (warnings or a trace asked for), the
  // observer the readers tell what they do; null otherwise, and always in
  // the program, which then pays nothing for it. The readers set it.
  author_notes* notes = nullptr;
};

// Records a code with its position.
inline void record_error(compile_context& ctx, std::int32_t code,
                         std::int32_t position) {
  ctx.error_code = code;
  ctx.error_position = position;
  ctx.error_hint.clear();
  ctx.error_taken_cell = -1;
}

// Records a code that has no position: the position stays as it was.
inline void record_error_code(compile_context& ctx, std::int32_t code) {
  ctx.error_code = code;
  ctx.error_hint.clear();
  ctx.error_taken_cell = -1;
}

// Records a code about cell `cell`, found taken by an earlier row.
inline void record_taken_cell(compile_context& ctx, std::int32_t code,
                              std::int64_t cell) {
  record_error_code(ctx, code);
  ctx.error_taken_cell = static_cast<std::int32_t>(cell);
}

// The error slot as it stands, for a list of every code found.
inline found_error slot_as_found(const compile_context& ctx) {
  return {ctx.error_code,       ctx.error_position, ctx.error_where,
          ctx.error_line,       ctx.error_column,   ctx.error_cell,
          ctx.error_taken_cell, ctx.error_detail,   ctx.error_hint};
}

// The names every file of a run is built from.
inline std::string line_source_name(const compile_context& ctx) {
  return line_source_file(ctx.scenario_name);
}
inline std::string train_source_name(const compile_context& ctx) {
  return train_source_file(ctx.scenario_name, ctx.train_name);
}
inline std::string notes_file_name(const compile_context& ctx) {
  return notes_file(ctx.scenario_name, ctx.train_name);
}
inline std::string slowdown_form_file_name(const compile_context& ctx) {
  return slowdown_form_file(ctx.scenario_name, ctx.train_name);
}
inline std::string train_card_file_name(const compile_context& ctx) {
  return train_card_file(ctx.scenario_name, ctx.train_name);
}
inline std::string line_profile_file_name(const compile_context& ctx) {
  return line_profile_file(ctx.scenario_name);
}
inline std::string line_table_file_name(const compile_context& ctx) {
  return line_table_file(ctx.scenario_name, ctx.train_name);
}
inline std::string track_file_name(const compile_context& ctx) {
  return track_file(ctx.scenario_name, ctx.train_name);
}
