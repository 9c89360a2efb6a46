#include "tool/tool_main.h"

#include <CLI/CLI.hpp>
#include <string>
#include <vector>

#include "model/compile_context.h"
#include "platform/platform.h"
#include "run/error_messages.h"
#include "run/run_sequence.h"
#include "scenario/write_document.h"
#include "tool/check.h"
#include "tool/dump.h"
#include "tool/explain.h"
#include "tool/new_scenario.h"
#include "tool/plot.h"

namespace {

constexpr const char* program_name = "scenario_tool";
constexpr int status_stopped = 2;

struct tool_options {
  std::string dir;  // as the author gave it; empty: the current directory
  bool force = false;
  bool annotated = false;  // export: comments before the rows
  std::string scenario = embedded_scenario_name;
  std::string train = embedded_train_name;
  bool no_profile = false;
  bool summary = false;
  bool werror = false;          // check: warnings count as errors
  bool write_on_error = false;  // compile: write what the program would
  std::string input_encoding = "single-byte";  // or "utf-8"
};

// The names become parts of file names, so a separator would put a file
// outside the directory the author named.
std::string check_name(const std::string& name) {
  if (name.empty()) return "a name cannot be empty";
  for (char c : name) {
    if (c == '/' || c == '\\')
      return "a name is part of a file name and cannot hold '/' or '\\': " +
             name;
    const auto byte = static_cast<unsigned char>(c);
    if (byte < 0x20 || byte == 0x7F)
      return "a name cannot hold control characters";
  }
  return "";
}

// A file as the author should see it: under the directory as it was given,
// or bare when the tool works in the current directory.
std::string shown(const tool_options& o, const std::string& name) {
  return o.dir.empty() ? name : join_path(o.dir, name);
}

compile_context make_context(const tool_options& o, const std::string& scenario,
                             const std::string& train) {
  compile_context ctx;
  ctx.scenario_name = scenario;
  ctx.train_name = train;
  // Never the empty string: the platform would join it into a path at the
  // root of the file system.
  ctx.files.directory = o.dir.empty() ? "." : o.dir;
  ctx.files.headless = true;      // a terminal tool shows no window
  ctx.files.keep_sources = true;  // the sources are the author's work
  ctx.collect_warnings = true;
  ctx.input_encoding = o.input_encoding == "utf-8"
                           ? label_encoding::utf8
                           : label_encoding::single_byte;
  return ctx;
}

int run_export(const tool_options& o, std::ostream& err) {
  compile_context ctx =
      make_context(o, embedded_scenario_name, embedded_train_name);
  // Exporting over an edited scenario would silently throw the author's work
  // away, so existing files are replaced only on request.
  if (!o.force) {
    bool found = false;
    for (const std::string& name :
         {line_source_name(ctx), train_source_name(ctx), notes_file_name(ctx),
          slowdown_form_file_name(ctx), train_card_file_name(ctx)}) {
      if (!file_exists(ctx.files, name)) continue;
      err << program_name << ": error: " << shown(o, name)
          << " already exists\n";
      found = true;
    }
    if (found) {
      err << program_name
          << ": nothing written; use --force to replace these files\n";
      return status_stopped;
    }
  }
  using writer = step_result (*)(compile_context&);
  for (writer write : {o.annotated ? dati_linea_annotated : dati_linea,
                       o.annotated ? dati_treno_annotated : dati_treno,
                       dati_note, dati_rallentamenti, dati_scheda}) {
    step_result r = write(ctx);
    if (!r.ok()) {
      err << program_name << ": error: " << r.detail << '\n';
      return status_stopped;
    }
  }
  return 0;
}

// "FILE:LINE: error CODE: meaning (at P m)" for a code of a source row;
// marker placement has no source row, so its codes name the track cell.
std::string slot_diagnostic(const compile_context& ctx, const tool_options& o) {
  // A missing source (101) or one without its general section (102) is a
  // fault of the whole file, not of a row.
  const bool whole_file = ctx.error_code == code_no_line_source ||
                          ctx.error_code == code_no_general_section;
  const std::string line = ctx.error_line > 0 && !whole_file
                               ? ":" + std::to_string(ctx.error_line)
                               : "";
  std::string place;
  switch (ctx.error_where) {
    case error_source::line_source:
      place = shown(o, line_source_name(ctx)) + line;
      break;
    case error_source::train_source:
      place = shown(o, train_source_name(ctx)) + line;
      break;
    case error_source::markers:
      place = shown(o, track_file_name(ctx));
      if (ctx.error_cell >= 0)
        place += ": cell " + std::to_string(ctx.error_cell);
      break;
    case error_source::none:
      place = program_name;
      break;
  }
  std::string text = place + ": " + describe_error_slot(ctx);
  if (ctx.error_code == code_reading_failure && !ctx.error_detail.empty())
    text += ": " + ctx.error_detail;
  else if (!ctx.error_hint.empty())
    text += ": " + ctx.error_hint;
  return text;
}

std::string header_check_meaning(const std::string& number) {
  if (number == "1250")
    return "no place for the header values: cell 1 of the track (the first "
           "25 m of the line) holds a feature with a first value, or the "
           "track has no cell 1";
  if (number == "1251")
    return "no place for the race code: cell 1 of the track (the first 25 m "
           "of the line) holds a feature with a second value";
  return "a header place of the model is taken";
}

// The errors of a compile, then its warnings, as the author sees them.
// Returns how many errors and warnings were shown.
shown_warnings report_compile(const compile_context& ctx, const tool_options& o,
                              const step_result& r, std::ostream& err) {
  if (ctx.error_code != 0) err << slot_diagnostic(ctx, o) << '\n';
  switch (r.code) {
    case step_code::ok:
      break;
    case step_code::header_check:
      err << program_name << ": error: header check " << r.detail << ": "
          << header_check_meaning(r.detail) << '\n';
      break;
    case step_code::no_grid:
    case step_code::file_fault:
      if (!stop_follows_from_code(ctx, r))
        err << program_name << ": error: " << r.detail << '\n';
      break;
  }
  const shown_warnings notes =
      print_warnings(ctx, shown(o, line_source_name(ctx)),
                     shown(o, train_source_name(ctx)), o.werror, err);
  return {error_count(ctx, r) + notes.errors, notes.warnings};
}

void print_summary(const compile_context& ctx, const tool_options& o,
                   std::ostream& out) {
  if (o.summary)
    out << "error_code=" << ctx.error_code
        << " error_position=" << ctx.error_position << '\n';
}

// The compile writes its binary files as one staged set: each is written in
// full under a temporary name, and the set is renamed over the earlier build
// only when the compile had no error (or with --write-on-error, whatever the
// program would have written). A failed compile leaves the earlier build as
// it was.
int run_compile(const tool_options& o, std::ostream& out, std::ostream& err) {
  compile_context ctx = make_context(o, o.scenario, o.train);
  std::vector<staged_file> staged;
  ctx.files.staged = &staged;
  const step_result r = memorizza_percorso(ctx, o.no_profile ? 0 : 1);
  const int errors = report_compile(ctx, o, r, err).errors;
  int status = exit_status(ctx, r);
  if (errors == 0 || o.write_on_error) {
    const step_result committed = commit_staged(ctx.files);
    if (!committed.ok()) {
      err << program_name << ": error: " << committed.detail << '\n';
      status = status_stopped;
    }
  } else {
    discard_staged(ctx.files);
    err << program_name << ": " << nothing_written_line(errors) << '\n';
  }
  print_summary(ctx, o, out);
  return errors > 0 && status == 0 ? 1 : status;
}

// A compile in memory: the same report, and a count, and not a file written.
int run_check(const tool_options& o, std::ostream& out, std::ostream& err) {
  compile_context ctx = make_context(o, o.scenario, o.train);
  memory_disk disk;
  const step_result r = compile_in_memory(ctx, disk, o.no_profile ? 0 : 1);
  const shown_warnings shown = report_compile(ctx, o, r, err);
  err << count_line(shown.errors, shown.warnings) << '\n';
  print_summary(ctx, o, out);
  return shown.errors > 0 ? 1 : 0;
}

void add_dir_option(CLI::App& command, tool_options& o) {
  command
      .add_option("--dir", o.dir,
                  "the directory of the scenario files (default: the current "
                  "directory)")
      ->check(CLI::ExistingDirectory);
}

// The options of a compile, which check shares.
void add_compile_options(CLI::App& command, tool_options& o) {
  add_dir_option(command, o);
  command.add_option("--scenario", o.scenario, "the scenario name")
      ->check(check_name, "NAME")
      ->capture_default_str();
  command.add_option("--train", o.train, "the train name")
      ->check(check_name, "NAME")
      ->capture_default_str();
  command.add_flag(
      "--no-profile", o.no_profile,
      "compile without the curve table; the line profile file is not written");
  command.add_flag(
      "--summary", o.summary,
      "end the output with the line error_code=N error_position=P");
  command
      .add_option("--input-encoding", o.input_encoding,
                  "how the labels of the sources are written: single-byte "
                  "(stored as they are) or utf-8 (each character stored as "
                  "its single byte; one that has none is an error)")
      ->check(CLI::IsMember({"single-byte", "utf-8"}))
      ->capture_default_str();
}

}  // namespace

