// The compile procedure's two readings with their files: each reads its
// source whole, hands the text to its reader and removes the source as the
// reading ended, unless the run keeps its sources (the authors' tool never
// deletes what an author wrote). The readers themselves only ever see text.
#pragma once

#include "model/compile_context.h"
#include "reader/row_loop.h"

// read_line_source expects the line source to exist; the caller has set the
// labels of slots 85 and 86. read_train_source runs after it. A source that
// cannot be read or removed is a reading failure (code 25), and both sources
// are then removed where they still exist.
read_end read_line_source(compile_context& ctx);
read_end read_train_source(compile_context& ctx);
