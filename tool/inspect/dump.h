// The three binary files as readable text or JSON, as `scenario_tool dump`
// shows them.
//
// The track file gives one line per cell that holds anything (the kind by
// name, its raw values and, for signals and speed boards, what they pack),
// then the stretch properties as runs of equal value; the line table gives
// every used slot with its role and fields; the line profile gives its tag
// counts and the plan every M metres. A file of the wrong size or layout is
// refused with its name and the offset of the fault, and the dump goes on
// with the next file; the exit status is then 2.
#pragma once

#include <cstdint>
#include <nlohmann/json.hpp>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "output/file_format.h"
#include "tool/inspect/model_views.h"

// Text as a terminal can show it: bytes outside printable ASCII are written
// as \xNN, so a damaged label or name cannot garble the dump.
std::string printable(std::string_view text);

// The file `bytes` of this kind, named `name`, as text on `out` or as one
// JSON object; a fault where the bytes stop fitting the kind.
decode_fault dump_text(binary_kind kind, const std::string& name,
                       std::string_view bytes, std::int32_t every_m,
                       std::ostream& out);
decode_fault dump_json(binary_kind kind, const std::string& name,
                       std::string_view bytes, std::int32_t every_m,
                       nlohmann::ordered_json& object);
