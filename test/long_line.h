// A long line with dense content, as source text: a curve every 500 m, a
// gradient row every 200 m, a signal every 1,000 m, 80 mountain rows (every
// fourth a tunnel), a speed indicator board every 10 km, five indicator
// boards with text, ten slowdowns, and as many stations as the line table
// leaves room for. The scale test compiles it at the longest length the
// compiler accepts (1,000,000 m); the benchmarks at several lengths.
//
// Every row is kept as data, so a test can work out what the compiled model
// must hold without the compiler. The point features never meet: in units of
// 50-metre cells, signals sit at 20 a + 11, stations at 20 a + 3 (the last at
// 20 a + 12), speed boards at 200 a + 16, text boards at 20 a + 4, and the
// cells of a slowdown and of the markers placed around it at other places
// (see slowdown_at_m).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct long_curve {
  char side;  // 's' turns one way (negative curvature), 'd' the other
  int curve_class;
  std::int32_t start_m;
  std::int32_t length_m;
};
struct long_gradient {
  std::int32_t position_m;
  std::int32_t per_mille;
};
struct long_mountain {
  std::int32_t from_m, to_m, type;
};
struct long_signal {
  std::int32_t position_m;
  std::int32_t sx, s1, s2, s3, rapp, dx, d1, d2, d3, tempo;
};
struct long_station {
  std::int32_t position_m;
  std::int32_t kind;
  std::int32_t length_m;
  std::int32_t hours, minutes;
  std::string name;
};
struct long_speed_limit {
  std::int32_t position_m;
  std::int32_t speed_kmh;
};

struct long_line {
  std::int32_t length_m = 0;
  std::vector<long_curve> curves;
  std::vector<long_gradient> gradients;
  std::vector<long_mountain> mountains;
  std::vector<std::int32_t> speed_boards_m;  // all 80 km/h on every track
  std::vector<std::int32_t> text_boards_m;
  std::vector<long_speed_limit> speed_limits;
  std::vector<long_signal> signals;
  std::vector<std::int32_t> slowdowns_m;  // 60 km/h over 1,000 m each
  std::vector<long_station> stations;
};

inline constexpr int long_line_text_boards = 5;
// Stations fill slots 1 up to two below the board slot, which the text
// boards have moved down from 80.
inline constexpr int long_line_stations = 78 - long_line_text_boards;

// A slowdown start at 1000 a + 250 m lies in cell 20 a + 6, its end in cell
// 20 (a + 1) + 6, its warning board and pre-warning cells in 20 (a - 1) + 2
// down to 20 (a - 2) + 18; the markers around it go to cells ending in 0, 1,
// 2, 8, 10, 14 and 15 of each 20.
inline std::int32_t slowdown_at_m(std::int32_t a) { return 1000 * a + 250; }

// REQUIRES: length_m from 10,000 to 1,000,000, a multiple of 1,000. A line
// shorter than 100,000 m keeps every row that comes at a fixed spacing
// (curves, gradients, signals, speed boards and limits, text boards), so its
// cost per metre compares with that of a longer one, but has no mountains and
// no slowdowns and one station: those come in fixed numbers that so short a
// line cannot keep apart.
inline long_line make_long_line(std::int32_t length_m, int extra_stations = 0) {
  long_line line;
  line.length_m = length_m;
  const bool short_line = length_m < 100000;
  // The plan stops at metre 1,000,000, so the last curve ends before it.
  for (std::int32_t j = 0; 500 * j + 300 < length_m; ++j)
    line.curves.push_back(
        {j % 2 == 0 ? 's' : 'd', 1 + (j / 2) % 4, 500 * j + 100, 200});
  for (std::int32_t i = 0; 200 * i < length_m; ++i)
    line.gradients.push_back({200 * i, (i * 7) % 61 - 30});
  const std::int32_t mountain_step_m = length_m / 80 / 1000 * 1000;
  for (std::int32_t r = 0; r < (short_line ? 0 : 80); ++r) {
    std::int32_t from_m = r * mountain_step_m + 1000;
    line.mountains.push_back(
        {from_m, from_m + mountain_step_m / 2, r % 4 == 3 ? 11 : 1 + r % 2});
  }
  for (std::int32_t j = 0; 10000 * j + 750 < length_m; ++j)
    line.speed_boards_m.push_back(10000 * j + 750);
  for (std::int32_t j = 1; j <= long_line_text_boards; ++j)
    line.text_boards_m.push_back(
        length_m / long_line_text_boards / 1000 * j * 1000 - 850);

  for (std::int32_t r = 0; 20000 * r < length_m; ++r)
    line.speed_limits.push_back({20000 * r, 80 + 10 * (r % 9)});
  for (std::int32_t i = 0; 1000 * i + 500 < length_m; ++i)
    line.signals.push_back({1000 * i + 500, 1 + i % 2, i % 5, (i / 5) % 5,
                            i % 3, i % 2, i % 3, i % 4, 0, 1,
                            i % 7 == 0 ? 215 : 0});
  for (std::int32_t t = 0; t < (short_line ? 0 : 10); ++t)
    line.slowdowns_m.push_back(slowdown_at_m((2 * t + 1) * length_m / 20000));
  const int stations = short_line ? 1 : long_line_stations + extra_stations;
  const std::int32_t station_step_m =
      (length_m - 10000) / stations / 1000 * 1000;
  for (int s = 0; s < stations; ++s) {
    const bool last = s == stations - 1;
    line.stations.push_back({2000 + s * station_step_m + (last ? 500 : 0),
                             s == 0 ? 2
                             : last ? 6
                                    : (s % 3 == 0 ? 26 : 4 + 8 * (s % 2)),
                             400, 6 + s / 20, (s * 3) % 60,
                             "Fermata " + std::to_string(s + 1)});
  }
  return line;
}

