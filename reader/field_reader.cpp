#include "reader/field_reader.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

bool is_blank(char c) { return c == ' ' || c == '\t'; }
bool is_line_end(char c) { return c == '\r' || c == '\n'; }

char lower(char c) {
  return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

void skip_blanks(source_cursor& cur) {
  while (!at_end(cur) && is_blank(cur.text[cur.pos])) ++cur.pos;
}

// Consumes one line end: CR LF, a lone LF or a lone CR.
void consume_line_end(source_cursor& cur) {
  if (cur.text[cur.pos] == '\r' && cur.pos + 1 < cur.text.size() &&
      cur.text[cur.pos + 1] == '\n')
    ++cur.pos;
  ++cur.pos;
  ++cur.line;
  cur.line_start = cur.pos;
}

// Consumes one comma or one line end, if it is the next character.
void consume_delimiter(source_cursor& cur) {
  if (at_end(cur)) return;
  if (cur.text[cur.pos] == ',')
    ++cur.pos;
  else if (is_line_end(cur.text[cur.pos]))
    consume_line_end(cur);
}

void mark_field_start(source_cursor& cur) {
  ++cur.fields_started;
  cur.field_line = cur.line;
  cur.field_column = static_cast<std::int32_t>(cur.pos - cur.line_start) + 1;
  if (cur.fields_started == cur.row_field_base + 1) {
    cur.row_first_line = cur.field_line;
    cur.row_first_column = cur.field_column;
  }
}

// Appends the field just read to the trace, which the bytes [start, end)
// of the text held; a field read while a row is being read is that row's
// next data field. A quoted field that holds a line end ends, on its own
// line, at that line end.
void trace_field(source_cursor& cur, std::string_view text, bool is_number,
                 std::int64_t value, bool fits, std::size_t start,
                 std::size_t end) {
  field_trace& trace = *cur.trace;
  traced_field f;
  f.source = trace.source;
  f.line = cur.field_line;
  f.column = cur.field_column;
  const std::string_view written = cur.text.substr(start, end - start);
  f.end_column = f.column + static_cast<std::int32_t>(std::min(
                                written.size(), written.find_first_of("\r\n")));
  f.text.assign(text);
  f.is_number = is_number;
  f.value = value;
  f.fits = fits;
  if (trace.current_row >= 0) {
    f.role = field_role::data;
    f.row = trace.current_row;
    f.field = trace.next_field++;
  }
  trace.fields.push_back(std::move(f));
}

// Reads sign and digits into a 64-bit value, which is wide enough to tell any
// field of up to 18 digits from an out-of-range one; longer digit runs are
// marked as too large.
bool parse_number(std::string_view s, std::int64_t& value, number_form& form) {
  value = 0;
  if (s.empty()) {
    form = number_form::empty;
    return true;
  }
  std::size_t i = 0;
  bool negative = false;
  if (s[i] == '+' || s[i] == '-') {
    negative = s[i] == '-';
    ++i;
  }
  std::size_t first_digit = i;
  bool too_large = false;
  while (i < s.size() && s[i] >= '0' && s[i] <= '9') {
    if (value > std::int64_t{100000000000000000}) too_large = true;
    if (!too_large) value = value * 10 + (s[i] - '0');
    ++i;
  }
  if (i == first_digit) {
    value = 0;
    form = number_form::not_number;
    return true;
  }
  form = i == s.size() ? number_form::number : number_form::cut;
  if (negative) value = -value;
  return !too_large;
}

template <typename T>
bool out_of_range(source_cursor& cur, std::string_view digits) {
  cur.failure = field_failure::out_of_range;
  cur.failed_text.assign(digits);
  cur.failed_min = std::numeric_limits<T>::min();
  cur.failed_max = std::numeric_limits<T>::max();
  return false;
}

template <typename T>
bool read_number_as(source_cursor& cur, T& out) {
  cur.failure = field_failure::none;
  if (at_end(cur)) {
    cur.failure = field_failure::file_ended;
    return false;
  }
  skip_blanks(cur);
  mark_field_start(cur);
  std::size_t start = cur.pos;
  while (!at_end(cur) && !is_blank(cur.text[cur.pos]) &&
         cur.text[cur.pos] != ',' && !is_line_end(cur.text[cur.pos]))
    ++cur.pos;
  std::string_view digits = cur.text.substr(start, cur.pos - start);
  skip_blanks(cur);
  consume_delimiter(cur);

  std::int64_t value = 0;
  const std::size_t end = start + digits.size();
  if (!parse_number(digits, value, cur.last_number)) {
    if (cur.trace != nullptr)
      trace_field(cur, digits, true, value, false, start, end);
    return out_of_range<T>(cur, digits);
  }
  if (cur.keep_odd_numbers && (cur.last_number == number_form::not_number ||
                               cur.last_number == number_form::cut))
    cur.odd_numbers.push_back({cur.field_line, cur.field_column,
                               cur.last_number, std::string(digits)});
  const bool fits = value >= std::numeric_limits<T>::min() &&
                    value <= std::numeric_limits<T>::max();
  if (cur.trace != nullptr)
    trace_field(cur, digits, true, value, fits, start, end);
  if (!fits) return out_of_range<T>(cur, digits);
  out = static_cast<T>(value);
  return true;
}

}  // namespace

