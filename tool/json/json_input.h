// JSON from outside the tool (the language server's messages, the dump that
// pack reads) as the tool takes it: parsed only when its nesting is within
// max_json_depth.
//
// The parser builds a tree, and copying, printing or freeing a tree walks it
// recursively: a text of a few hundred kilobytes of brackets nests deep
// enough to overflow the stack. No message or dump the tool takes nests
// more than a handful of levels, so the depth is checked on the bytes, once,
// before the parser sees them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <nlohmann/json.hpp>
#include <string_view>

// The deepest nesting of arrays and objects taken. A dump nests five
// levels, a protocol message about ten.
inline constexpr std::size_t max_json_depth = 64;

enum class json_input : std::uint8_t { ok, not_json, too_deep };

// Parses `text` into `out` unless it nests deeper than max_json_depth
// (too_deep, without parsing) or is no JSON (not_json). Never throws.
json_input parse_json_input(std::string_view text, nlohmann::json& out);
json_input parse_json_input(std::string_view text, nlohmann::ordered_json& out);
