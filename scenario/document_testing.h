// Test helpers for the embedded documents: what a list of lines amounts to
// once `write_document` has put it on disk.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "scenario/embedded_scenario.h"

// The lines that reach the file: every entry before the first end marker.
inline std::vector<std::string> written_lines(
    const std::vector<std::string>& document) {
  std::vector<std::string> lines;
  for (const std::string& line : document) {
    if (line == end_marker) break;
    lines.push_back(line);
  }
  return lines;
}

// The size of the written file: each line followed by CR LF.
inline std::size_t file_size_bytes(const std::vector<std::string>& document) {
  std::size_t bytes = 0;
  for (const std::string& line : written_lines(document)) {
    bytes += line.size() + 2;
  }
  return bytes;
}
