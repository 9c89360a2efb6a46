// The one scenario this program carries, as lists of text lines, one list per
// document. Every list ends with `end_marker`, which tells `write_document`
// where the document ends and is never written itself.
#pragma once

#include <string>
#include <string_view>
#include <vector>

inline constexpr std::string_view end_marker = "riferimento fine del file";

// The line source: 186 lines.
std::vector<std::string> line_source_document();
// The train source: 115 lines.
std::vector<std::string> train_source_document();
// The train card: 56 lines.
std::vector<std::string> train_card_document();
// The blank slowdown order form: 46 lines.
std::vector<std::string> slowdown_form_document();
// The notes document: no lines at all.
std::vector<std::string> notes_document();
