// The decoders of the three binary files, which the authors' tool runs on
// files from anywhere (dump, plot), fed with any bytes. A decoder refuses a
// file or accepts it; a file it accepts must come back byte for byte from
// the writers, so that what the tools show of a file is all there is in it.
// Each check returns an empty string when that holds, otherwise what did
// not.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "model/compile_context.h"
#include "output/file_format.h"

inline std::string same_bytes(const std::vector<std::uint8_t>& written,
                              std::string_view read, const char* file) {
  if (std::string_view(reinterpret_cast<const char*>(written.data()),
                       written.size()) == read)
    return "";
  return std::string("the ") + file +
         " does not come back byte for byte from what was decoded of it";
}

inline std::string check_track_file(std::string_view bytes) {
  track_grid grid;
  if (!decode_track(bytes, grid).ok()) return "";
  return same_bytes(track_bytes(grid), bytes, "track file");
}

inline std::string check_table_file(std::string_view bytes) {
  compile_context ctx;
  if (!decode_line_table(bytes, ctx.table).ok()) return "";
  std::vector<std::uint8_t> written;
  if (!line_table_bytes(ctx, written).ok())
    return "a decoded line table cannot be written again";
  return same_bytes(written, bytes, "line table file");
}

inline std::string check_profile_file(std::string_view bytes) {
  curve_table curves;
  if (!decode_line_profile(bytes, curves).ok()) return "";
  return same_bytes(line_profile_bytes(curves), bytes, "line profile file");
}
