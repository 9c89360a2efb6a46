// Whether what a binary file shows is still what its sources say: a file
// older than a source it is compiled from shows an earlier build.
#pragma once

#include <ostream>
#include <string>
#include <vector>

#include "platform/platform.h"

// The first of `sources` beside the binary file `binary` in files.directory
// that was changed after it; empty when there is none (or no such binary).
std::string source_newer_than(const platform_files& files,
                              const std::string& binary,
                              const std::vector<std::string>& sources);

// Warns, on `err`, when the binary file `binary` is older than one of the
// `sources` beside it in files.directory (sources that are not there are
// passed over): what is shown then is not what the sources say. `dir` is the
// directory as the author gave it, to show the names under. Returns whether
// it warned.
bool warn_if_older_than_sources(const platform_files& files,
                                const std::string& dir,
                                const std::string& binary,
                                const std::vector<std::string>& sources,
                                std::ostream& err);
