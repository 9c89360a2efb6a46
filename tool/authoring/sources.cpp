#include "tool/authoring/sources.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

#include "base/terminal_text.h"
#include "run/run_sequence.h"

namespace {

bool holds_name(const std::vector<std::string>& names,
                const std::string& name) {
  return std::find(names.begin(), names.end(), name) != names.end();
}

// "the sources 'A' and 'B' cannot be compiled: WHY" for a pair found in a
// folder whose names would not do as --scenario and --train.
std::string pair_name_fault(const scenario_names& pair) {
  std::string fault = name_fault(pair.scenario);
  if (fault.empty()) fault = name_fault(pair.train);
  if (fault.empty()) return "";
  return "the sources '" + terminal_safe(line_source_file(pair.scenario)) +
         "' and '" +
         terminal_safe(train_source_file(pair.scenario, pair.train)) +
         "' cannot be compiled: " + fault;
}

std::string several_pairs_fault(const std::vector<scenario_names>& pairs,
                                const std::string& shown_dir) {
  std::string fault = (shown_dir.empty() ? std::string("this folder")
                                         : terminal_safe(shown_dir)) +
                      " holds the sources of " + std::to_string(pairs.size()) +
                      " scenarios; name one with --scenario and --train:";
  for (const scenario_names& p : pairs)
    fault += "\n  --scenario '" + terminal_safe(p.scenario) + "' --train '" +
             terminal_safe(p.train) + "'";
  return fault;
}

// The one pair left of `pairs`, or the fault of none or several.
source_choice one_of(const std::vector<scenario_names>& pairs,
                     const std::string& shown_dir, scenario_names fallback) {
  source_choice choice;
  if (pairs.empty()) {
    choice.names = std::move(fallback);
  } else if (pairs.size() == 1) {
    // A name found in the folder is held to the rules of a name typed
    // after --scenario and --train.
    choice.names = pairs.front();
    choice.fault = pair_name_fault(choice.names);
  } else {
    choice.fault = several_pairs_fault(pairs, shown_dir);
  }
  return choice;
}

}  // namespace

std::vector<std::string> folder_file_names(const std::string& dir) {
  std::vector<std::string> names;
  std::error_code ec;
  for (const auto& entry :
       std::filesystem::directory_iterator(dir.empty() ? "." : dir, ec))
    names.push_back(entry.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

source_choice choose_folder_pair(const std::vector<std::string>& names,
                                 const std::string& shown_dir,
                                 const std::optional<std::string>& scenario,
                                 const std::optional<std::string>& train) {
  scenario_names given{scenario.value_or(embedded_scenario_name),
                       train.value_or(embedded_train_name)};
  if (scenario && train) return {given, ""};
  std::vector<scenario_names> pairs;
  for (const scenario_names& pair : source_pairs_among(names))
    if ((!scenario || pair.scenario == *scenario) &&
        (!train || pair.train == *train))
      pairs.push_back(pair);
  return one_of(pairs, shown_dir, std::move(given));
}

source_choice choose_source_pair(const std::vector<std::string>& names,
                                 const std::string& shown_dir,
                                 const std::string& source,
                                 const std::optional<std::string>& train) {
  std::string scenario;
  if (scenario_of_line_source(source, scenario))
    return choose_folder_pair(names, shown_dir, scenario, train);
  const std::vector<scenario_names> readings = readings_of_train_source(source);
  if (readings.empty())
    return {{},
            terminal_safe(source) +
                " is no source: a line source is named NAME_linea.txt and a "
                "train source NAME_TRAIN-.txt"};
  // The scenario name may itself hold '_': it is the one whose line source
  // stands beside the train source.
  for (const scenario_names& reading : readings)
    if (holds_name(names, line_source_file(reading.scenario)))
      return {reading, ""};
  return {{},
          "no line source SCENARIO_linea.txt stands beside " +
              terminal_safe(source) +
              ": a train source is read over the grid of its line"};
}
