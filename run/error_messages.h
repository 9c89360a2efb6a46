// What each code of the error slot means, in one plain sentence, and the line
// that tells the user about the code a run ended with.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "model/compile_context.h"

// One sentence for every code the compiler can record, ours included; an
// unknown code gets a sentence that says so.
std::string_view error_meaning(std::int32_t code);

// True for the codes that come with a position in metres.
bool error_has_position(std::int32_t code);

// "error 6: <meaning> (at 6150 m)", from the error slot.
std::string describe_error_slot(const compile_context& ctx);
