// What the line reader and the train reader share inside the compile
// procedure.
#pragma once

#include <string>

#include "model/compile_context.h"
#include "reader/field_reader.h"

// How the reading of one source ended.
enum class read_end {
  finished,         // end of file or code 15: the compile procedure goes on
  coded_error,      // a code of the reader's own: the procedure returns now
  reading_failure,  // code 25 has been recorded and both sources removed
};

// Reads the line source (which exists) into the model; the caller has set the
// labels of slots 85 and 86.
read_end read_line_source(compile_context& ctx);

// Reads the train source into the model, after the line source.
read_end read_train_source(compile_context& ctx);

// Removes a source file once it has been read, unless the run keeps its
// sources (the authors' tool never deletes what an author wrote). A file that
// cannot be removed is a reading failure: the caller then takes
// `reading_failure` with the detail.
step_result remove_source(compile_context& ctx, const std::string& name);

// The common failure path: removes both sources where they still exist and
// records code 25; `error_position` stays. `detail` says what failed.
read_end reading_failure(compile_context& ctx, const std::string& detail);

// Records the source line of the field the cursor read last as the origin of
// the code in the error slot.
inline void note_error_origin(compile_context& ctx, error_source where,
                              const source_cursor& cur) {
  ctx.error_where = where;
  ctx.error_line = cur.field_line;
}
