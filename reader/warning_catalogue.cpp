#include "reader/warning_catalogue.h"

std::vector<row_warning_text> row_warnings(row_id row) {
  std::vector<row_warning_text> out;
  if (row_info(row).general)
    out.push_back({row_warning::given_twice,
                   "a second row of this kind replaces the value of the "
                   "first"});
  constexpr const char* behind =
      "a row whose position does not lie beyond the one before fills one "
      "cell at most with the value before, and its own value begins later "
      "than written";
  constexpr const char* utf8 =
      "a text holding UTF-8 is stored byte for byte (with --input-encoding "
      "utf-8 each character is stored as its single byte, and one past "
      "U+00FF is an error)";
  switch (row) {
    case row_id::reference_three:
    case row_id::reference_two:
    case row_id::reference_one:
      out.push_back({row_warning::references_cleared,
                     "all three references are cleared to 0 when two share "
                     "the greatest first number, or when the first numbers "
                     "add up to 0 and no second number is above 0"});
      break;
    case row_id::gradient:
      out.push_back({row_warning::behind_row_before, behind});
      out.push_back({row_warning::value_bent,
                     "a gradient outside -100 to 155 does not fit its byte "
                     "and wraps"});
      break;
    case row_id::curve:
      out.push_back({row_warning::curve_behind,
                     "a curve that starts behind the metre the plan has "
                     "reached turns only its metres beyond it, or none"});
      out.push_back({row_warning::curves_unread,
                     "with --no-profile curve rows are passed over; said "
                     "once, at the first"});
      break;
    case row_id::mountain:
      out.push_back({row_warning::mountain_overlap,
                     "a stretch that begins before the one before it ends "
                     "gets type 3 and is laid over their shared cells"});
      out.push_back({row_warning::mountain_empty,
                     "a stretch that covers no cell (its end not beyond its "
                     "start) lays nothing"});
      break;
    case row_id::text_board:
      out.push_back({row_warning::utf8_label, utf8});
      break;
    case row_id::speed_limit:
      out.push_back({row_warning::behind_row_before, behind});
      out.push_back({row_warning::value_bent,
                     "a speed that is not a multiple of 5 km/h is stored to "
                     "the nearest step of 5 km/h"});
      break;
    case row_id::adhesion:
      out.push_back({row_warning::behind_row_before, behind});
      out.push_back({row_warning::value_bent,
                     "an adhesion outside 0 to 255 does not fit its byte and "
                     "wraps"});
      break;
    case row_id::signal:
      out.push_back({row_warning::value_bent,
                     "a time from 1 to 100 is raised to 101, one outside 0 "
                     "to 255 wraps, and one on a signal whose sx is not 2 "
                     "is not stored"});
      break;
    case row_id::slowdown:
      out.push_back({row_warning::no_warning_board,
                     "a slowdown within the first 1500 m gets no warning "
                     "board, so the pre-warning cells it asks for are not "
                     "laid either"});
      break;
    case row_id::station:
      out.push_back({row_warning::platform_backwards,
                     "a length below 0 stores the platform backwards"});
      out.push_back({row_warning::utf8_label, utf8});
      break;
    default:
      break;
  }
  return out;
}
