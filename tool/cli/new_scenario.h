// Sources an author starts from, with comments that say what each row is.
//
//   scenario_tool new --scenario NAME --train NAME [--dir D] [--force]
//       writes D/NAME_linea.txt and D/NAME_TRAIN-.txt: a 3 km line with a
//       gradient, and a train with its general data, adhesion, a speed
//       limit, a station at each end and one signal. They compile with no
//       error and no warning. Existing files are never replaced unless
//       --force is given.
//
// The comments are made from the grammar table: before the first row of a
// run of rows of one kind, a field "-- NAME: FIELD / FIELD / ...", which
// holds a '-' and no comma, the form the readers pass over. `export
// --annotated` puts the same comments into the embedded scenario's sources,
// which then compile to the same bytes as without them.
#pragma once

#include <CLI/CLI.hpp>
#include <ostream>
#include <string>
#include <vector>

#include "base/step_result.h"
#include "model/compile_context.h"
#include "reader/grammar.h"

struct new_options {
  std::string dir;  // empty: the current directory
  std::string scenario;
  std::string train;
  bool force = false;
};

// The comment that names a row and its fields.
std::string row_comment(const row_rule& row);

// The lines of a source with a row comment before the first row of each run
// of rows of one kind.
std::vector<std::string> with_row_comments(
    const std::vector<std::string>& lines, source_file source);

// The two sources `new` writes, without their comments.
std::vector<std::string> new_line_rows();
std::vector<std::string> new_train_rows();

// The embedded scenario's sources with row comments, for export --annotated.
step_result dati_linea_annotated(compile_context& ctx);
step_result dati_treno_annotated(compile_context& ctx);

CLI::App* add_new_command(CLI::App& app, new_options& o);
int run_new(const new_options& o, std::ostream& err);
