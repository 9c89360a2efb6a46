#include "tool/authoring/stale_build.h"

#include <cstdint>

#include "base/terminal_text.h"

std::string source_newer_than(const platform_files& files,
                              const std::string& binary,
                              const std::vector<std::string>& sources) {
  std::int64_t built = 0;
  if (!file_modified_time(files, binary, built)) return "";
  for (const std::string& source : sources) {
    std::int64_t edited = 0;
    if (file_modified_time(files, source, edited) && edited > built)
      return source;
  }
  return "";
}

bool warn_if_older_than_sources(const platform_files& files,
                                const std::string& dir,
                                const std::string& binary,
                                const std::vector<std::string>& sources,
                                std::ostream& err) {
  const std::string source = source_newer_than(files, binary, sources);
  if (source.empty()) return false;
  const auto shown = [&](const std::string& name) {
    return dir.empty() ? name : join_path(dir, name);
  };
  err << "scenario_tool: warning: " << terminal_safe(shown(binary))
      << " is older than " << terminal_safe(shown(source))
      << ": the source was changed after the last compile, so what is "
         "shown is an earlier build\n";
  return true;
}
