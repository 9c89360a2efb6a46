// What a feature of the language server answers: a request's result or its
// error, and the places of the protocol as JSON.
#pragma once

#include <cstdint>
#include <nlohmann/json.hpp>
#include <string>
#include <utility>

// A request's result, or its error (a JSON-RPC error code and message).
struct lsp_answer {
  nlohmann::json result;
  int error_code = 0;  // 0: the result stands
  std::string error;
};

// The protocol's code for a request that could not be served (a document
// the server cannot read).
inline constexpr int lsp_request_failed = -32803;

inline lsp_answer failed_answer(std::string why) {
  lsp_answer a;
  a.error_code = lsp_request_failed;
  a.error = std::move(why);
  return a;
}

inline nlohmann::json position_json(std::int32_t line, std::int32_t character) {
  return {{"line", line}, {"character", character}};
}
inline nlohmann::json range_json(std::int32_t line, std::int32_t from,
                                 std::int32_t end_line, std::int32_t to) {
  return {{"start", position_json(line, from)},
          {"end", position_json(end_line, to)}};
}
