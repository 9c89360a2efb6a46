#include "tool/cli/tool_main.h"

#include <CLI/CLI.hpp>
#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "base/terminal_text.h"
#include "model/compile_context.h"
#include "platform/platform.h"
#include "run/error_messages.h"
#include "run/run_sequence.h"
#include "scenario/write_document.h"
#include "tool/authoring/check.h"
#include "tool/authoring/diagnostics.h"
#include "tool/cli/command_files.h"
#include "tool/cli/dump_command.h"
#include "tool/cli/explain.h"
#include "tool/cli/new_scenario.h"
#include "tool/cli/pack_command.h"
#include "tool/cli/plot_command.h"
#include "tool/cli/server_commands.h"
#include "tool/lsp/lsp.h"
#include "tool/view/view.h"

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
  int max_errors = 20;                         // coded errors shown; 0: all
  std::string colour = "auto";                 // auto, always, never
  std::string diagnostics_format = "text";     // text, json
  bool quiet = false;                          // compile: no closing line
  bool err_is_terminal = false;                // the error stream is a terminal
  bool scenario_given = false;  // --scenario and --train were given
  bool train_given = false;
};

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
  if (!make_directory(o.dir, err)) return status_stopped;
  compile_context ctx =
      make_context(o, embedded_scenario_name, embedded_train_name);
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
    err << program_name << ": error: " << terminal_safe(r.detail) << '\n';
    return status_stopped;
  }
  return 0;
}

// The names of the two sources and the track file as the author sees them.
shown_sources shown_names(const compile_context& ctx, const tool_options& o) {
  shown_sources s;
  s.line_file = shown(o, line_source_name(ctx));
  s.train_file = shown(o, train_source_name(ctx));
  s.track_file = shown(o, track_file_name(ctx));
  return s;
}

// The same, with their text for the source lines under the diagnostics
// (empty where a source cannot be read).
shown_sources sources_for(const compile_context& ctx, const tool_options& o) {
  shown_sources s = shown_names(ctx, o);
  // The texts are needed only to quote the lines of diagnostics.
  if (ctx.error_code == 0 && ctx.warnings.empty()) return s;
  (void)read_file(ctx.files, line_source_name(ctx), s.line_text);
  (void)read_file(ctx.files, train_source_name(ctx), s.train_text);
  return s;
}

bool use_colour(const tool_options& o) {
  if (o.colour == "always") return true;
  if (o.colour == "never" || !o.err_is_terminal) return false;
  const char* no_colour = std::getenv("NO_COLOR");
  if (no_colour != nullptr && *no_colour != '\0') return false;
  const char* term = std::getenv("TERM");
  return term == nullptr || std::string(term) != "dumb";
}

// Everything a compile has to say, as text or JSON on `err`.
diagnostic_counts report_diagnostics(const std::vector<diagnostic>& list,
                                     const tool_options& o, std::ostream& err) {
  if (o.diagnostics_format == "json")
    err << diagnostics_json(list) << '\n';
  else
    print_diagnostics(list, use_colour(o), err);
  return count_diagnostics(list);
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
  // From the reading of the sources to the last rename, this compile is
  // alone in the folder: a second one (after a save in between) waits, so
  // that the set on disk always comes from one reading of the sources.
  folder_lock lock;
  const step_result locked = lock_folder(ctx.files, folder_lock_wait_ms, lock);
  if (!locked.ok()) {
    err << program_name << ": error: " << terminal_safe(locked.detail) << '\n';
    return status_stopped;
  }
  const std::int32_t j = o.no_profile ? 0 : 1;
  const step_result r = memorizza_percorso(ctx, j);
  const diagnostic_counts counts = report_diagnostics(
      diagnostics_after(ctx, r, make_context(o, o.scenario, o.train), j, {},
                        sources_for(ctx, o), {o.werror, o.max_errors}),
      o, err);
  const bool text = o.diagnostics_format != "json";
  int status = exit_status(ctx, r);
  if (counts.errors == 0 || o.write_on_error) {
    const std::size_t files = staged.size();
    const step_result committed = commit_staged(ctx.files);
    if (!committed.ok()) {
      err << program_name << ": error: " << terminal_safe(committed.detail)
          << '\n';
      status = status_stopped;
    } else if (!o.quiet) {
      out << "wrote " << files << (files == 1 ? " file" : " files");
      if (counts.errors > 0)
        out << " despite " << counts.errors
            << (counts.errors == 1 ? " error" : " errors");
      out << ", " << counts.warnings
          << (counts.warnings == 1 ? " warning" : " warnings") << '\n';
    }
  } else {
    discard_staged(ctx.files);
    if (text)
      err << program_name << ": " << nothing_written_line(counts.errors)
          << '\n';
  }
  print_summary(ctx, o, out);
  return counts.errors > 0 && status == 0 ? 1 : status;
}

