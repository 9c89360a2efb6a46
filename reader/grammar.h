// The grammar of the two sources, written down once: every row of the line
// source and the train source with its keywords, the section it belongs in
// and its fields in order, each with a name, a type, a unit, the range the
// reader checks and its meaning. The readers dispatch their keywords from
// here, the warnings for authors name rows and sections from here, and
// everything that explains the format to authors reads this table.
//
// The table describes what the readers do; it does not drive how they read
// each field, which stays in the row handlers, because the order of their
// checks decides which code a faulty row gets. A test reads a row of every
// kind with exactly its listed fields, and with one fewer, to hold the two
// together.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

enum class source_file : std::uint8_t { line, train };

// Every row of both sources, in the order the readers test their keywords:
// the line source's general rows, the line source's other rows, the train
// source's rows.
enum class row_id : std::uint8_t {
  line_length,
  reference_three,
  reference_two,
  reference_one,
  background_one,
  background_two,
  background_three,
  signal_repetition,
  gradient,
  curve,
  mountain,
  speed_board,
  text_board,
  braked_mass,
  carriages,
  speed_limit,
  adhesion,
  clock,
  sand,
  signal,
  slowdown,
  code_marker,
  station,
};
inline constexpr std::size_t row_count = 23;

// How a field is read: a number into a target of this width (a number that
// does not fit is a reading failure; an empty field or one without leading
// digits reads as 0), or a text that runs to the next comma or line end.
enum class field_type : std::uint8_t { i32, i16, u8, text };

struct field_rule {
  std::string_view name;
  field_type type;
  std::string_view unit;     // "m", "km/h", "per mille", ... or empty
  std::string_view range;    // what the reader accepts and checks
  std::string_view stored;   // where the value goes
  std::string_view meaning;  // one line in plain words
  std::string_view example;  // a value that reads cleanly
};

// A row's fields, in order; made from an array of them.
struct field_list {
  const field_rule* items = nullptr;
  std::size_t count = 0;

  template <std::size_t n>
  constexpr field_list(const field_rule (&array)[n])  // NOLINT: implicit
      : items(array), count(n) {}
  const field_rule* begin() const { return items; }
  const field_rule* end() const { return items + count; }
};

struct row_rule {
  row_id id;
  source_file source;
  const char* name;     // as messages call the row
  const char* written;  // the keyword field as the writers write it
  // The keyword field of an example row; the curve and signal-repetition
  // keywords carry a value of their own.
  const char* example;
  // The token starts the row when it holds both keywords (the second may be
  // empty), compared with exact letter case or with case ignored.
  const char* first;
  const char* second;
  bool exact_case;
  const char* section;  // where the writers put the row
  // A general row: read only in the general section, and a later row of the
  // same kind replaces what it stored.
  bool general;
  field_list fields;
  const char* meaning;
};

// Every row, in row_id order.
const row_rule* grammar_rows();
const row_rule& row_info(row_id row);

// The rows of one source, in the order its reader tests their keywords.
struct row_range {
  const row_rule* first;
  const row_rule* last;  // one past the end
  const row_rule* begin() const { return first; }
  const row_rule* end() const { return last; }
};
row_range source_rows(source_file source);

// The section both sources open with: nothing before it is read, and in the
// line source the rows in it size the grid. The writers end both sources
// with the end section.
inline constexpr char general_section[] = "[generale]";
inline constexpr char end_section[] = "[fine]";

// The section markers of each source, in the order the writers use them.
struct section_list {
  const char* const* names;
  std::size_t count;
};
section_list grammar_sections(source_file source);

// The codes a row of this kind can record while it is read: code 25 (a
// field missing or out of range) first, then the codes of the row's own
// checks. Code 2 is found after both sources are read, in the kilometre
// references, and the marker codes (11 to 13, 114) belong to no row.
struct code_list {
  const std::int32_t* items = nullptr;
  std::size_t count = 0;

  template <std::size_t n>
  constexpr code_list(const std::int32_t (&array)[n])  // NOLINT: implicit
      : items(array), count(n) {}
  const std::int32_t* begin() const { return items; }
  const std::int32_t* end() const { return items + count; }
};
code_list row_codes(row_id row);

// The keyword test of a row: both keywords occur in the token, with the row's
// letter-case rule, or with case ignored throughout when `any_case` is set.
bool row_matches(const row_rule& row, std::string_view token,
                 bool any_case = false);

// The first row of a source whose keywords the token holds, tested as
// row_matches tests them; null when there is none.
const row_rule* row_held(std::string_view token, source_file source,
                         bool any_case);

// The row of a source whose keywords a mistyped token comes closest to, when
// it comes close: at most one edit (a letter wrong, missing or doubled, case
// ignored) per keyword, two for keywords of seven letters or more. Null when
// no row comes that close.
const row_rule* nearest_row(std::string_view token, source_file source);
