// scenario_tool pack: the binary files again from what `dump --json` wrote.
//
//   scenario_tool pack [--dir D] [--force] DUMP.json
//
// Each object of the dump's array becomes its file once more, byte for byte
// as the compiler writes it, under D with the base name of the object's
// "file". So a file can be looked at as JSON, mended there and packed back.
// The raw fields are what count: the named values, runs' tunnel flags, times
// and clocks of the dump are views of them and are not read. A line profile
// must have been dumped with --every 1, so that every metre is in it.
//
// Nothing is written unless every object packs, and no existing file is
// replaced without --force; the whole set is then written or none of it.
#pragma once

#include <CLI/CLI.hpp>
#include <cstdint>
#include <nlohmann/json.hpp>
#include <ostream>
#include <string>
#include <vector>

struct pack_options {
  std::string json_file;
  std::string dir;  // empty: the current directory
  bool force = false;
};

// The bytes of the file one dump object stands for. False with what is
// wrong, naming the field (`cells[3].value1`), when the object is not one
// dump writes or a value does not fit its field.
bool pack_object(const nlohmann::ordered_json& object,
                 std::vector<std::uint8_t>& bytes, std::string& fault);

// Adds the `pack` command to the tool's parser; `o` receives its arguments.
CLI::App* add_pack_command(CLI::App& app, pack_options& o);

// Returns 0 when every file was written, 2 otherwise (with the reason on
// `err`).
int run_pack(const pack_options& o, std::ostream& out, std::ostream& err);
