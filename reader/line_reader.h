// The line source: its general section sizes the track grid and the plan, and
// the rows after it (line_rows.h) fill both. The reader takes the text of the
// source and fills the model; it never touches a file.
#pragma once

#include <string_view>

#include "model/compile_context.h"
#include "reader/row_loop.h"

struct line_reading;

// Reads the whole text into the model. `r` keeps what the completion after
// the reading needs (the fill positions, the plan walk), and the cursor into
// `text`, which must outlive both calls.
//
// Returns finished at the end of the text or after code 15; the caller then
// removes the line source and, if that worked, completes the gradient and
// plan tails with complete_line_model. On coded_error the code is in the slot
// and the caller removes the line source; on reading_failure code 25 is
// recorded and the caller removes both sources.
read_end read_line_text(compile_context& ctx, std::string_view text,
                        line_reading& r);
void complete_line_model(compile_context& ctx, line_reading& r);
