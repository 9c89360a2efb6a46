// Writes the two sources of the dense line (test/long_line.h: a curve every
// 500 m, a gradient every 200 m, a signal every 1,000 m, mountains, boards,
// slowdowns and a full line table of stations) into DIR, under the names
// `scenario_tool compile --dir DIR` reads by default.
//
//   long_line_sources DIR [LENGTH_M]
//
// LENGTH_M is 10,000 to 1,000,000 in whole kilometres; 1,000,000 by default.
// A benchmark tool, not part of the program.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "test/long_line.h"

namespace {

bool write_text(const std::string& path, const std::string& text) {
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (f == nullptr) return false;
  const bool written =
      std::fwrite(text.data(), 1, text.size(), f) == text.size();
  return std::fclose(f) == 0 && written;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2 || argc > 3) {
    std::fprintf(stderr, "usage: long_line_sources DIR [LENGTH_M]\n");
    return 2;
  }
  const std::string dir = argv[1];
  const long length_m = argc == 3 ? std::strtol(argv[2], nullptr, 10) : 1000000;
  if (length_m < 10000 || length_m > 1000000 || length_m % 1000 != 0) {
    std::fprintf(stderr,
                 "long_line_sources: LENGTH_M must be 10000 to 1000000 in "
                 "whole kilometres\n");
    return 2;
  }
  const long_line line = make_long_line(static_cast<std::int32_t>(length_m));
  // The default names of scenario_tool compile.
  if (!write_text(dir + "/Cendra_Gelsio2_linea.txt", long_line_source(line)) ||
      !write_text(dir + "/Cendra_Gelsio2_EC 482-.txt",
                  long_train_source(line))) {
    std::fprintf(stderr, "long_line_sources: cannot write into %s\n",
                 dir.c_str());
    return 1;
  }
  return 0;
}
