#include "tool/cli/export_command.h"

#include <vector>

#include "base/terminal_text.h"
#include "model/compile_context.h"
#include "platform/platform.h"
#include "run/run_sequence.h"
#include "scenario/write_document.h"
#include "tool/authoring/session.h"
#include "tool/cli/command_files.h"
#include "tool/cli/new_scenario.h"

CLI::App* add_export_command(CLI::App& app, export_options& o) {
  CLI::App* command = app.add_subcommand(
      "export",
      "write the embedded scenario's two sources and three documents");
  command->add_option(
      "--dir", o.dir,
      "the directory to write into, made when it does not exist (default: "
      "the current directory)");
  command->add_flag("--force", o.force, "replace files of the same names");
  command->add_flag("--annotated", o.annotated,
                    "put a comment before the rows of each kind");
  return command;
}

int run_export(const export_options& o, std::ostream& err) {
  constexpr int status_stopped = 2;
  if (!make_directory(o.dir, err)) return status_stopped;
  author_settings s;
  s.dir = o.dir;
  s.names = {embedded_scenario_name, embedded_train_name};
  compile_context ctx = author_context(s);
  // Exporting over an edited scenario would silently throw the author's work
  // away, so existing files are replaced only on request.
  if (!may_write_files(
          ctx.files, o.dir,
          {line_source_name(ctx), train_source_name(ctx), notes_file_name(ctx),
           slowdown_form_file_name(ctx), train_card_file_name(ctx)},
          o.force, err))
    return status_stopped;
  // The five files are one set: written in full first, then renamed over
  // the earlier ones together, so a fault leaves none of them half new.
  std::vector<staged_file> staged;
  ctx.files.staged = &staged;
  folder_lock lock;
  step_result r = lock_folder(ctx.files, folder_lock_wait_ms, lock);
  using writer = step_result (*)(compile_context&);
  for (writer write : {o.annotated ? dati_linea_annotated : dati_linea,
                       o.annotated ? dati_treno_annotated : dati_treno,
                       dati_note, dati_rallentamenti, dati_scheda})
    if (r.ok()) r = write(ctx);
  r = finish_staged(ctx.files, r);
  if (!r.ok()) {
    err << "scenario_tool: error: " << terminal_safe(r.detail) << '\n';
    return status_stopped;
  }
  return 0;
}
