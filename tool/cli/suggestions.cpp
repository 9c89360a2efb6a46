#include "tool/cli/suggestions.h"

#include <algorithm>
#include <cstddef>

namespace {

// The edit distance of two words (insertions, deletions, substitutions).
std::size_t edit_distance(std::string_view a, std::string_view b) {
  std::vector<std::size_t> row(b.size() + 1);
  for (std::size_t j = 0; j <= b.size(); ++j) row[j] = j;
  for (std::size_t i = 1; i <= a.size(); ++i) {
    std::size_t diagonal = row[0];
    row[0] = i;
    for (std::size_t j = 1; j <= b.size(); ++j) {
      const std::size_t above = row[j];
      row[j] = std::min({row[j] + 1, row[j - 1] + 1,
                         diagonal + (a[i - 1] == b[j - 1] ? 0 : 1)});
      diagonal = above;
    }
  }
  return row[b.size()];
}

}  // namespace

// " (did you mean 'WORD'?)" for the nearest of `words`, when it is near
// enough to be a slip of the keys; empty otherwise.
std::string did_you_mean(std::string_view word,
                         const std::vector<std::string>& words) {
  const std::string* best = nullptr;
  std::size_t best_distance = 0;
  for (const std::string& candidate : words) {
    const std::size_t d = edit_distance(word, candidate);
    if (best == nullptr || d < best_distance) {
      best = &candidate;
      best_distance = d;
    }
  }
  if (best == nullptr ||
      best_distance > std::max<std::size_t>(2, word.size() / 3))
    return "";
  return " (did you mean '" + *best + "'?)";
}
