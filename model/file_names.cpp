#include "model/file_names.h"

#include <algorithm>

namespace {

bool ends_with(std::string_view s, std::string_view end) {
  return s.size() > end.size() && s.substr(s.size() - end.size()) == end;
}

std::string joined(std::string_view scenario, std::string_view train,
                   std::string_view tail) {
  std::string name(scenario);
  name += '_';
  name += train;
  name += tail;
  return name;
}

}  // namespace

std::string line_source_file(std::string_view scenario) {
  return std::string(scenario) + std::string(line_source_suffix);
}
std::string train_source_file(std::string_view scenario,
                              std::string_view train) {
  return joined(scenario, train, train_source_suffix);
}
std::string notes_file(std::string_view scenario, std::string_view train) {
  return joined(scenario, train, "_note.txt");
}
std::string slowdown_form_file(std::string_view scenario,
                               std::string_view train) {
  return joined(scenario, train, "_rallentamenti.txt");
}
std::string train_card_file(std::string_view scenario, std::string_view train) {
  return joined(scenario, train, "_scheda_treno.txt");
}
std::string line_profile_file(std::string_view scenario) {
  return std::string(scenario) + std::string(line_profile_suffix);
}
std::string line_table_file(std::string_view scenario, std::string_view train) {
  return joined(scenario, train, line_table_suffix);
}
std::string track_file(std::string_view scenario, std::string_view train) {
  return joined(scenario, train, track_file_suffix);
}

bool scenario_of_line_source(std::string_view name, std::string& scenario) {
  if (!ends_with(name, line_source_suffix)) return false;
  scenario = name.substr(0, name.size() - line_source_suffix.size());
  return true;
}

std::vector<scenario_names> readings_of_train_source(std::string_view name) {
  std::vector<scenario_names> readings;
  if (!ends_with(name, train_source_suffix)) return readings;
  const std::string_view stem =
      name.substr(0, name.size() - train_source_suffix.size());
  for (std::size_t i = stem.find('_'); i != std::string_view::npos;
       i = stem.find('_', i + 1))
    if (i > 0 && i + 1 < stem.size())
      readings.push_back(
          {std::string(stem.substr(0, i)), std::string(stem.substr(i + 1))});
  return readings;
}

std::vector<scenario_names> source_pairs_among(std::vector<std::string> names) {
  std::sort(names.begin(), names.end());
  names.erase(std::unique(names.begin(), names.end()), names.end());
  std::vector<scenario_names> pairs;
  for (const std::string& line : names) {
    std::string scenario;
    if (!scenario_of_line_source(line, scenario)) continue;
    for (const std::string& train : names)
      for (const scenario_names& reading : readings_of_train_source(train))
        if (reading.scenario == scenario) pairs.push_back(reading);
  }
  return pairs;
}

std::vector<std::string> sources_of_binary_file(std::string_view name,
                                                bool is_profile) {
  const std::string_view stem = name.substr(0, name.rfind('.'));
  if (is_profile) return {std::string(stem) + ".txt"};
  std::vector<std::string> sources = {std::string(stem) +
                                      std::string(train_source_suffix)};
  for (std::size_t i = stem.find('_'); i != std::string_view::npos;
       i = stem.find('_', i + 1))
    sources.push_back(line_source_file(stem.substr(0, i)));
  return sources;
}

std::string name_fault(std::string_view name) {
  if (name.empty()) return "a name cannot be empty";
  for (char c : name) {
    if (c == '/' || c == '\\')
      return "a name is part of a file name and cannot hold '/' or '\\': " +
             std::string(name);
    const auto byte = static_cast<unsigned char>(c);
    if (byte < 0x20 || byte == 0x7F)
      return "a name cannot hold control characters";
  }
  return "";
}