inline std::string long_line_source(const long_line& line) {
  std::string text =
      "[generale]\r\n"
      "lunghezza percorso,    " +
      std::to_string(line.length_m) +
      "\r\n"
      "progressiva chilometrica uno,    0,    0,    0\r\n"
      "progressiva chilometrica due,    0,    0,    0\r\n"
      "progressiva chilometrica tre,    0,    0,    0\r\n"
      "sfondo uno,    80000\r\nsfondo due,    59350\r\nsfondo tre,    1\r\n"
      "ripetizione segnali 4 codici,    25000,    " +
      std::to_string(line.length_m) + "\r\n[curve]\r\n";
  for (const long_curve& c : line.curves)
    text += "curva" + std::string(1, c.side) + std::to_string(c.curve_class) +
            ",  " + std::to_string(c.start_m) + ",  " +
            std::to_string(c.length_m) + "\r\n";
  text += "[pendenze]\r\n";
  for (const long_gradient& g : line.gradients)
    text += "pendenza,  " + std::to_string(g.position_m) + ",   " +
            std::to_string(g.per_mille) + "\r\n";
  text += "[montagne]\r\n";
  for (const long_mountain& m : line.mountains)
    text += "montagna,   " + std::to_string(m.from_m) + ",  " +
            std::to_string(m.to_m) + ",  " + std::to_string(m.type) + "\r\n";
  text += "[cartelli]\r\n";
  for (std::int32_t p : line.speed_boards_m)
    text += "indicatori_vmax,  " + std::to_string(p) +
            ",  80,  80,  80,  0,  ,  ,  ,  0\r\n";
  text += "[indicazioni]\r\n";
  for (std::size_t j = 0; j < line.text_boards_m.size(); ++j)
    text += "cartello_indicatore,  " + std::to_string(line.text_boards_m[j]) +
            ",   (KM " + std::to_string(line.text_boards_m[j] / 1000) +
            ")(PANNELLO " + std::to_string(j + 1) + ")\r\n";
  return text + "[fine]\r\n";
}

inline std::string long_train_source(const long_line& line) {
  std::string text =
      "[generale]\r\nnumero vetture,    9\r\npercentuale massa frenata,    "
      "110\r\nsabbia,    1\r\norologio,    6              0            0 \r\n"
      "[aderenze]\r\naderenza,   0,    100\r\n[vel_limite]\r\n";
  for (const long_speed_limit& v : line.speed_limits)
    text += "velocita,   " + std::to_string(v.position_m) + ",    " +
            std::to_string(v.speed_kmh) + "\r\n";
  text += "[stazioni]\r\n";
  for (const long_station& s : line.stations)
    text += "stazione,   " + std::to_string(s.position_m) + ",  " +
            std::to_string(s.kind) + ",  " + std::to_string(s.length_m) +
            ",  1, 1, 0,  1,1,0,  2,1,1,    1,  " + std::to_string(s.hours) +
            "," + std::to_string(s.minutes) + ", 0, " + s.name + "\r\n";
  text += "[rallentamenti]\r\n";
  for (std::int32_t x : line.slowdowns_m)
    text +=
        "rallentamento,  " + std::to_string(x) + ",  60,  1000,  1,  1,  0\r\n";
  text += "[segnali]\r\n";
  for (const long_signal& s : line.signals)
    text += "segnale,  " + std::to_string(s.position_m) + ",   " +
            std::to_string(s.sx) + ", " + std::to_string(s.s1) + ", " +
            std::to_string(s.s2) + ",  " + std::to_string(s.s3) + ", " +
            std::to_string(s.rapp) + ",    " + std::to_string(s.dx) + ",  " +
            std::to_string(s.d1) + "," + std::to_string(s.d2) + "," +
            std::to_string(s.d3) + ", " + std::to_string(s.tempo) + "\r\n";
  return text + "[codici]\r\n[fine]\r\n";
}
