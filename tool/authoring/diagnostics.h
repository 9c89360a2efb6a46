// What compile and check tell an author, as compilers tell it: every error
// and warning with its file, line and column, the source line with a caret
// under the field, notes that point at a second place (the row that took a
// cell first), in colour on a terminal, or as JSON for editors and CI.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "base/step_result.h"
#include "model/compile_context.h"

enum class severity : std::uint8_t { error, warning, note };

struct diagnostic {
  severity level = severity::error;
  std::string file;       // as the author should see it; empty: the tool itself
  std::int32_t line = 0;  // 0: the whole file, or no file
  std::int32_t column = 0;
  std::int32_t end_column = 0;  // one past the field's last character
  std::int32_t code = 0;        // the error code; 0: none
  std::string message;
  // The text of `line`, shown with a caret: a span of the source's text,
  // which all the diagnostics of a compile share, so that many of them on
  // one long line cost no copy of it each.
  std::shared_ptr<const std::string> source_text;
  std::size_t line_begin = 0;
  std::size_t line_length = 0;
  bool werror = false;  // a warning shown as an error by --werror
  std::vector<diagnostic> notes;

  std::string_view source_line() const {
    if (source_text == nullptr) return {};
    return std::string_view(*source_text).substr(line_begin, line_length);
  }
};

// The two sources as the author sees them, with their text where they could
// be read (for the source lines under a diagnostic).
struct shown_sources {
  std::string line_file;
  std::string train_file;
  std::string track_file;  // where marker codes point without a row
  std::string line_text;
  std::string train_text;
};

struct diagnostic_options {
  bool werror = false;
  int max_errors = 20;  // coded errors shown; 0: no limit
};

// Everything a compile has to say: first the code the program records, then
// the stop when it adds to it, then every further code that `pass` (a compile
// of the same sources that went on past each faulty row) found, in file order
// and without the ones that only follow from another, then the warnings of
// ctx. `pass` may be null: only the program's code is shown.
std::vector<diagnostic> compile_diagnostics(const compile_context& ctx,
                                            const step_result& r,
                                            const compile_context* pass,
                                            const shown_sources& sources,
                                            const diagnostic_options& options);

// "error", "warning" or "note".
const char* severity_word(severity level);

// A compile stopped for want of a track grid because of the code it
// recorded (the line source too long, missing, without its general section
// or its length row, or unreadable): the code's own line says why, so the
// stop is neither shown nor counted again.
bool stop_follows_from_code(const compile_context& ctx, const step_result& r);

// How many of the diagnostics are errors, and warnings (notes are neither).
struct diagnostic_counts {
  int errors = 0;
  int warnings = 0;
};
diagnostic_counts count_diagnostics(const std::vector<diagnostic>& list);

// The most columns of a source line shown under a diagnostic. A longer line
// is shown as the stretch of this many columns around the field, with
// "..." where it goes on, so that what is printed of a diagnostic is
// bounded however long its line.
inline constexpr std::size_t max_quoted_columns = 100;

// "FILE:LINE:COL: error CODE: message", the source line and the caret, and
// the notes the same way; with `colour`, in the colours of a terminal.
void print_diagnostics(const std::vector<diagnostic>& list, bool colour,
                       std::ostream& out);

// One JSON array, an object per diagnostic: file, line, column, end_column,
// severity, code, message and notes (objects of the same shape).
std::string diagnostics_json(const std::vector<diagnostic>& list);

// Where the field that begins at `column` of `line_text` ends, by the
// field reader's rules (field_end_by_rules): a number at a blank, a text at
// the next comma or the line end; at least one character.
std::int32_t field_end_column(std::string_view line_text, std::int32_t column);

// The closing line of a check: "N error(s), M warning(s)".
std::string count_line(int errors, int warnings);

// "no file written: N error(s)", the last line of a compile that wrote
// nothing because of its errors.
std::string nothing_written_line(int errors);
