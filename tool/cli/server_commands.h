// The commands that start a server: `view`, the page in the browser, and
// `lsp`, the language server for editors. Each registers its options here;
// the server itself is its room's (view/view.h, lsp/lsp.h).
#pragma once

#include <CLI/CLI.hpp>
#include <optional>
#include <ostream>
#include <string>

#include "tool/view/view.h"

// The `view` command's arguments: the server's options, and the pair of
// sources as the author named it, which run_view_command chooses.
struct view_command_options {
  view_options server;
  std::optional<std::string> scenario;  // empty: the one pair of the folder
  std::optional<std::string> train;
};

// Adds the `view` command to the tool's parser; `o` receives its arguments.
CLI::App* add_view_command(CLI::App& app, view_command_options& o);

// Chooses the pair of sources as compile does, then serves the view.
int run_view_command(view_command_options o, std::ostream& out,
                     std::ostream& err);

// Adds the `lsp` command to the tool's parser.
CLI::App* add_lsp_command(CLI::App& app);
