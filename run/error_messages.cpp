#include "run/error_messages.h"

#include <array>

namespace {

struct error_entry {
  std::int32_t code;
  bool has_position;
  std::string_view meaning;
};

// Codes 104 and up are this build's own refusals of rows that would reach
// outside a table; the others are the compiler's classic codes.
constexpr std::array<error_entry, 36> catalogue = {{
    {1, false, "the line length exceeds 1,000,000 m"},
    {2, false,
     "a kilometre reference has a start or end that is not a multiple of 50"},
    {3, false, "the signal-repetition start is not a multiple of 50"},
    {4, false, "the signal-repetition end is not a multiple of 50"},
    {5, false, "the signal-repetition row names neither 4 nor 9 codes"},
    {6, true, "an indicator board with text falls on a cell that is not free"},
    {7, true, "the cell of a code-marker row is not free"},
    {8, true, "a station position is not a multiple of 50"},
    {9, true, "a station length is not a multiple of 100"},
    {10, false,
     "too many stations: the next station slot reaches the texts of "
     "the indicator boards"},
    {11, true,
     "no free cell for a signal-code marker before a signal ahead of a "
     "slowdown warning board"},
    {12, true,
     "no free cell for a signal-code marker in a group before a slowdown "
     "start"},
    {13, true,
     "no free cell for a signal-code marker inside or after a slowdown"},
    {15, true, "a row's position lies beyond the end of the track grid"},
    {16, true, "a signal falls on a cell that is not free"},
    {17, true,
     "the warning board of a slowdown falls on a cell that is not "
     "free"},
    {18, true, "the start of a slowdown falls on a cell that is not free"},
    {19, true, "the end of a slowdown falls on a cell that is not free"},
    {20, true, "one of the four pre-warning cells of a slowdown is not free"},
    {21, true, "a speed indicator board falls on a cell that is not free"},
    {22, true,
     "a station begins less than 350 m after the end of the station before "
     "it"},
    {24, false, "a station's marker would lie in cell 1 or below"},
    {25, false,
     "a source could not be read (a field missing or not of its type, a value "
     "out of range, or a file fault)"},
    {101, false, "the line source does not exist"},
    {102, false, "the line source holds no [generale] section"},
    {103, false,
     "a curve row names no curve class from 1 to 6, or the plan passes metre "
     "1,000,000"},
    {104, true,
     "too many indicator boards with text: no line table slot is left for "
     "this board's text"},
    {105, true, "more than 80 mountain rows"},
    {106, true, "a mountain stretch reaches outside the track grid"},
    {107, true, "gradient rows fill beyond the end of the track grid"},
    {108, true, "a curve runs beyond the end of the track plan"},
    {110, true, "a signal lies before the line origin, outside the track grid"},
    {111, true, "a cell of a slowdown lies outside the track grid"},
    {112, true, "the cell of a code-marker row lies outside the track grid"},
    {113, true, "a station's cells lie beyond the end of the track grid"},
    {114, true,
     "a slowdown has no end cell of its own before the end of the track grid"},
}};

const error_entry* find_entry(std::int32_t code) {
  for (const error_entry& entry : catalogue)
    if (entry.code == code) return &entry;
  return nullptr;
}

}  // namespace

std::string_view error_meaning(std::int32_t code) {
  const error_entry* entry = find_entry(code);
  return entry != nullptr ? entry->meaning : "an unknown error code";
}

bool error_has_position(std::int32_t code) {
  const error_entry* entry = find_entry(code);
  return entry != nullptr && entry->has_position;
}

std::string describe_error_slot(const compile_context& ctx) {
  std::string text = "error " + std::to_string(ctx.error_code) + ": " +
                     std::string(error_meaning(ctx.error_code));
  if (error_has_position(ctx.error_code))
    text += " (at " + std::to_string(ctx.error_position) + " m)";
  return text;
}
