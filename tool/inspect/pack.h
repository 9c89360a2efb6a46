// The binary files again from what `scenario_tool dump --json` wrote.
//
// Each object of the dump's array becomes its file once more, byte for byte
// as the compiler writes it, under D with the base name of the object's
// "file". So a file can be looked at as JSON, mended there and packed back.
// The raw fields are what count: the named values, runs' tunnel flags, times
// and clocks of the dump are views of them and are not read. A line profile
// must have been dumped with --every 1, so that every metre is in it.
//
#pragma once

#include <cstdint>
#include <nlohmann/json.hpp>
#include <ostream>
#include <string>
#include <vector>

// The bytes of the file one dump object stands for. False with what is
// wrong, naming the field (`cells[3].value1`), when the object is not one
// dump writes or a value does not fit its field.
bool pack_object(const nlohmann::ordered_json& object,
                 std::vector<std::uint8_t>& bytes, std::string& fault);
