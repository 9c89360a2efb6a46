// The names of a scenario's files, built from its scenario and train names,
// and read back from a file name: the one place that knows how a source, a
// document or a binary file is named.
//
//   NAME_linea.txt        the line source        NAME_linea.dat  the profile
//   NAME_TRAIN-.txt       the train source       NAME_TRAIN.sim  the table
//   NAME_TRAIN_note.txt, _rallentamenti.txt,     NAME_TRAIN.dat  the track
//   _scheda_treno.txt     the three documents
//
// A scenario name may itself hold '_', so a train source's name alone does
// not say where the scenario name ends: the line source beside it does.
#pragma once

#include <string>
#include <string_view>
#include <vector>

inline constexpr std::string_view line_source_suffix = "_linea.txt";
inline constexpr std::string_view train_source_suffix = "-.txt";
inline constexpr std::string_view line_profile_suffix = "_linea.dat";
inline constexpr std::string_view line_table_suffix = ".sim";
inline constexpr std::string_view track_file_suffix = ".dat";

std::string line_source_file(std::string_view scenario);
std::string train_source_file(std::string_view scenario,
                              std::string_view train);
std::string notes_file(std::string_view scenario, std::string_view train);
std::string slowdown_form_file(std::string_view scenario,
                               std::string_view train);
std::string train_card_file(std::string_view scenario, std::string_view train);
std::string line_profile_file(std::string_view scenario);
std::string line_table_file(std::string_view scenario, std::string_view train);
std::string track_file(std::string_view scenario, std::string_view train);

// A scenario and a train: the names a pair of sources is built from.
struct scenario_names {
  std::string scenario;
  std::string train;
  bool operator==(const scenario_names& o) const {
    return scenario == o.scenario && train == o.train;
  }
};

// The scenario of a line source's name; false for a name that is no line
// source.
bool scenario_of_line_source(std::string_view name, std::string& scenario);

// Every way of reading `name` as a train source SCENARIO_TRAIN-.txt, the
// shortest scenario name first; none for a name that is no train source.
std::vector<scenario_names> readings_of_train_source(std::string_view name);

// The pairs of sources among the file names of a folder: a line source
// SCENARIO_linea.txt with each train source SCENARIO_TRAIN-.txt beside it,
// in the order of their names.
std::vector<scenario_names> source_pairs_among(std::vector<std::string> names);

// The sources a binary file of this name is compiled from: for a profile
// S_linea.dat the line source S_linea.txt; for a line table or track file
// X.sim or X.dat the train source X-.txt and every S_linea.txt where X is
// S_ and a train name.
std::vector<std::string> sources_of_binary_file(std::string_view name,
                                                bool is_profile);

// What is wrong with a scenario or train name, or empty when nothing is. The
// names become parts of file names, so a separator would put a file outside
// the folder the author named.
std::string name_fault(std::string_view name);
