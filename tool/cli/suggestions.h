// The word an author may have meant, for a mistyped command or option.
#pragma once

#include <string>
#include <string_view>
#include <vector>

// " (did you mean 'WORD'?)" for the nearest of `words`, when it is near
// enough to be a slip of the keys; empty otherwise.
std::string did_you_mean(std::string_view word,
                         const std::vector<std::string>& words);