int run_tool(int argc, char** argv, std::ostream& out, std::ostream& err) {
  tool_options o;
  CLI::App app{
      "Exports the embedded scenario as sources, compiles and checks "
      "scenario sources, and shows the simulator's binary files as text "
      "(dump) or as a picture (plot).",
      program_name};
  app.require_subcommand(1);
  app.footer(
      "A fault in a source is shown as FILE:LINE: error CODE: meaning (at P "
      "m), a warning as FILE:LINE:COLUMN: warning: text.\nExit status: 0 "
      "clean, 1 an error (compile then writes no file unless "
      "--write-on-error), 2 stopped (no output, a file fault, or bad "
      "arguments); check: 0 or 1; dump and plot: 0, or 2 for a file they "
      "cannot read.");

  CLI::App* export_command = app.add_subcommand(
      "export",
      "write the embedded scenario's two sources and three documents");
  add_dir_option(*export_command, o);
  export_command->add_flag("--force", o.force,
                           "replace files of the same names");
  export_command->add_flag("--annotated", o.annotated,
                           "put a comment before the rows of each kind");

  CLI::App* compile_command = app.add_subcommand(
      "compile",
      "compile DIR/SCENARIO_linea.txt and DIR/SCENARIO_TRAIN-.txt into the "
      "three binary files; the sources are kept");
  add_compile_options(*compile_command, o);
  compile_command->add_flag(
      "--write-on-error", o.write_on_error,
      "write the binary files even when the compile has errors, as "
      "genera_scenario does (without it a compile with errors writes none)");

  CLI::App* check_command = app.add_subcommand(
      "check",
      "compile in memory and report errors and warnings; no file is written");
  add_compile_options(*check_command, o);
  check_command->add_flag("--werror", o.werror,
                          "count warnings as errors (exit status 1)");

  dump_options dump_o;
  CLI::App* dump_command = add_dump_command(app, dump_o);
  plot_options plot_o;
  CLI::App* plot_command = add_plot_command(app, plot_o);
  explain_options explain_o;
  CLI::App* explain_command = add_explain_command(app, explain_o);
  new_options new_o;
  CLI::App* new_command = add_new_command(app, new_o);

  // The parser reports a bad argument by exception; it ends here, as a
  // message and the status of a stopped run.
  try {
    app.parse(argc, argv);
  } catch (const CLI::CallForHelp& e) {
    return app.exit(e, out, err);
  } catch (const CLI::Error& e) {
    err << program_name << ": error: ";
    // The parser only says that a command is missing; name the word it did
    // not take for one.
    if (!export_command->parsed() && !compile_command->parsed() &&
        !check_command->parsed() && !dump_command->parsed() &&
        !plot_command->parsed() && !explain_command->parsed() &&
        !new_command->parsed()) {
      const std::vector<std::string> rest = app.remaining();
      if (rest.empty())
        err << "no command given";
      else
        err << "unknown command '" << rest.front() << "'";
      err << "; the commands are export, compile, check, dump, plot, explain "
             "and new\n";
    } else {
      err << e.what() << '\n';
    }
    err << "Run '" << program_name << " --help' for usage.\n";
    return status_stopped;
  }
  if (export_command->parsed()) return run_export(o, err);
  if (check_command->parsed()) return run_check(o, out, err);
  if (dump_command->parsed()) return run_dump(dump_o, out, err);
  if (plot_command->parsed()) return run_plot(plot_o, err);
  if (explain_command->parsed()) return run_explain(explain_o, out, err);
  if (new_command->parsed()) return run_new(new_o, err);
  return run_compile(o, out, err);
}
