// The line source of the embedded scenario: a 108 km mountain line with a
// 13.3 km summit tunnel (6,200 to 19,500 m). Each section is kept as a table
// of numbers and turned into rows by one formatter, so the rows of a section
// cannot drift apart in their spacing. Blanks next to the commas mean nothing
// to the reader, but the file is reproduced byte for byte, so the formatters
// fix them exactly.
#include <string>
#include <vector>

#include "scenario/embedded_scenario.h"

namespace {

struct curve_row {
  char side;        // 's' or 'd', the side the curve turns to; 's' is negative
  int curve_class;  // 1 gentle (about 10,000 m radius) to 4 sharp (1,000 m)
  int start_m;
  int length_m;
};

struct gradient_row {
  int position_m;
  int per_mille;
};

struct mountain_row {
  int from_m;
  int to_m;
  int type;  // above 10: a tunnel of type - 10
};

struct speed_board_row {
  int position_m;
  int speed_a;
  int speed_b;
  int speed_c;
};

void add_general_section(std::vector<std::string>& lines) {
  lines.push_back("[generale]");
  lines.push_back("lunghezza percorso,    108000");
  lines.push_back("progressiva chilometrica uno,    0,    0,    0");
  lines.push_back("progressiva chilometrica due,    0,    0,    0");
  lines.push_back("progressiva chilometrica tre,    0,    0,    0");
  lines.push_back("sfondo uno,    80000");
  lines.push_back("sfondo due,    59350");
  lines.push_back("sfondo tre,    1");
  lines.push_back("ripetizione segnali 4 codici,    25000,    108000");
}

std::string format_curve(const curve_row& c) {
  return "curva" + std::string(1, c.side) + std::to_string(c.curve_class) +
         ",  " + std::to_string(c.start_m) + ",  " + std::to_string(c.length_m);
}

// The curves sit between 1,500 and 7,200 m, on the climb into the tunnel,
// and from 19,200 m, near its far end, to 105,700 m; the long middle of the
// tunnel is straight. Reverse curves follow each other closely, some touching
// end to start. The plan grows slightly with every curved metre, so the sharp
// curves are kept short: the direction ends about 1.0044 long.
void add_curve_section(std::vector<std::string>& lines) {
  constexpr curve_row curves[] = {
      {'s', 2, 1500, 200},   {'d', 3, 1900, 550},   {'s', 3, 2700, 600},
      {'s', 2, 3300, 350},   {'d', 4, 3800, 200},   {'s', 2, 4250, 200},
      {'d', 2, 4550, 550},   {'d', 4, 5350, 250},   {'s', 2, 5850, 200},
      {'s', 4, 6300, 150},   {'d', 2, 6650, 450},   {'s', 4, 19200, 500},
      {'s', 3, 19700, 800},  {'d', 3, 21400, 200},  {'d', 2, 22050, 350},
      {'s', 2, 22700, 550},  {'d', 2, 23650, 250},  {'d', 4, 24550, 200},
      {'s', 2, 25450, 650},  {'d', 3, 26700, 850},  {'s', 3, 27950, 250},
      {'d', 3, 28850, 300},  {'s', 1, 30200, 1200}, {'d', 4, 32300, 350},
      {'d', 3, 33500, 250},  {'d', 3, 33750, 700},  {'s', 3, 35450, 200},
      {'d', 3, 36050, 650},  {'d', 3, 37100, 650},  {'d', 2, 38350, 450},
      {'d', 4, 39550, 350},  {'d', 4, 40650, 250},  {'s', 4, 41350, 350},
      {'s', 3, 42400, 600},  {'d', 3, 43750, 600},  {'d', 3, 44800, 700},
      {'s', 3, 46650, 800},  {'s', 3, 48400, 250},  {'d', 3, 49400, 700},
      {'s', 3, 50550, 650},  {'d', 4, 52600, 350},  {'d', 2, 53350, 350},
      {'s', 2, 54050, 200},  {'s', 4, 54250, 400},  {'d', 3, 54650, 350},
      {'s', 2, 55400, 250},  {'s', 4, 56050, 150},  {'d', 4, 56550, 150},
      {'d', 4, 57600, 400},  {'d', 2, 58500, 500},  {'s', 2, 60150, 500},
      {'s', 4, 61050, 150},  {'d', 2, 61200, 500},  {'d', 2, 62750, 650},
      {'s', 2, 64350, 100},  {'s', 4, 64850, 400},  {'s', 3, 65800, 650},
      {'s', 2, 67350, 100},  {'s', 3, 68750, 450},  {'d', 3, 70000, 350},
      {'s', 2, 71050, 500},  {'s', 3, 72750, 350},  {'d', 3, 73850, 450},
      {'s', 3, 74900, 850},  {'s', 2, 76900, 600},  {'s', 2, 78450, 600},
      {'s', 2, 80000, 500},  {'d', 3, 80950, 350},  {'d', 4, 81650, 150},
      {'s', 2, 82300, 600},  {'d', 3, 83550, 650},  {'s', 3, 85450, 250},
      {'d', 2, 86400, 600},  {'d', 3, 87350, 200},  {'s', 2, 88800, 650},
      {'d', 4, 90050, 300},  {'s', 3, 91500, 500},  {'s', 2, 92350, 600},
      {'d', 4, 93700, 150},  {'s', 3, 94550, 250},  {'s', 3, 95450, 350},
      {'d', 1, 96650, 600},  {'d', 2, 98400, 600},  {'s', 2, 100150, 250},
      {'d', 3, 101150, 250}, {'d', 3, 101400, 250}, {'s', 4, 102250, 150},
      {'s', 3, 103150, 450}, {'s', 3, 104800, 900},
  };
  lines.push_back("[curve]");
  for (const curve_row& c : curves) lines.push_back(format_curve(c));
}

// The opening row of the gradients is written one blank wider in both gaps
// than the rows after it.
std::string format_gradient(const gradient_row& g, bool opening_row) {
  const char* before_position = opening_row ? ",   " : ",  ";
  const char* before_gradient = opening_row ? ",    " : ",   ";
  return "pendenza" + std::string(before_position) +
         std::to_string(g.position_m) + before_gradient +
         std::to_string(g.per_mille);
}

// Positions are whole 50 m cells, so each gradient starts exactly at a cell
// boundary. The climb peaks in the tunnel; the steepest stretches are the
// descent out of it (-30) and the second climb towards 37.5 km (+30).
void add_gradient_section(std::vector<std::string>& lines) {
  constexpr gradient_row gradients[] = {
      {0, 0},      {2300, 5},    {3900, 9},    {5200, 18},   {6250, 10},
      {9800, 4},   {13600, -6},  {18700, -30}, {21400, -22}, {24100, -12},
      {26800, -4}, {29500, 8},   {33200, 17},  {37500, 30},  {40300, 24},
      {43000, 8},  {46500, 21},  {50100, 26},  {53800, 16},  {57250, 5},
      {60900, -3}, {64000, -14}, {67550, -25}, {71000, -9},  {74600, -2},
      {78300, 3},  {82500, 7},   {86700, 20},  {90150, 9},   {93600, -5},
      {97200, 0},
  };
  lines.push_back("[pendenze]");
  bool opening_row = true;
  for (const gradient_row& g : gradients) {
    lines.push_back(format_gradient(g, opening_row));
    opening_row = false;
  }
}

std::string format_mountain(const mountain_row& m) {
  return "montagna,   " + std::to_string(m.from_m) + ",  " +
         std::to_string(m.to_m) + ",  " + std::to_string(m.type);
}

// Mountain stretches never overlap. A row that starts 150 m or less after the
// previous row ends has its cells stored as type 3 by the reader; five rows
// between 43,650 and 51,750 m are meant to get that type.
void add_mountain_section(std::vector<std::string>& lines) {
  constexpr mountain_row mountains[] = {
      {3750, 4350, 2},    {6200, 19500, 11},   {20100, 20900, 2},
      {22300, 23450, 2},  {25600, 26300, 2},   {28000, 29050, 1},
      {31400, 32600, 2},  {34800, 35500, 2},   {38200, 39700, 2},
      {41400, 43500, 1},  {43650, 43800, 1},   {43900, 44000, 2},
      {44100, 45300, 1},  {45500, 45900, 2},   {46000, 47200, 1},
      {48700, 50300, 2},  {50400, 51750, 1},   {53500, 54200, 2},
      {56100, 57650, 2},  {59400, 60100, 1},   {63800, 64900, 2},
      {66500, 67300, 2},  {69200, 70850, 2},   {72400, 73100, 2},
      {75000, 76450, 1},  {78300, 79000, 2},   {81200, 82600, 2},
      {84900, 85650, 2},  {88000, 89400, 2},   {93100, 94300, 2},
      {99700, 100550, 2}, {105100, 105250, 2},
  };
  lines.push_back("[montagne]");
  for (const mountain_row& m : mountains) lines.push_back(format_mountain(m));
}

// Only the first three speeds of a board are used; the second three stay
// empty and both stripe counts are 0.
std::string format_speed_board(const speed_board_row& b) {
  return "indicatori_vmax,  " + std::to_string(b.position_m) + ",  " +
         std::to_string(b.speed_a) + ",  " + std::to_string(b.speed_b) + ",  " +
         std::to_string(b.speed_c) + ",  0,  ,  ,  ,  0";
}

void add_speed_board_section(std::vector<std::string>& lines) {
  constexpr speed_board_row boards[] = {
      {1700, 70, 75, 75},     {6100, 100, 105, 110},  {19000, 85, 85, 85},
      {20450, 95, 100, 100},  {25250, 120, 130, 130}, {37700, 90, 100, 100},
      {62500, 100, 110, 110}, {63000, 130, 150, 150}, {68500, 130, 135, 135},
      {80500, 130, 150, 150}, {83500, 130, 135, 135}, {89300, 100, 105, 105},
      {92400, 130, 150, 150}, {96500, 140, 155, 155}, {103500, 100, 105, 105},
      {105000, 30, 30, 30},
  };
  lines.push_back("[cartelli]");
  for (const speed_board_row& b : boards) {
    lines.push_back(format_speed_board(b));
  }
}

// The panels are fixed-width texts; the first board announces the tunnel.
void add_indicator_board_section(std::vector<std::string>& lines) {
  lines.push_back("[indicazioni]");
  lines.push_back(
      "cartello_indicatore,  6150,   (GALLERIA  )(DEL VADDRO)(m.13300   )");
  lines.push_back(
      "cartello_indicatore,  11500,   (P.C.     )(VADDRO   )(Km.11+700)");
  lines.push_back(
      "cartello_indicatore,  11900,   (P.C.     )(VADDRO   )(Km.11+700)");
}

}  // namespace

std::vector<std::string> line_source_document() {
  std::vector<std::string> lines;
  lines.reserve(187);
  add_general_section(lines);
  add_curve_section(lines);
  add_gradient_section(lines);
  add_mountain_section(lines);
  add_speed_board_section(lines);
  add_indicator_board_section(lines);
  lines.push_back("[fine]");
  lines.push_back(std::string(end_marker));
  return lines;
}
