// Whole compiles of arbitrary source text, held in a memory disk so that no
// file on disk is ever touched. The fuzz targets call these with every input
// the fuzzer makes up; the regression test replays the inputs that once
// failed.
//
// Each check runs the compiler and then tests what must hold after any input,
// however malformed: the code in the error slot is one the program knows,
// the sources are gone unless a code of the line source ended the reading
// early, and the output images have the sizes their layouts give. It returns
// an empty string when all of that holds, otherwise what did not.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "model/compile_context.h"
#include "output/file_format.h"
#include "output/markers.h"
#include "platform/memory_disk.h"
#include "reader/memorizza_dati.h"
#include "reader/source_files.h"
#include "run/error_messages.h"
#include "run/run_sequence.h"
#include "scenario/embedded_scenario.h"
#include "scenario/write_document.h"
#include "test/run_fixture.h"

// A compile input holds the line source, this separator and the train
// source. Without the separator the whole input is the line source and the
// train source is missing. An input is compiled with write_flag 0, without
// the plan and the line profile file, unless it begins with "+": building
// and writing the plan takes most of the time of a compile, and the line
// reader's target covers the plan already.
inline constexpr std::string_view fuzz_source_separator = "\n====\n";
inline constexpr char fuzz_with_profile = '+';

inline std::string embedded_source_text(const std::vector<std::string>& lines) {
  std::vector<std::uint8_t> bytes = document_bytes(lines);
  return std::string(bytes.begin(), bytes.end());
}

// What every run must leave in the error slot and the model.
inline std::string check_model(const compile_context& ctx) {
  if (ctx.error_code != 0 && find_error_code(ctx.error_code) == nullptr)
    return "unknown error code " + std::to_string(ctx.error_code);
  if (ctx.grid.allocated() && ctx.grid.last_index() > 20140)
    return "a grid longer than the longest line allows";
  if (ctx.curves.allocated() &&
      (ctx.curves.tags.size() !=
           2 * (static_cast<std::size_t>(ctx.curves.last_metre) + 1) ||
       ctx.curves.values.size() != ctx.curves.tags.size()))
    return "a plan whose size does not match its last metre";
  if (ctx.board_slot < 0 || ctx.board_slot > first_board_slot)
    return "a board slot outside the line table";
  return "";
}

// Codes with which the line reader returns at once, leaving the train source
// unread.
inline bool is_line_source_code(std::int32_t code) {
  const error_code_info* entry = find_error_code(code);
  return entry != nullptr && entry->origin == code_origin::line_source;
}

// The sources after a compile procedure: the line source is always gone, the
// train source stays only when a code of the line source stopped the reading.
inline std::string check_sources(const compile_context& ctx,
                                 const memory_disk& disk) {
  if (disk.files.count(line_source_name(ctx)) != 0)
    return "the line source is left behind";
  if (disk.files.count(train_source_name(ctx)) != 0 &&
      !is_line_source_code(ctx.error_code))
    return "the train source is left behind with error " +
           std::to_string(ctx.error_code);
  return "";
}

// Reads a line profile image back with the decoder the tools use: every tag
// known, every entry complete, 2 x (L + 1) of them.
inline std::string check_profile_image(const std::string& bytes,
                                       std::int32_t last_metre) {
  // A table of no metres has no entries; the decoder refuses an empty file,
  // which holds no plan.
  if (bytes.empty() && last_metre < 0) return "";
  curve_table decoded;
  const decode_fault fault = decode_line_profile(bytes, decoded);
  if (!fault.ok())
    return "a profile refused at byte " + std::to_string(fault.offset) + ": " +
           fault.what;
  if (decoded.last_metre != last_metre)
    return "a profile of " + std::to_string(decoded.tags.size()) + " entries";
  return "";
}

