#include "run/run_sequence.h"

#include <string>

#include "output/binary_files.h"
#include "output/markers.h"
#include "reader/memorizza_dati.h"
#include "run/error_messages.h"
#include "scenario/write_document.h"

namespace {

// The message box of a failed header check: " Errore n. " and the number.
void errore(compile_context& ctx, const std::string& a) {
  show_message(ctx.files, " Errore n. " + a);
}

step_result write_documents(compile_context& ctx) {
  using writer = step_result (*)(compile_context&);
  for (writer write :
       {dati_linea, dati_treno, dati_note, dati_rallentamenti, dati_scheda}) {
    step_result r = write(ctx);
    if (!r.ok()) return r;
  }
  return step_ok();
}

// The error slot in one line. A reading failure also says what failed: the
// file and the operation that the system refused, or the row that could not
// be read, so the user knows where to look.
std::string error_slot_line(const compile_context& ctx) {
  std::string text = describe_error_slot(ctx);
  if (ctx.error_code == code_reading_failure && !ctx.error_detail.empty())
    text += ": " + ctx.error_detail;
  return text;
}

}  // namespace

step_result memorizza_percorso(compile_context& ctx, std::int32_t j) {
  ctx.write_flag = j;
  ctx.error_code = 0;
  ctx.error_position = 0;
  clear_line_table(ctx.table);
  memorizza_dati(ctx);
  if (!ctx.grid.allocated())
    return step_fail(step_code::no_grid,
                     "no output written: the line source never gave the line "
                     "length, so there is no track grid");
  place_markers(ctx);
  step_result r = header_step(ctx);
  if (!r.ok()) return r;
  return write_binary_files(ctx);
}

void report_outcome(compile_context& ctx, const step_result& result) {
  const std::string program = "genera_scenario: ";
  switch (result.code) {
    case step_code::ok:
      if (ctx.error_code != 0)
        show_message(ctx.files, program + error_slot_line(ctx));
      break;
    case step_code::header_check:
      errore(ctx, result.detail);
      break;
    case step_code::no_grid:
      show_message(ctx.files,
                   program + error_slot_line(ctx) + "; " + result.detail);
      break;
    case step_code::file_fault:
      show_message(ctx.files, program + result.detail);
      break;
  }
}

step_result run_program(compile_context& ctx) {
  ctx.scenario_name = embedded_scenario_name;
  ctx.train_name = embedded_train_name;
  show_wait_window(ctx.files);
  // A second run started in the same folder (the program opened twice)
  // would write, read and remove the same sources and outputs: it waits
  // here until this one has ended, and then does the whole run itself.
  folder_lock lock;
  step_result r = lock_folder(ctx.files, folder_lock_wait_ms, lock);
  if (r.ok()) r = write_documents(ctx);
  if (r.ok()) r = memorizza_percorso(ctx, 1);
  close_wait_window(ctx.files);
  report_outcome(ctx, r);
  return r;
}

int exit_status(const compile_context& ctx, const step_result& result) {
  if (!result.ok()) return 2;
  return ctx.error_code != 0 ? 1 : 0;
}