// A compile in memory: the same report, and a count, and not a file written.
int run_check(const tool_options& o, std::ostream& out, std::ostream& err) {
  compile_context ctx = make_context(o, o.scenario, o.train);
  const diagnostic_counts counts = report_diagnostics(
      check_in_memory(ctx, o.no_profile ? 0 : 1, {}, shown_names(ctx, o),
                      {o.werror, o.max_errors}),
      o, err);
  if (o.diagnostics_format != "json")
    err << count_line(counts.errors, counts.warnings) << '\n';
  print_summary(ctx, o, out);
  return counts.errors > 0 ? 1 : 0;
}

void add_dir_option(CLI::App& command, tool_options& o) {
  command
      .add_option("--dir", o.dir,
                  "the directory of the scenario files (default: the current "
                  "directory)")
      ->check(CLI::ExistingDirectory);
}

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

// The scenario and train names of the pairs of sources in `dir`: a line
// source NAME_linea.txt and a train source NAME_TRAIN-.txt.
std::vector<std::pair<std::string, std::string>> source_pairs(
    const std::string& dir) {
  std::vector<std::string> names;
  std::error_code ec;
  for (const auto& entry :
       std::filesystem::directory_iterator(dir.empty() ? "." : dir, ec))
    names.push_back(entry.path().filename().string());
  std::sort(names.begin(), names.end());
  const std::string line_end = "_linea.txt";
  const std::string train_end = "-.txt";
  std::vector<std::pair<std::string, std::string>> pairs;
  for (const std::string& line : names) {
    if (line.size() <= line_end.size() ||
        line.compare(line.size() - line_end.size(), line_end.size(),
                     line_end) != 0)
      continue;
    const std::string scenario = line.substr(0, line.size() - line_end.size());
    for (const std::string& train : names) {
      if (train.size() <= scenario.size() + 1 + train_end.size() ||
          train.compare(0, scenario.size() + 1, scenario + "_") != 0 ||
          train.compare(train.size() - train_end.size(), train_end.size(),
                        train_end) != 0)
        continue;
      pairs.emplace_back(scenario, train.substr(scenario.size() + 1,
                                                train.size() - scenario.size() -
                                                    1 - train_end.size()));
    }
  }
  return pairs;
}

// Without --scenario and --train, the one pair of sources in the folder is
// compiled; a name that is given narrows the choice. No pair leaves the
// embedded names, whose files the compile then reports missing; several
// are listed, and the run stops. False when it stops.
bool choose_sources(tool_options& o, bool scenario_given, bool train_given,
                    std::ostream& err) {
  if (scenario_given && train_given) return true;
  std::vector<std::pair<std::string, std::string>> pairs;
  for (const auto& pair : source_pairs(o.dir))
    if ((!scenario_given || pair.first == o.scenario) &&
        (!train_given || pair.second == o.train))
      pairs.push_back(pair);
  if (pairs.empty()) return true;
  if (pairs.size() == 1) {
    // A name found in the folder is held to the rules of a name typed
    // after --scenario and --train.
    const auto& [scenario, train] = pairs.front();
    const std::string fault = !name_fault(scenario).empty()
                                  ? name_fault(scenario)
                                  : name_fault(train);
    if (!fault.empty()) {
      err << program_name << ": error: the sources '"
          << terminal_safe(scenario + "_linea.txt") << "' and '"
          << terminal_safe(scenario + "_" + train + "-.txt")
          << "' cannot be compiled: " << fault << '\n';
      return false;
    }
    o.scenario = scenario;
    o.train = train;
    return true;
  }
  err << program_name << ": error: "
      << (o.dir.empty() ? std::string("this folder") : terminal_safe(o.dir))
      << " holds the sources of " << pairs.size()
      << " scenarios; name one with --scenario and --train:\n";
  for (const auto& [scenario, train] : pairs)
    err << "  --scenario '" << terminal_safe(scenario) << "' --train '"
        << terminal_safe(train) << "'\n";
  return false;
}

