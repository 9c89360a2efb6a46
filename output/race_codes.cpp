#include "output/race_codes.h"

#include <array>
#include <cstddef>
#include <string>
#include <string_view>

namespace {

constexpr std::size_t counted_characters = 25;
constexpr std::string_view filler = "aabbccddeeffgghhiillmmnnoo";
static_assert(filler.size() > counted_characters,
              "the filler must complete even two empty names");

// Only the plain letters are lowered: the codes must not depend on the locale
// of the machine that compiles the scenario.
std::uint8_t lowered(char c) {
  auto byte = static_cast<std::uint8_t>(c);
  if (byte >= 'A' && byte <= 'Z')
    byte = static_cast<std::uint8_t>(byte - 'A' + 'a');
  return byte;
}

// The codes of the 25 characters the race codes are built from.
std::array<std::uint8_t, counted_characters> counted_codes(
    const compile_context& ctx) {
  std::string joined;
  if (const line_record* train = slot_at(ctx.table, slot_train_header))
    joined += train->label;
  if (const line_record* scenario = slot_at(ctx.table, slot_scenario_header))
    joined += scenario->label;

  std::array<std::uint8_t, counted_characters> codes{};
  for (std::size_t i = 0; i < counted_characters; ++i) {
    codes[i] = i < joined.size() ? lowered(joined[i])
                                 : lowered(filler[i - joined.size()]);
  }
  return codes;
}

}  // namespace

std::int32_t codice_gara_st(const compile_context& ctx) {
  std::int32_t sum = 0;
  std::int32_t weight = 1;
  for (std::uint8_t code : counted_codes(ctx)) {
    sum += weight * code;
    ++weight;
  }
  return sum;
}

std::int16_t codice_gara_og(const compile_context& ctx) {
  std::int32_t sum = 0;
  for (std::uint8_t code : counted_codes(ctx)) sum += code;
  // At most 25 x 255 = 6,375, well inside 16 bits.
  return static_cast<std::int16_t>(sum);
}
