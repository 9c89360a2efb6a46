// scenario_tool explain: how a row of the format is written, or how one line
// of a source is read.
//
//   scenario_tool explain KEYWORD [--train NAME]
//       the row (or rows) whose keyword KEYWORD holds, as the format
//       reference gives them: keyword rule, section, example, fields, codes
//       and warnings.
//   scenario_tool explain FILE:LINE [--train NAME]
//       reads FILE's scenario in memory, as check does, and shows each field
//       that begins on LINE: a comment, a section marker, the keyword of a
//       row (and where the row went: cells, slot, plan metres), a data field
//       with its name, the value read and where it is stored, or a field
//       passed over; then the warnings and the error of that line. FILE is a
//       line source NAME_linea.txt (its train source, NAME_TRAIN-.txt, is
//       read too, with the train of --train, default the embedded one) or a
//       train source, whose line source must stand beside it.
//
// Writes no file. Status 0, or 2 for a keyword no row has, a file that is no
// source or cannot be read, or a line the file does not have.
#pragma once

#include <CLI/CLI.hpp>
#include <ostream>
#include <string>

#include "model/compile_context.h"

struct explain_options {
  std::string what;   // KEYWORD or FILE:LINE
  std::string train;  // empty: the embedded train name
};

// Adds the `explain` command to the tool's parser; `o` receives its
// arguments.
CLI::App* add_explain_command(CLI::App& app, explain_options& o);

int run_explain(const explain_options& o, std::ostream& out, std::ostream& err);