// The options of a compile, which check shares.
void add_compile_options(CLI::App& command, tool_options& o) {
  add_dir_option(command, o);
  command
      .add_option("--scenario", o.scenario,
                  "the scenario name (default: that of the one pair of "
                  "sources in the directory, or Cendra_Gelsio2)")
      ->check(name_fault, "NAME");
  command
      .add_option("--train", o.train,
                  "the train name (default: that of the one pair of sources "
                  "in the directory, or EC 482)")
      ->check(name_fault, "NAME");
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
  command
      .add_option("--max-errors", o.max_errors,
                  "show at most N errors with codes (0: all of them)")
      ->check(CLI::NonNegativeNumber)
      ->capture_default_str();
  command
      .add_option("--color", o.colour,
                  "colour the diagnostics: auto (on a terminal, unless "
                  "NO_COLOR is set), always or never")
      ->check(CLI::IsMember({"auto", "always", "never"}))
      ->capture_default_str();
  command
      .add_option("--diagnostics-format", o.diagnostics_format,
                  "text, or json: one JSON array of every diagnostic on the "
                  "error stream, for editors and CI")
      ->check(CLI::IsMember({"text", "json"}))
      ->capture_default_str();
}

}  // namespace

int run_tool(int argc, char** argv, std::ostream& out, std::ostream& err,
             bool err_is_terminal) {
  tool_options o;
  o.err_is_terminal = err_is_terminal;
  CLI::App app{
      "Exports the embedded scenario as sources, compiles and checks "
      "scenario sources, and shows the simulator's binary files as text "
      "(dump) or as a picture (plot).",
      program_name};
  app.require_subcommand(1);
  app.set_version_flag("--version", std::string(program_name) + " " +
                                        SCENARIO_TOOL_VERSION + " (" +
                                        SCENARIO_TOOL_COMMIT + ")");
  CLI::App* export_command = app.add_subcommand(
      "export",
      "write the embedded scenario's two sources and three documents");
  export_command->add_option(
      "--dir", o.dir,
      "the directory to write into, made when it does not exist (default: "
      "the current directory)");
  export_command->add_flag("--force", o.force,
                           "replace files of the same names");
  export_command->add_flag("--annotated", o.annotated,
                           "put a comment before the rows of each kind");

  CLI::App* compile_command = app.add_subcommand(
      "compile",
      "compile DIR/SCENARIO_linea.txt and DIR/SCENARIO_TRAIN-.txt into the "
      "three binary files; the sources are kept");
  add_compile_options(*compile_command, o);
  compile_command->add_flag("-q,--quiet", o.quiet,
                            "no closing line after a compile that wrote "
                            "its files");
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
  pack_options pack_o;
  CLI::App* pack_command = add_pack_command(app, pack_o);
  plot_options plot_o;
  CLI::App* plot_command = add_plot_command(app, plot_o);
  explain_options explain_o;
  CLI::App* explain_command = add_explain_command(app, explain_o);
  new_options new_o;
  CLI::App* new_command = add_new_command(app, new_o);
  CLI::App* lsp_command = add_lsp_command(app);
  view_options view_o;
  CLI::App* view_command = add_view_command(app, view_o);

  // Set after the commands are made, which would otherwise each take it:
  // a command's help says what applies to that command alone.
  app.footer(
      "A fault in a source is shown as FILE:LINE:COLUMN: error CODE: "
      "message, a warning as FILE:LINE:COLUMN: warning: message, each with "
      "the source line below it.\nExit status: 0 clean, 1 an error (compile "
      "then writes no file unless --write-on-error), 2 stopped (no output, a "
      "file fault, or bad arguments); check: 0 or 1; dump, pack and plot: 0, "
      "or 2 "
      "for a file they cannot read.");
  compile_command->footer(
      "Exit status: 0 clean, 1 an error (no file is written unless "
      "--write-on-error), 2 stopped (no output, a file fault, or bad "
      "arguments).");
  check_command->footer(
      "Exit status: 0 no error, 1 an error (or a warning, with --werror), 2 "
      "bad arguments.");

  const std::vector<CLI::App*> commands = {
      export_command, compile_command, check_command,   dump_command,
      pack_command,   plot_command,    explain_command, new_command,
      lsp_command,    view_command};
  std::vector<std::string> command_names;
  for (const CLI::App* command : commands)
    command_names.push_back(command->get_name());
  const auto command_list = [&] {
    std::string list;
    for (std::size_t i = 0; i < command_names.size(); ++i)
      list += (i == 0                          ? ""
               : i + 1 == command_names.size() ? " and "
                                               : ", ") +
              command_names[i];
    return list;
  };

  // "help" and "help COMMAND" show what --help shows.
  if (argc >= 2 && std::string_view(argv[1]) == "help") {
    if (argc == 2) {
      out << app.help();
      return 0;
    }
    for (CLI::App* command : commands)
      if (command->get_name() == argv[2]) {
        out << command->help(program_name);
        return 0;
      }
    err << program_name << ": error: unknown command '" << argv[2] << "'"
        << did_you_mean(argv[2], command_names) << "; the commands are "
        << command_list() << '\n';
    return status_stopped;
  }

  // The parser reports a bad argument by exception; it ends here, as a
  // message and the status of a stopped run.
  try {
    app.parse(argc, argv);
  } catch (const CLI::CallForHelp& e) {
    return app.exit(e, out, err);
  } catch (const CLI::CallForVersion& e) {
    return app.exit(e, out, err);
  } catch (const CLI::Error& e) {
    err << program_name << ": error: ";
    const CLI::App* parsed = nullptr;
    for (const CLI::App* command : commands)
      if (command->parsed()) parsed = command;
    // An option the command does not have, named with the one it may mean.
    std::string unknown_option;
    if (parsed != nullptr && dynamic_cast<const CLI::ExtrasError*>(&e)) {
      for (const std::string& rest : parsed->remaining())
        if (rest.size() > 1 && rest[0] == '-') {
          unknown_option = rest.substr(0, rest.find('='));
          break;
        }
    }
    if (parsed == nullptr) {
      // The parser only says that a command is missing; name the word it
      // did not take for one, and the command it may have meant.
      const std::vector<std::string> rest = app.remaining();
      if (rest.empty())
        err << "no command given";
      else
        err << "unknown command '" << rest.front() << "'"
            << did_you_mean(rest.front(), command_names);
      err << "; the commands are " << command_list() << '\n';
    } else if (!unknown_option.empty()) {
      std::vector<std::string> options;
      for (const CLI::Option* option : parsed->get_options())
        for (const std::string& name : option->get_lnames())
          options.push_back("--" + name);
      std::string hint = did_you_mean(unknown_option, options);
      // An option of another command, given to this one.
      for (const CLI::App* command : commands)
        if (hint.empty() && command != parsed &&
            command->get_option_no_throw(unknown_option) != nullptr)
          hint = " (it is an option of " + command->get_name() + ")";
      err << parsed->get_name() << " has no option '" << unknown_option << "'"
          << hint << '\n';
    } else {
      err << e.what() << '\n';
    }
    err << "Run '" << program_name << " help"
        << (parsed != nullptr ? " " + parsed->get_name() : std::string())
        << "' for usage.\n";
    return status_stopped;
  }
  for (const CLI::App* command : {compile_command, check_command})
    if (command->parsed()) {
      o.scenario_given = command->count("--scenario") > 0;
      o.train_given = command->count("--train") > 0;
    }
  if ((compile_command->parsed() || check_command->parsed()) &&
      !choose_sources(o, o.scenario_given, o.train_given, err))
    return status_stopped;
  if (export_command->parsed()) return run_export(o, err);
  if (check_command->parsed()) return run_check(o, out, err);
  if (dump_command->parsed()) return run_dump(dump_o, out, err);
  if (pack_command->parsed()) return run_pack(pack_o, out, err);
  if (plot_command->parsed()) return run_plot(plot_o, out, err);
  if (explain_command->parsed()) return run_explain(explain_o, out, err);
  if (new_command->parsed()) return run_new(new_o, err);
  if (lsp_command->parsed()) return run_lsp(std::cin, out, err);
  if (view_command->parsed()) return run_view(view_o, out, err);
  return run_compile(o, out, err);
}