bool read_text_field(source_cursor& cur, std::string& out) {
  cur.failure = field_failure::none;
  if (at_end(cur)) {
    cur.failure = field_failure::file_ended;
    return false;
  }
  skip_blanks(cur);
  mark_field_start(cur);
  out.clear();
  if (!at_end(cur) && cur.text[cur.pos] == '"') {
    const std::size_t quote = cur.pos;
    ++cur.pos;
    while (!at_end(cur) && cur.text[cur.pos] != '"') {
      if (is_line_end(cur.text[cur.pos])) {
        // A quoted field may hold a line end; keep it as written.
        std::size_t before = cur.pos;
        consume_line_end(cur);
        out.append(cur.text.substr(before, cur.pos - before));
      } else {
        out += cur.text[cur.pos++];
      }
    }
    if (!at_end(cur)) ++cur.pos;  // the closing quote
    const std::size_t closed = cur.pos;
    // Whatever follows the closing quote up to the delimiter is dropped.
    while (!at_end(cur) && cur.text[cur.pos] != ',' &&
           !is_line_end(cur.text[cur.pos]))
      ++cur.pos;
    consume_delimiter(cur);
    if (cur.trace != nullptr)
      trace_field(cur, out, false, 0, true, quote, closed);
    return true;
  }
  std::size_t start = cur.pos;
  while (!at_end(cur) && cur.text[cur.pos] != ',' &&
         !is_line_end(cur.text[cur.pos]))
    ++cur.pos;
  std::size_t end = cur.pos;
  while (end > start && is_blank(cur.text[end - 1])) --end;
  out.assign(cur.text.substr(start, end - start));
  consume_delimiter(cur);
  if (cur.trace != nullptr) trace_field(cur, out, false, 0, true, start, end);
  return true;
}

bool read_number_field(source_cursor& cur, std::int32_t& out) {
  return read_number_as(cur, out);
}
bool read_number_field(source_cursor& cur, std::int16_t& out) {
  return read_number_as(cur, out);
}
bool read_number_field(source_cursor& cur, std::uint8_t& out) {
  return read_number_as(cur, out);
}

void skip_rest_of_field_line(source_cursor& cur) {
  while (!at_end(cur) && cur.line == cur.field_line) {
    if (is_line_end(cur.text[cur.pos]))
      consume_line_end(cur);
    else
      ++cur.pos;
  }
}

bool contains_keyword(std::string_view token, std::string_view keyword) {
  if (keyword.empty()) return true;
  if (keyword.size() > token.size()) return false;
  for (std::size_t i = 0; i + keyword.size() <= token.size(); ++i) {
    std::size_t j = 0;
    while (j < keyword.size() && lower(token[i + j]) == lower(keyword[j])) ++j;
    if (j == keyword.size()) return true;
  }
  return false;
}

bool contains_exact(std::string_view token, std::string_view keyword) {
  return token.find(keyword) != std::string_view::npos;
}

skip_outcome skip_comments(source_cursor& cur, std::string& token, int limit,
                           bool end_test) {
  for (int skipped = 0; skipped < limit && is_comment(token); ++skipped) {
    if (!read_text_field(cur, token)) return skip_outcome::failure;
    if (end_test && at_end(cur)) return skip_outcome::end_reached;
  }
  return skip_outcome::token_ready;
}

namespace {

// Whether a field read as a number would find digits at `at`: a digit, or
// a sign and a digit.
bool begins_as_number(std::string_view text, std::size_t at) {
  const auto is_digit = [&](std::size_t i) {
    return i < text.size() && text[i] >= '0' && text[i] <= '9';
  };
  return is_digit(at) ||
         ((at < text.size() && (text[at] == '+' || text[at] == '-')) &&
          is_digit(at + 1));
}

}  // namespace

std::int32_t field_end_by_rules(std::string_view line_text,
                                std::int32_t column) {
  if (column <= 0) return column;
  const auto start = static_cast<std::size_t>(column - 1);
  if (start >= line_text.size()) return column + 1;
  std::size_t end = start;
  if (line_text[start] == '"') {
    const std::size_t close = line_text.find('"', start + 1);
    end = close == std::string_view::npos ? line_text.size() : close + 1;
    return static_cast<std::int32_t>(end) + 1;
  }
  if (begins_as_number(line_text, start)) {
    while (end < line_text.size() && !is_blank(line_text[end]) &&
           line_text[end] != ',')
      ++end;
    std::size_t next = end;
    while (next < line_text.size() && is_blank(line_text[next])) ++next;
    // Numbers apart by blanks, or a number alone in its field.
    if (next == line_text.size() || line_text[next] == ',' ||
        begins_as_number(line_text, next))
      return static_cast<std::int32_t>(end) + 1;
    end = start;
  }
  end = std::min(line_text.size(), line_text.find(',', start));
  while (end > start + 1 && is_blank(line_text[end - 1])) --end;
  return static_cast<std::int32_t>(std::max(end, start + 1)) + 1;
}
