// scenario_tool: the command line for people who write scenarios.
//
//   scenario_tool export  [--dir D] [--force]
//       writes the embedded scenario's two sources and three documents into D,
//       so an author starts from a scenario that compiles.
//   scenario_tool compile [--dir D] [--scenario NAME] [--train NAME]
//                         [--no-profile] [--summary]
//       compiles D/NAME_linea.txt and D/NAME_TRAIN-.txt into the three binary
//       files in D with the program's own compile step, but never deletes the
//       sources: they are the author's work.
//
// A fault in a source is reported on the error stream the way compilers do,
// "FILE:LINE: error CODE: meaning (at P m)", so editors can jump to the row.
// The exit status is the program's: 0 clean, 1 compiled with an error
// recorded, 2 stopped (bad arguments included).
#pragma once

#include <ostream>

// The whole tool: parses the arguments, runs the subcommand, reports on `out`
// and `err`, and returns the exit status. Touches no global stream, so tests
// run it in-process.
int run_tool(int argc, char** argv, std::ostream& out, std::ostream& err);
