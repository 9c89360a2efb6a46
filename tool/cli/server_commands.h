// The commands that start a server: `view`, the page in the browser, and
// `lsp`, the language server for editors. Each registers its options here;
// the server itself is its room's (view/view.h, lsp/lsp.h).
#pragma once

#include <CLI/CLI.hpp>

#include "tool/view/view.h"

// Adds the `view` command to the tool's parser; `o` receives its arguments.
CLI::App* add_view_command(CLI::App& app, view_options& o);

// Adds the `lsp` command to the tool's parser.
CLI::App* add_lsp_command(CLI::App& app);
