#include "tool/lsp.h"

#include "tool/lsp_server.h"

CLI::App* add_lsp_command(CLI::App& app) {
  return app.add_subcommand(
      "lsp",
      "a language server for editors, on standard input and output: "
      "diagnostics as you type, hover, completion and an outline");
}

int run_lsp(std::istream& in, std::ostream& out, std::ostream& err) {
  lsp_server server;
  return lsp_session(server, in, out, err);
}
