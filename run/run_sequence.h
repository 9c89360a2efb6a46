// The fixed job of the program: write the embedded scenario out, compile its
// two sources back into the track model and write the three binary files.
#pragma once

#include <cstdint>

#include "base/step_result.h"
#include "model/compile_context.h"

inline constexpr const char* embedded_scenario_name = "Cendra_Gelsio2";
inline constexpr const char* embedded_train_name = "EC 482";

// The compile step with write_flag j: clears the error slot and the line
// table, reads both sources, places the markers, runs the header step and
// writes the binary files. Stops with no_grid when the line source never sized
// the grid, with header_check on a taken header place, and at a file fault.
step_result memorizza_percorso(compile_context& ctx, std::int32_t j);

// The whole run in the directory of ctx.files. Shows the wait window, reports
// to the user what stopped the run or what the error slot holds, and returns
// what stopped it (ok when it ran to the end).
step_result run_program(compile_context& ctx);

// Tells the user what stopped the run, or which code the error slot holds
// after a run that wrote its files: the message box of a header check
// (" Errore n. 1250"), otherwise one line naming the code, its meaning and its
// position, or the file fault. A clean run shows nothing.
void report_outcome(compile_context& ctx, const step_result& result);

// The process exit status: 0 for a clean run, 1 when the run wrote its files
// but the error slot holds a code, 2 when the run stopped early.
int exit_status(const compile_context& ctx, const step_result& result);
