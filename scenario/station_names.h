// The names of the service's 23 stations, in running order. They are chosen
// here and nowhere else, because two documents print them in two spellings:
// the train source writes a combined name as "FOO - BAR" and the end terminal
// with its mixed-case qualifier ("GELSIO Porta Nord"), while the train card,
// with its narrow name column, writes "FOO-BAR" and "GELSIO P.N.".
#pragma once

#include <array>
#include <cstddef>
#include <string_view>

inline constexpr std::size_t station_count = 23;

struct station_name {
  std::string_view source;  // as the train source's station row ends
  std::string_view card;    // as the train card's name cell starts
};

// Station 1 (the start terminal) comes first and station 23 (the end
// terminal) last, in the order of the train source's station rows.
std::array<station_name, station_count> station_names();
