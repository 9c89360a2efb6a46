// The header step and the writing of the three binary files the simulator
// loads. Their byte layout, and the images written here, are in
// output/file_format.h.
#pragma once

#include "base/step_result.h"
#include "model/compile_context.h"
#include "model/stored_values.h"
#include "output/file_format.h"

// Checks that the header places are free and stores the header values and the
// race codes, in this order:
//   1. slot 85 num_a or cell 1 value1 taken -> header_check "1250";
//   2. slot 85 num_a = 610, cell 1 value1 = 5121;
//   3. slot 85 time_s or cell 1 value2 taken -> header_check "1251";
//   4. slot 85 time_s = codice_gara_st, then cell 1 value2 = codice_gara_og.
// On 1250 the model is left as the check found it; on 1251 the values of
// step 2 are already stored. A grid without a cell 1 (N = 0) has no place for
// the header values and fails the first check, with the model untouched.
step_result header_step(compile_context& ctx);

// Writes the line profile file (only when write_flag is not 0), then the line
// table file and the track file, each replaced as a whole. The line table
// image, the only one that can be refused, is built before the first file is
// touched, so a model with an over-long label leaves every file as it was.
// Stops at the first file fault; files written before it stay.
step_result write_binary_files(compile_context& ctx);
