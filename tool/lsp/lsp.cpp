#include "tool/lsp/lsp.h"

#include "tool/lsp/lsp_server.h"

int run_lsp(std::istream& in, std::ostream& out, std::ostream& err) {
  lsp_server server;
  return lsp_session(server, in, out, err);
}
