// The outcome of a step that can stop the run. Reader faults never show up
// here: they live in the error slot of the compile context and the run goes on.
#pragma once

#include <string>
#include <utility>

enum class step_code {
  ok,
  file_fault,    // a file could not be created, written, read or removed
  header_check,  // a header place of the model was taken (1250 or 1251)
  no_grid,       // the line source never sized the track grid
};

struct [[nodiscard]] step_result {
  step_code code = step_code::ok;
  std::string detail;  // names the file and the operation, or the check

  bool ok() const { return code == step_code::ok; }
};

inline step_result step_ok() { return {}; }
inline step_result step_fail(step_code code, std::string detail) {
  return {code, std::move(detail)};
}
