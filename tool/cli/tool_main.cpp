#include "tool/cli/tool_main.h"

#include <CLI/CLI.hpp>
#include <iostream>
#include <string>
#include <string_view>
#include <vector>

#include "tool/cli/compile_options.h"
#include "tool/cli/dump_command.h"
#include "tool/cli/explain.h"
#include "tool/cli/export_command.h"
#include "tool/cli/new_scenario.h"
#include "tool/cli/pack_command.h"
#include "tool/cli/plot_command.h"
#include "tool/cli/server_commands.h"
#include "tool/cli/suggestions.h"
#include "tool/lsp/lsp.h"

namespace {

// Every command of the tool, and the options each fills.
struct tool_commands {
  export_options export_o;
  compile_options compile_o;  // compile's and check's
  dump_options dump_o;
  pack_options pack_o;
  plot_options plot_o;
  explain_options explain_o;
  new_options new_o;
  view_command_options view_o;
  CLI::App* export_command = nullptr;
  CLI::App* compile_command = nullptr;
  CLI::App* check_command = nullptr;
  CLI::App* dump_command = nullptr;
  CLI::App* pack_command = nullptr;
  CLI::App* plot_command = nullptr;
  CLI::App* explain_command = nullptr;
  CLI::App* new_command = nullptr;
  CLI::App* lsp_command = nullptr;
  CLI::App* view_command = nullptr;

  std::vector<CLI::App*> all() const {
    return {export_command, compile_command, check_command,   dump_command,
            pack_command,   plot_command,    explain_command, new_command,
            lsp_command,    view_command};
  }
  std::vector<std::string> names() const {
    std::vector<std::string> list;
    for (const CLI::App* command : all()) list.push_back(command->get_name());
    return list;
  }
};

void add_compile_and_check(CLI::App& app, tool_commands& c) {
  compile_options& o = c.compile_o;
  c.compile_command = app.add_subcommand(
      "compile",
      "compile DIR/SCENARIO_linea.txt and DIR/SCENARIO_TRAIN-.txt into the "
      "three binary files; the sources are kept");
  add_compile_options(*c.compile_command, o);
  c.compile_command->add_flag("-q,--quiet", o.quiet,
                              "no closing line after a compile that wrote "
                              "its files");
  c.compile_command->add_flag(
      "--write-on-error", o.write_on_error,
      "write the binary files even when the compile has errors, as "
      "genera_scenario does (without it a compile with errors writes none)");

  c.check_command = app.add_subcommand(
      "check",
      "compile in memory and report errors and warnings; no file is written");
  add_compile_options(*c.check_command, o);
  c.check_command->add_flag("--werror", o.werror,
                            "count warnings as errors (exit status 1)");
}

void add_commands(CLI::App& app, tool_commands& c) {
  app.require_subcommand(1);
  app.set_version_flag("--version", std::string(program_name) + " " +
                                        SCENARIO_TOOL_VERSION + " (" +
                                        SCENARIO_TOOL_COMMIT + ")");
  c.export_command = add_export_command(app, c.export_o);
  add_compile_and_check(app, c);
  c.dump_command = add_dump_command(app, c.dump_o);
  c.pack_command = add_pack_command(app, c.pack_o);
  c.plot_command = add_plot_command(app, c.plot_o);
  c.explain_command = add_explain_command(app, c.explain_o);
  c.new_command = add_new_command(app, c.new_o);
  c.lsp_command = add_lsp_command(app);
  c.view_command = add_view_command(app, c.view_o);
  CLI::App* compile_command = c.compile_command;
  CLI::App* check_command = c.check_command;

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
}

// "a, b and c".
std::string command_list(const std::vector<std::string>& names) {
  std::string list;
  for (std::size_t i = 0; i < names.size(); ++i)
    list += (i == 0 ? "" : i + 1 == names.size() ? " and " : ", ") + names[i];
  return list;
}

// "help" and "help COMMAND" show what --help shows.
int show_help(const CLI::App& app, const tool_commands& c, int argc,
              char** argv, std::ostream& out, std::ostream& err) {
  if (argc == 2) {
    out << app.help();
    return 0;
  }
  for (CLI::App* command : c.all())
    if (command->get_name() == argv[2]) {
      out << command->help(program_name);
      return 0;
    }
  err << program_name << ": error: unknown command '" << argv[2] << "'"
      << did_you_mean(argv[2], c.names()) << "; the commands are "
      << command_list(c.names()) << '\n';
  return status_stopped;
}

// The parser reports a bad argument by exception; it ends here, as a message
// and the status of a stopped run.
int report_parse_error(const CLI::App& app, const tool_commands& c,
                       const CLI::Error& e, std::ostream& err) {
  const std::vector<CLI::App*> commands = c.all();
  const auto command_list = [&] { return ::command_list(c.names()); };
  const std::vector<std::string> command_names = c.names();
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

int dispatch(const tool_commands& c, std::ostream& out, std::ostream& err) {
  if (c.export_command->parsed()) return run_export(c.export_o, err);
  if (c.check_command->parsed()) return run_check(c.compile_o, out, err);
  if (c.dump_command->parsed()) return run_dump(c.dump_o, out, err);
  if (c.pack_command->parsed()) return run_pack(c.pack_o, out, err);
  if (c.plot_command->parsed()) return run_plot(c.plot_o, out, err);
  if (c.explain_command->parsed()) return run_explain(c.explain_o, out, err);
  if (c.new_command->parsed()) return run_new(c.new_o, err);
  if (c.lsp_command->parsed()) return run_lsp(std::cin, out, err);
  if (c.view_command->parsed()) return run_view_command(c.view_o, out, err);
  return run_compile(c.compile_o, out, err);
}

}  // namespace

int run_tool(int argc, char** argv, std::ostream& out, std::ostream& err,
             bool err_is_terminal) {
  tool_commands c;
  c.compile_o.err_is_terminal = err_is_terminal;
  CLI::App app{
      "Exports the embedded scenario as sources, compiles and checks "
      "scenario sources, and shows the simulator's binary files as text "
      "(dump) or as a picture (plot).",
      program_name};
  add_commands(app, c);
  if (argc >= 2 && std::string_view(argv[1]) == "help")
    return show_help(app, c, argc, argv, out, err);
  try {
    app.parse(argc, argv);
  } catch (const CLI::CallForHelp& e) {
    return app.exit(e, out, err);
  } catch (const CLI::CallForVersion& e) {
    return app.exit(e, out, err);
  } catch (const CLI::Error& e) {
    return report_parse_error(app, c, e, err);
  }
  return dispatch(c, out, err);
}
