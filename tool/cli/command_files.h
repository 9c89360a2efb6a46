// What the commands share about the files they are given and the files they
// write: a path from the command line, the folder to write into, the rule
// that a file is replaced only with --force, and the name options.
#pragma once

#include <ostream>
#include <string>
#include <vector>

#include "platform/platform.h"

// Whether the files `names` of `files` may be written: always with `force`;
// otherwise only when none of them exists. Each that does is reported as
// "DIR/NAME already exists" (the bare name when `shown_dir` is empty), then
// one line that nothing was written and --force would replace them.
bool may_write_files(const platform_files& files, const std::string& shown_dir,
                     const std::vector<std::string>& names, bool force,
                     std::ostream& err);

// A path from the command line as the platform reads it: the directory it
// is in and its bare name, so it can name a file anywhere.
struct file_place {
  platform_files files;
  std::string name;
};
file_place place_of(const std::string& path);

// Makes `dir` (and the folders above it) when it does not exist; a command
// that writes files into it calls this first. Empty stands for the current
// directory. False, with a message on `err`, when it cannot be made.
bool make_directory(const std::string& dir, std::ostream& err);
