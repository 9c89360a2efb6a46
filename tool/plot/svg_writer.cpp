#include "tool/plot/svg_writer.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <system_error>

#include "model/stored_values.h"
#include "tool/inspect/model_views.h"

std::string num(double v) {
  if (!std::isfinite(v) || std::fabs(v) > 1e9) v = 0;
  char buffer[32];
  const auto r = std::to_chars(buffer, buffer + sizeof buffer, v,
                               std::chars_format::fixed, 1);
  if (r.ec != std::errc()) return "0";
  std::string text(buffer, r.ptr);
  if (text.size() > 2 && text.compare(text.size() - 2, 2, ".0") == 0)
    text.resize(text.size() - 2);
  if (text == "-0") text = "0";
  return text;
}

// XML wants no control characters at all, not even as references.
std::string xml_text(std::string_view label) {
  std::string text;
  for (char ch : label_utf8(label)) {
    switch (ch) {
      case '&':
        text += "&amp;";
        break;
      case '<':
        text += "&lt;";
        break;
      case '>':
        text += "&gt;";
        break;
      case '"':
        text += "&quot;";
        break;
      case '\'':
        text += "&apos;";
        break;
      default:
        text += static_cast<unsigned char>(ch) < 0x20 ? '?' : ch;
    }
  }
  return text;
}

std::string km_text(double m) {
  char buffer[32];
  const auto r = std::to_chars(buffer, buffer + sizeof buffer, m / 1000.0,
                               std::chars_format::fixed, 2);
  return r.ec == std::errc() ? std::string(buffer, r.ptr) + " km" : "? km";
}

std::string hms(std::int32_t seconds) {
  if (seconds < 0) return "-";
  const auto two = [](std::int64_t v) {
    return (v < 10 ? "0" : "") + std::to_string(v);
  };
  const time_parts t = decode_time_of_day(seconds);
  return two(t.hours) + ":" + two(t.minutes) + ":" + two(t.seconds);
}

void line(std::string& s, double x1, double y1, double x2, double y2,
          const char* stroke, double width, const char* extra) {
  s += "<line x1=\"" + num(x1) + "\" y1=\"" + num(y1) + "\" x2=\"" + num(x2) +
       "\" y2=\"" + num(y2) + "\" stroke=\"" + stroke + "\" stroke-width=\"" +
       num(width) + "\"" + extra + "/>\n";
}

void rect(std::string& s, double x, double y, double w, double h,
          const char* fill, const std::string& title,
          const std::string& extra) {
  s += "<rect x=\"" + num(x) + "\" y=\"" + num(y) + "\" width=\"" +
       num(std::max(w, 0.0)) + "\" height=\"" + num(std::max(h, 0.0)) +
       "\" fill=\"" + fill + "\"" + extra;
  if (title.empty()) {
    s += "/>\n";
  } else {
    s += "><title>" + title + "</title></rect>\n";
  }
}

void text(std::string& s, double x, double y, const std::string& content,
          double size, const char* anchor, const char* fill,
          const std::string& extra) {
  s += "<text x=\"" + num(x) + "\" y=\"" + num(y) + "\" font-size=\"" +
       num(size) + "\" text-anchor=\"" + anchor + "\" fill=\"" + fill + "\"" +
       extra + ">" + content + "</text>\n";
}

void open_group(std::string& s, const char* id) {
  s += "<g id=\"" + std::string(id) + "\">\n";
}

void close_group(std::string& s) { s += "</g>\n"; }

void path_to(std::string& d, double x, double y) {
  d += (d.empty() ? "M" : " L") + num(x) + " " + num(y);
}
