// The SVG text of a picture: numbers and labels as attributes and text want
// them, and one appender per element the picture uses. Every appender adds
// one whole element (or the start or end of a group) and its newline to `s`.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// A number for an attribute: one decimal, without a trailing ".0", never in
// the locale's format (SVG wants a point). A value that is not finite or
// beyond 1e9 is written as 0.
std::string num(double v);

// A label of the sources' code page as XML text: UTF-8, with its five
// special characters escaped and control characters replaced by '?'.
std::string xml_text(std::string_view label);

// A position in kilometres with two decimals: "12.35 km".
std::string km_text(double m);

// A time of day as hh:mm:ss; "-" for a negative time.
std::string hms(std::int32_t seconds);

// A white outline drawn under a label's letters, so a label that crosses a
// line stays readable; given as `extra` attributes of a text.
inline constexpr const char* halo =
    " stroke=\"#ffffff\" stroke-width=\"3\" stroke-linejoin=\"round\" "
    "paint-order=\"stroke\"";

// The colour of text unless a caller names another.
inline constexpr const char* ink = "#222222";

// `extra` adds attributes, each with its leading space.
void line(std::string& s, double x1, double y1, double x2, double y2,
          const char* stroke, double width, const char* extra = "");

// A negative width or height is drawn as 0. A non-empty `title` (XML text)
// becomes the rectangle's tooltip.
void rect(std::string& s, double x, double y, double w, double h,
          const char* fill, const std::string& title = "",
          const std::string& extra = "");

// `content` is XML text; `anchor` is start, middle or end.
void text(std::string& s, double x, double y, const std::string& content,
          double size, const char* anchor = "start", const char* fill = ink,
          const std::string& extra = "");

void open_group(std::string& s, const char* id);
void close_group(std::string& s);

// Adds point (x, y) to the path data `d`: a move to it when `d` is empty,
// else a line to it.
void path_to(std::string& d, double x, double y);
