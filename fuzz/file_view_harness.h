// What the authors' tool shows of binary files from anywhere, fed with any
// bytes: the text and JSON dump of each file the decoders accept, the file
// packed back from that JSON, and the plot of a decoded set; and the files a
// compile writes, packed back from their dump. The fuzz
// targets call these with every input the fuzzer makes up; the tool's tests
// replay the seeds and the inputs once found failing.
//
// Each check returns an empty string when what must hold holds, otherwise
// what did not.
#pragma once

#include <cstdint>
#include <nlohmann/json.hpp>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "fuzz/fuzz_harness.h"
#include "output/file_format.h"
#include "tool/inspect/dump.h"
#include "tool/inspect/model_views.h"
#include "tool/inspect/pack.h"
#include "tool/plot/plot.h"

// A dump input is one byte that names the kind (its value modulo 3: 0 the
// line profile, 1 the line table, 2 the track file), then the file's bytes.
inline binary_kind fuzz_dump_kind(unsigned char first) {
  static constexpr binary_kind kinds[] = {
      binary_kind::profile, binary_kind::table, binary_kind::track};
  return kinds[first % 3];
}

// A file the decoder accepts shows as text and as JSON, and the JSON, with
// every metre of a plan, packs back into the very bytes read; a refused file
// shows nothing.
inline std::string check_dump(std::string_view input) {
  if (input.empty()) return "";
  const binary_kind kind = fuzz_dump_kind(static_cast<unsigned char>(input[0]));
  const std::string_view bytes = input.substr(1);
  std::ostringstream text;
  const decode_fault refused = dump_text(kind, "f", bytes, 1000, text);
  if (!refused.ok()) return text.str().empty() ? "" : "a refused file shows";
  if (text.str().empty()) return "an accepted file shows nothing";

  nlohmann::ordered_json object;
  if (!dump_json(kind, "f", bytes, 1, object).ok())
    return "the JSON dump refuses a file the text dump shows";
  // Through the text, as an author's editor would hand it back.
  const std::string written =
      object.dump(2, ' ', false, nlohmann::json::error_handler_t::strict);
  const auto read = nlohmann::ordered_json::parse(written, nullptr, false);
  if (read.is_discarded()) return "the JSON dump does not parse";
  std::vector<std::uint8_t> packed;
  std::string fault;
  if (!pack_object(read, packed, fault))
    return "the JSON dump does not pack: " + fault;
  if (std::string_view(reinterpret_cast<const char*>(packed.data()),
                       packed.size()) != bytes)
    return "the JSON dump packs into other bytes than the file's";
  return "";
}

// The outputs of a compile, dumped as JSON and packed back: the bytes the
// compiler wrote. A plan longer than this many metres is left to the dump
// target, which packs plans of every length: its JSON would take most of
// the time of the compile target.
inline constexpr std::int32_t fuzz_pack_plan_metres = 5000;

inline std::string check_outputs_pack_back(const compile_context& ctx,
                                           const memory_disk& disk) {
  const struct {
    std::string name;
    binary_kind kind;
  } outputs[] = {{track_file_name(ctx), binary_kind::track},
                 {line_table_file_name(ctx), binary_kind::table},
                 {line_profile_file_name(ctx), binary_kind::profile}};
  for (const auto& output : outputs) {
    const auto file = disk.files.find(output.name);
    if (file == disk.files.end()) continue;
    if (output.kind == binary_kind::profile &&
        ctx.curves.last_metre > fuzz_pack_plan_metres)
      continue;
    nlohmann::ordered_json object;
    if (!dump_json(output.kind, output.name, file->second, 1, object).ok())
      return "the dump refuses the compiled " + output.name;
    const auto read = nlohmann::ordered_json::parse(
        object.dump(-1, ' ', false, nlohmann::json::error_handler_t::strict),
        nullptr, false);
    std::vector<std::uint8_t> packed;
    std::string fault;
    if (read.is_discarded() || !pack_object(read, packed, fault))
      return "the dump of the compiled " + output.name +
             " does not pack: " + fault;
    if (std::string(packed.begin(), packed.end()) != file->second)
      return "the dump of the compiled " + output.name +
             " packs into other bytes";
  }
  return "";
}

// The whole compile as its own target checks it, and then the outputs
// through dump --json and pack.
inline std::string check_compile_and_pack(std::string_view input) {
  return check_compile_with(input, check_outputs_pack_back);
}

// A plot input is the track file, this separator, the line table, and
// optionally the separator again and the line profile.
inline constexpr std::string_view fuzz_file_separator = "\n=====\n";

// Any set of files the decoders accept draws as one whole SVG picture.
inline std::string check_plot(std::string_view input) {
  const std::size_t first = input.find(fuzz_file_separator);
  if (first == std::string_view::npos) return "";
  const std::string_view track = input.substr(0, first);
  std::string_view rest = input.substr(first + fuzz_file_separator.size());
  std::string_view profile;
  const std::size_t second = rest.find(fuzz_file_separator);
  if (second != std::string_view::npos) {
    profile = rest.substr(second + fuzz_file_separator.size());
    rest = rest.substr(0, second);
  }
  track_grid grid;
  line_table table;
  curve_table curves;
  if (!decode_track(track, grid).ok() || !decode_line_table(rest, table).ok())
    return "";
  const bool has_profile = second != std::string_view::npos &&
                           decode_line_profile(profile, curves).ok();
  plot_input in;
  in.scenario_name = "S";
  in.train_name = "T";
  in.grid = &grid;
  in.table = &table;
  in.curves = has_profile ? &curves : nullptr;
  const std::string svg = plot_svg(in);
  if (svg.find("<svg") == std::string::npos ||
      svg.find("</svg>") == std::string::npos)
    return "the plot is not a whole SVG picture";
  return "";
}
