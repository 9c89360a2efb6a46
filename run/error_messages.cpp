#include "run/error_messages.h"

#include "model/error_codes.h"

std::string_view error_meaning(std::int32_t code) {
  const error_code_info* entry = find_error_code(code);
  return entry != nullptr ? entry->meaning : "an unknown error code";
}

bool error_has_position(std::int32_t code) {
  const error_code_info* entry = find_error_code(code);
  return entry != nullptr && !entry->position.empty();
}

std::string describe_error_slot(const compile_context& ctx) {
  std::string text = "error " + std::to_string(ctx.error_code) + ": " +
                     std::string(error_meaning(ctx.error_code));
  if (error_has_position(ctx.error_code))
    text += " (at " + std::to_string(ctx.error_position) + " m)";
  return text;
}
