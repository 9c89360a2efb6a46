#include "tool/json/json_input.h"

namespace {

// Whether the arrays and objects of a text nest deeper than max_json_depth.
// Brackets inside strings are text; for a text that is JSON the count is
// the parser's depth, and any other text the parser refuses anyway.
bool nests_too_deep(std::string_view text) {
  std::size_t depth = 0;
  bool in_string = false;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (in_string) {
      if (c == '\\')
        ++i;  // the escaped character, a quote or a backslash among them
      else if (c == '"')
        in_string = false;
      continue;
    }
    switch (c) {
      case '"':
        in_string = true;
        break;
      case '[':
      case '{':
        if (++depth > max_json_depth) return true;
        break;
      case ']':
      case '}':
        if (depth > 0) --depth;
        break;
      default:
        break;
    }
  }
  return false;
}

template <typename json>
json_input parse_bounded(std::string_view text, json& out) {
  if (nests_too_deep(text)) return json_input::too_deep;
  out = json::parse(text, nullptr, false);
  return out.is_discarded() ? json_input::not_json : json_input::ok;
}

}  // namespace

json_input parse_json_input(std::string_view text, nlohmann::json& out) {
  return parse_bounded(text, out);
}

json_input parse_json_input(std::string_view text,
                            nlohmann::ordered_json& out) {
  return parse_bounded(text, out);
}
