#include "tool/authoring/field_account.h"

#include <cstddef>
#include <string>

#include "reader/format_reference.h"
#include "reader/grammar.h"

namespace {

std::string number_text(const traced_field& f, const field_rule& rule) {
  std::string text = std::to_string(f.value);
  if (!rule.unit.empty()) text += " " + std::string(rule.unit);
  return text;
}

const row_rule* row_of(int index) {
  if (index < 0 || static_cast<std::size_t>(index) >= row_count) return nullptr;
  return &grammar_rows()[index];
}

}  // namespace

std::string field_account(const traced_field& f) {
  const row_rule* row = row_of(f.row);
  switch (f.role) {
    case field_role::keyword: {
      std::string text = std::string("keyword: starts a ") + row->name +
                         " row (its section is " + row->section + ")";
      if (const row_rule* second = row_of(f.second_row))
        text += std::string(", and a ") + second->name +
                " row after it, with fields of its own";
      if (!f.place.empty()) text += "\n      placed: " + f.place;
      return text;
    }
    case field_role::data: {
      if (row == nullptr || f.field < 0 ||
          static_cast<std::size_t>(f.field) >= row->fields.count)
        return "a field of the row";
      const field_rule& rule = row->fields.items[f.field];
      std::string text = std::string(row->name) + " field " +
                         std::to_string(f.field + 1) + ", " +
                         std::string(rule.name) + ": ";
      if (f.is_number && !f.fits)
        return text + "does not fit its field (" + field_type_words(rule.type) +
               "): the reading fails with code 25";
      text += f.is_number ? number_text(f, rule) : "'" + f.text + "'";
      return text + "; stored in " + std::string(rule.stored);
    }
    case field_role::comment:
      return "a comment: passed over";
    case field_role::section:
      return "a section marker";
    case field_role::passed_over:
      return "passed over: it starts no row here";
    case field_role::empty:
      return "an empty field: passed over";
    case field_role::never_read:
      return "the last field of the file: never examined";
    case field_role::before_general:
      return "stands before [generale]: never read";
    case field_role::unexamined:
      break;
  }
  return "not read: the reading ended before it";
}
