// format_reference: writes docs/format.md from the grammar table, or checks
// that the committed file still says what the table says.
//
//   format_reference --write FILE   replace FILE with the reference
//   format_reference --check FILE   exit 1, naming the first line that
//                                   differs, when FILE is not the reference
#include "reader/format_reference.h"

#include <cstdio>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>

namespace {

constexpr const char* regenerate =
    "cmake --build build --target format_reference_doc";

// The 1-based line where the two texts first differ.
std::size_t first_differing_line(const std::string& a, const std::string& b) {
  std::size_t line = 1;
  for (std::size_t i = 0; i < a.size() && i < b.size() && a[i] == b[i]; ++i)
    if (a[i] == '\n') ++line;
  return line;
}

int check(const std::string& path, const std::string& expected) {
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    std::cerr << "format_reference: cannot read " << path
              << "; write it with: " << regenerate << '\n';
    return 1;
  }
  std::ostringstream text;
  text << in.rdbuf();
  if (text.str() == expected) return 0;
  std::cerr << "format_reference: " << path
            << " differs from the grammar table (first at line "
            << first_differing_line(text.str(), expected)
            << "); regenerate it with: " << regenerate << '\n';
  return 1;
}

int write(const std::string& path, const std::string& text) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << text;
  out.close();
  if (!out) {
    std::cerr << "format_reference: cannot write " << path << '\n';
    return 1;
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::cerr << "usage: format_reference --write FILE | --check FILE\n";
    return 2;
  }
  const std::string mode = argv[1];
  const std::string text = format_reference();
  if (mode == "--write") return write(argv[2], text);
  if (mode == "--check") return check(argv[2], text);
  std::cerr << "format_reference: unknown mode " << mode << '\n';
  return 2;
}
