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
//   scenario_tool check   [the options of compile] [--werror]
//       compiles in memory and writes no file at all; reports the errors and
//       warnings and their count. Exit status 1 on an error (or, with
//       --werror, a warning), 0 otherwise.
//   scenario_tool dump [--kind profile|table|track] [--json] FILE...
//       decodes the binary files into text or JSON; a damaged file is refused
//       with the offset where it goes wrong.
//   scenario_tool pack [--dir D] [--force] DUMP.json
//       writes the binary files again from what dump --json wrote, byte for
//       byte, so a file can be mended as JSON.
//   scenario_tool plot [--dir D] [--scenario NAME] [--train NAME] --out F.svg
//       draws the compiled scenario: the track plan and, along the line, the
//       gradient, speed limit, mountains and tunnels and every feature.
//
// Warnings tell what the readers do quietly with a source that still
// compiles, "FILE:LINE:COLUMN: warning: text"; compile prints them too.
//
// A fault in a source is reported on the error stream the way compilers do,
// "FILE:LINE: error CODE: meaning (at P m)", so editors can jump to the row.
// The exit status is the program's: 0 clean, 1 compiled with an error
// recorded, 2 stopped (bad arguments included).
#pragma once

#include <ostream>

// The whole tool: parses the arguments, runs the subcommand, reports on `out`
// and `err`, and returns the exit status. Touches no global stream, so tests
// run it in-process. `err_is_terminal` says that `err` goes to a terminal,
// where diagnostics are coloured (--color=auto).
int run_tool(int argc, char** argv, std::ostream& out, std::ostream& err,
             bool err_is_terminal = false);
