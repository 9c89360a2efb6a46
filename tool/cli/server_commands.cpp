#include "tool/cli/server_commands.h"

#include "tool/cli/compile_options.h"
#include "tool/lsp/lsp.h"

CLI::App* add_view_command(CLI::App& app, view_command_options& c) {
  view_options& o = c.server;
  CLI::App* command = app.add_subcommand(
      "view",
      "serve a page that shows the scenario of DIR in the browser and draws "
      "it again whenever a source changes");
  add_pair_options(*command, o.dir,
                   "the directory of the sources (default: the current "
                   "directory)",
                   c.scenario, c.train);
  command
      ->add_option("--port", o.port, "the port to listen on (0: any free one)")
      ->check(CLI::Range(0, 65535))
      ->capture_default_str();
  command
      ->add_option("--host", o.host,
                   "the IP address (or localhost) to listen on (default: the "
                   "loopback address only; with any other, others on the "
                   "network can reach the page)")
      ->capture_default_str();
  return command;
}

CLI::App* add_lsp_command(CLI::App& app) {
  return app.add_subcommand(
      "lsp",
      "a language server for editors, on standard input and output: "
      "diagnostics as you type, hover, completion and an outline");
}

int run_view_command(view_command_options o, std::ostream& out,
                     std::ostream& err) {
  scenario_names pair;
  if (!choose_pair(o.server.dir, o.scenario, o.train, pair, err))
    return status_stopped;
  o.server.scenario = pair.scenario;
  o.server.train = pair.train;
  return run_view(o.server, out, err);
}
