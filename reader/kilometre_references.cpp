#include "reader/kilometre_references.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <utility>

#include "model/cell_geometry.h"
#include "reader/row_notes.h"

namespace {

// Why all three references are cleared, if they are.
enum class reference_clearing {
  none,
  greatest_shared,   // two references share the greatest first number
  nothing_to_order,  // first numbers add up to 0 and no second is above 0
};

// A reference as it is moved between the slots.
struct reference {
  std::int32_t f, t, a;
  std::int32_t line;  // where the row stood, for reports
};

std::int32_t& reference_line(compile_context& ctx, int slot) {
  return ctx
      .reference_lines[static_cast<std::size_t>(slot - slot_reference_three)];
}

reference take(compile_context& ctx, int slot) {
  const line_record& s = ctx.table.slots[static_cast<std::size_t>(slot)];
  return {s.from_m, s.to_m, s.at_m, reference_line(ctx, slot)};
}

// The sum of the first numbers is a 32-bit sum; only its low bits count.
std::uint32_t first_number_sum(std::int32_t a, std::int32_t b, std::int32_t c) {
  return static_cast<std::uint32_t>(a) + static_cast<std::uint32_t>(b) +
         static_cast<std::uint32_t>(c);
}

// The order of slots 81, 82 and 83 for references that are kept. `c`, `b`
// and `a` are the "uno", "due" and "tre" rows, the order ties are broken in.
std::array<reference, 3> kept_order(const reference& a, const reference& b,
                                    const reference& c) {
  if (first_number_sum(a.f, b.f, c.f) != 0) {
    std::array<reference, 3> by_f = {c, b, a};
    // A stable sort by first number, greatest first, keeps uno/due/tre order
    // among equal ones.
    for (std::size_t i = 1; i < by_f.size(); ++i)
      for (std::size_t j = i; j > 0 && by_f[j].f > by_f[j - 1].f; --j)
        std::swap(by_f[j], by_f[j - 1]);
    return by_f;
  }
  if (c.t > 0) return {c, b, a};
  if (b.t > 0) return {b, a, c};
  return {a, b, c};  // already in their places
}

reference_clearing references_cleared(const line_table& table) {
  const line_record& a = table.slots[slot_reference_three];
  const line_record& b = table.slots[slot_reference_two];
  const line_record& c = table.slots[slot_reference_one];
  if (first_number_sum(a.from_m, b.from_m, c.from_m) != 0) {
    // The greatest first number must be one reference's alone.
    const std::int32_t greatest = std::max({a.from_m, b.from_m, c.from_m});
    const int sharing = (a.from_m == greatest) + (b.from_m == greatest) +
                        (c.from_m == greatest);
    return sharing > 1 ? reference_clearing::greatest_shared
                       : reference_clearing::none;
  }
  if (c.to_m > 0 || b.to_m > 0 || a.to_m > 0) return reference_clearing::none;
  return reference_clearing::nothing_to_order;
}

}  // namespace

void progressive_ordina(compile_context& ctx) {
  const reference_clearing clearing = references_cleared(ctx.table);
  const bool all_zero = clearing != reference_clearing::none;
  if (all_zero)
    note_references_cleared(ctx.notes, ctx.table,
                            clearing == reference_clearing::greatest_shared);
  const std::array<reference, 3> order =
      kept_order(take(ctx, slot_reference_three), take(ctx, slot_reference_two),
                 take(ctx, slot_reference_one));
  const int slots[3] = {slot_reference_three, slot_reference_two,
                        slot_reference_one};
  for (std::size_t i = 0; i < 3; ++i) {
    line_record& s = ctx.table.slots[static_cast<std::size_t>(slots[i])];
    const reference ref = all_zero ? reference{0, 0, 0, 0} : order[i];
    s.from_m = ref.f;
    s.to_m = ref.t;
    s.at_m = ref.a;
    reference_line(ctx, slots[i]) = ref.line;
    // A reference marked 1 in its third number is moved on by 100 m, the
    // sum keeping its low 32 bits.
    if (s.at_m == 1)
      s.to_m =
          static_cast<std::int32_t>(static_cast<std::uint32_t>(s.to_m) + 100u);
  }
}

void check_kilometre_references(compile_context& ctx) {
  for (int slot :
       {slot_reference_three, slot_reference_two, slot_reference_one}) {
    const line_record& record = ctx.table.slots[static_cast<std::size_t>(slot)];
    if (!on_cell_boundary(record.from_m) || !on_cell_boundary(record.to_m)) {
      record_error_code(ctx, code_reference_not_whole_cells);
      // The fault lies in the line source, in the row this reference was
      // read from.
      ctx.error_where = error_source::line_source;
      ctx.error_line = reference_line(ctx, slot);
      return;
    }
  }
}