// The output files after a compile step that went through: the line
// profile file only with write_flag.
inline std::string check_outputs(const compile_context& ctx,
                                 const memory_disk& disk) {
  auto track = disk.files.find(track_file_name(ctx));
  auto table = disk.files.find(line_table_file_name(ctx));
  auto profile = disk.files.find(line_profile_file_name(ctx));
  if (track == disk.files.end() || table == disk.files.end())
    return "an output file is missing";
  if ((profile != disk.files.end()) != (ctx.write_flag != 0))
    return "a line profile file against write_flag";
  if (track->second.size() != cell_bytes * ctx.grid.cells.size())
    return "a track file of " + std::to_string(track->second.size()) + " bytes";
  std::size_t table_bytes = line_table_slots * record_fixed_bytes;
  for (const line_record& record : ctx.table.slots)
    table_bytes += record.label.size();
  if (table->second.size() != table_bytes)
    return "a line table file of " + std::to_string(table->second.size()) +
           " bytes";
  // What the compiler writes, the tools read: their decoders take it.
  track_grid grid;
  if (!decode_track(track->second, grid).ok())
    return "a track file its decoder refuses";
  line_table decoded;
  if (!decode_line_table(table->second, decoded).ok())
    return "a line table file its decoder refuses";
  if (ctx.write_flag == 0) return "";
  return check_profile_image(profile->second, ctx.curves.last_metre);
}

// The line reader on `line_text`, with a train source without rows.
inline std::string check_line_reader(std::string_view line_text) {
  memory_disk disk;
  compile_context ctx = make_memory_context(disk);
  disk.files[line_source_name(ctx)] = std::string(line_text);
  disk.files[train_source_name(ctx)] = "[generale]\r\n[fine]\r\n";
  ctx.write_flag = 1;
  clear_line_table(ctx.table);
  memorizza_dati(ctx);
  std::string fault = check_model(ctx);
  if (fault.empty()) fault = check_sources(ctx, disk);
  return fault;
}

// The train reader on `train_text`, over the grid of the embedded line
// (read without its plan, which the train rows never use), then the marker
// pass that completes what the train rows laid.
inline std::string check_train_reader(std::string_view train_text) {
  memory_disk disk;
  compile_context ctx = make_memory_context(disk);
  disk.files[line_source_name(ctx)] =
      embedded_source_text(line_source_document());
  ctx.write_flag = 0;
  clear_line_table(ctx.table);
  ctx.table.slots[slot_scenario_header].label = ctx.scenario_name;
  ctx.table.slots[slot_train_header].label = ctx.train_name;
  if (read_line_source(ctx) != read_end::finished || ctx.error_code != 0)
    return "the embedded line source does not compile";
  const std::size_t cells = ctx.grid.cells.size();

  disk.files[train_source_name(ctx)] = std::string(train_text);
  (void)read_train_source(ctx);
  if (disk.files.count(train_source_name(ctx)) != 0)
    return "the train source is left behind";
  place_markers(ctx);
  if (ctx.grid.cells.size() != cells) return "the grid changed its size";
  return check_model(ctx);
}

// The whole compile step on a pair of sources in one input.
// A further check of the outputs of a compile that went through, for the
// tool's targets; null for none.
using fuzz_output_check = std::string (*)(const compile_context& ctx,
                                          const memory_disk& disk);

inline std::string check_compile_with(std::string_view input,
                                      fuzz_output_check more) {
  memory_disk disk;
  compile_context ctx = make_memory_context(disk);
  std::int32_t write_flag = 0;
  if (!input.empty() && input.front() == fuzz_with_profile) {
    write_flag = 1;
    input.remove_prefix(1);
  }
  std::size_t split = input.find(fuzz_source_separator);
  disk.files[line_source_name(ctx)] = std::string(input.substr(0, split));
  if (split != std::string_view::npos)
    disk.files[train_source_name(ctx)] =
        std::string(input.substr(split + fuzz_source_separator.size()));

  step_result r = memorizza_percorso(ctx, write_flag);
  std::string fault = check_model(ctx);
  if (fault.empty()) fault = check_sources(ctx, disk);
  if (!fault.empty()) return fault;
  switch (r.code) {
    case step_code::ok:
      fault = check_outputs(ctx, disk);
      if (fault.empty() && more != nullptr) fault = more(ctx, disk);
      return fault;
    case step_code::no_grid:
    case step_code::header_check:
      // A run that stops before its output writes none.
      if (disk.files.count(track_file_name(ctx)) != 0 ||
          disk.files.count(line_table_file_name(ctx)) != 0 ||
          disk.files.count(line_profile_file_name(ctx)) != 0)
        return "a stopped run wrote output";
      return "";
    case step_code::file_fault:
      // Only an over-long label can refuse the output in memory.
      return r.detail.find("label") == std::string::npos
                 ? "an unexpected file fault: " + r.detail
                 : "";
  }
  return "";
}

inline std::string check_compile(std::string_view input) {
  return check_compile_with(input, nullptr);
}
