// Which pair of sources an author means: the one rule every command, the
// language server and the view follow.
//
// A pair is a line source NAME_linea.txt with a train source NAME_TRAIN-.txt
// beside it. In a folder, the names the author gave (--scenario, --train)
// narrow the pairs found there; one pair left is the one meant; none leaves
// the names given, or the embedded scenario's, whose files the compile then
// reports missing; several stop the command with a list of them, until one
// is named. A source file names its own pair, as far as its name can: a
// train source's, exactly; a line source's, when one train source stands
// beside it or the author names the train.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "model/file_names.h"

// The names of the files in `dir` (empty: the current directory), or none
// when it cannot be read.
std::vector<std::string> folder_file_names(const std::string& dir);

// The pair meant, or why there is none to compile.
struct source_choice {
  scenario_names names;
  std::string fault;  // empty: `names` is the pair
  bool ok() const { return fault.empty(); }
};

// The pair of a folder holding the files `names`, shown to the author as
// `shown_dir` (empty: "this folder"), with what the author gave.
source_choice choose_folder_pair(const std::vector<std::string>& names,
                                 const std::string& shown_dir,
                                 const std::optional<std::string>& scenario,
                                 const std::optional<std::string>& train);

// The pair a source file `source` belongs to, among the files `names` of
// its folder (which need not hold `source` itself), with the train the
// author named, if any. A file that is no source is a fault as well.
source_choice choose_source_pair(const std::vector<std::string>& names,
                                 const std::string& shown_dir,
                                 const std::string& source,
                                 const std::optional<std::string>& train);
