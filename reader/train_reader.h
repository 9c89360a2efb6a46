// The train source, read after the line source: everything before
// "[generale]" is passed over, and every row it recognises is read wherever
// it stands (train_rows.h). The reader takes the text of the source and
// fills the model; it never touches a file.
#pragma once

#include <string_view>

#include "model/compile_context.h"
#include "reader/row_loop.h"

struct train_reading;

// Reads the whole text into the model; `t` keeps the cursor into `text`,
// which must outlive both calls, and the fills the completion runs on.
//
// On coded_error the code and its position are in the slot and the caller
// removes the train source (if that fails, the reading fails with the slot's
// position as it was before the code, `position_before_code`).
// complete_train_model runs the speed and adhesion tails and the check of the
// kilometre references, and may end in a reading failure.
read_end read_train_text(compile_context& ctx, std::string_view text,
                         train_reading& t);
read_end complete_train_model(compile_context& ctx, const train_reading& t);
