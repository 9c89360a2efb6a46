#include "tool/lsp/lsp_completion.h"

#include <algorithm>
#include <string_view>
#include <utility>

#include "base/text.h"
#include "reader/grammar.h"
#include "tool/lsp/lsp_hover.h"

namespace {

using json = nlohmann::json;

// The section marker that stands last before `upto` in a single-byte text:
// a field holding both '[' and ']', lower case, from '[' to ']'.
std::string section_before(std::string_view text, std::size_t upto) {
  std::string section;
  std::size_t field = 0;
  for (std::size_t i = 0; i <= upto && i <= text.size(); ++i) {
    if (i < upto && i < text.size() && text[i] != ',' && text[i] != '\r' &&
        text[i] != '\n')
      continue;
    const std::string_view f = text.substr(field, i - field);
    const std::size_t open = f.find('[');
    const std::size_t close =
        f.find(']', open == std::string_view::npos ? 0 : open);
    if (open != std::string_view::npos && close != std::string_view::npos) {
      section = std::string(f.substr(open, close - open + 1));
      for (char& c : section)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    field = i + 1;
  }
  return section;
}

std::string snippet_escaped(std::string_view text) {
  std::string out;
  for (char c : text) {
    if (c == '$' || c == '}' || c == '\\') out += '\\';
    out += c;
  }
  return out;
}

// The row as a snippet: its keyword and each field as a placeholder named
// after it. A keyword that carries a value (a curve's class) is one too.
std::string row_snippet(const row_rule& row) {
  int n = 1;
  std::string text;
  if (std::string_view(row.example) != row.written)
    text =
        "${" + std::to_string(n++) + ":" + snippet_escaped(row.example) + "}";
  else
    text = snippet_escaped(row.written);
  for (const field_rule& f : row.fields)
    text += ", ${" + std::to_string(n++) + ":" + snippet_escaped(f.name) + "}";
  return text;
}

// A row as a completion item: its keyword, its fields in the documentation,
// and a snippet that replaces the line from `from` to the cursor.
json completion_item(const row_rule& row, text_position at, std::int32_t from) {
  std::string fields;
  for (const field_rule& f : row.fields)
    fields += "- " + field_markdown(f) + "\n";
  return {{"label", row.written},
          {"kind", 14},
          {"detail", std::string(row.name) + " row, " + row.section},
          {"documentation",
           {{"kind", "markdown"},
            {"value", std::string(row.meaning) + "\n\n" + fields}}},
          {"filterText", row.written},
          {"insertTextFormat", 2},
          {"textEdit",
           {{"range", range_json(at.line, from, at.line, at.character)},
            {"newText", row_snippet(row)}}}};
}

}  // namespace

lsp_answer completion(const lsp_workspace& ws, const std::string& uri,
                      text_position at) {
  const requested_document r = find_document(ws, uri);
  if (!r.fault.empty()) return failed_answer(r.fault);
  const lsp_document* d = &r.document();
  lsp_answer a;
  a.result = json::array();
  const line_index lines = index_lines(d->text.bytes);
  if (!r.is_source || at.line < 0 ||
      static_cast<std::size_t>(at.line) >= line_count(lines))
    return a;
  const std::size_t begin = lines.begins[static_cast<std::size_t>(at.line)];
  const std::size_t end = lines.ends[static_cast<std::size_t>(at.line)];
  const std::size_t cursor = std::min(
      end, begin + static_cast<std::size_t>(std::max(
                       0, byte_column(d->text, at.line, at.character))));
  // Only in a row's first field, where its keyword stands; a comment is no
  // place for one.
  const std::string before = d->text.bytes.substr(begin, cursor - begin);
  const std::size_t first = before.find_first_not_of(" \t");
  if (before.find(',') != std::string::npos ||
      (first != std::string::npos && before[first] == '-'))
    return a;
  const std::string section = section_before(d->text.bytes, begin);
  const std::int32_t from =
      first == std::string::npos
          ? at.character
          : utf16_column(d->text, at.line, static_cast<std::int32_t>(first));
  const source_file source = r.pair.which == error_source::line_source
                                 ? source_file::line
                                 : source_file::train;
  for (const row_rule& row : source_rows(source))
    if (section == row.section)
      a.result.push_back(completion_item(row, at, from));
  return a;
}
