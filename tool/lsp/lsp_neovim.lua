-- Run by lsp_neovim.sh inside a headless Neovim: attaches the built-in LSP
-- client to `scenario_tool lsp`, opens an exported line source, breaks a
-- curve row, then mends it, and writes the diagnostics Neovim holds after
-- each step to the result file, one per line:
--   STEP: LINE:COL-END_COL SEVERITY CODE MESSAGE
-- (lines and columns from 0, as Neovim keeps them), or "STEP: none".
local tool = os.getenv('LSP_TOOL')
local source = os.getenv('LSP_SOURCE')
local result = os.getenv('LSP_RESULT')
local lines = {}

local function finish(status)
  local f = assert(io.open(result, 'w'))
  f:write(table.concat(lines, '\n') .. '\n')
  f:close()
  vim.cmd(status == 0 and 'qall!' or 'cquit! ' .. status)
end

vim.cmd('edit ' .. vim.fn.fnameescape(source))
local buf = vim.api.nvim_get_current_buf()
local uri = vim.uri_from_bufnr(buf)

-- Counts the diagnostics published for this buffer, so each step waits for
-- the server's answer to its own change.
local published = 0
local client_id = vim.lsp.start_client({
  name = 'scenario_tool',
  cmd = { tool, 'lsp' },
  root_dir = vim.fn.fnamemodify(source, ':h'),
  flags = { debounce_text_changes = 0 },
  handlers = {
    ['textDocument/publishDiagnostics'] = function(err, res, ctx, config)
      if res and res.uri == uri then
        published = published + 1
      end
      return vim.lsp.handlers['textDocument/publishDiagnostics'](err, res, ctx, config)
    end,
  },
})
if not client_id then
  table.insert(lines, 'no client')
  finish(1)
end
vim.lsp.buf_attach_client(buf, client_id)

local function step(name, wanted)
  if not vim.wait(20000, function() return published >= wanted end, 10) then
    table.insert(lines, name .. ': no diagnostics arrived')
    finish(1)
  end
  local list = vim.diagnostic.get(buf)
  if #list == 0 then
    table.insert(lines, name .. ': none')
  end
  for _, d in ipairs(list) do
    local code = d.code or (d.user_data and d.user_data.lsp and d.user_data.lsp.code) or '-'
    table.insert(lines, string.format('%s: %d:%d-%d %d %s %s', name, d.lnum, d.col,
      d.end_col, d.severity, tostring(code), d.message))
  end
end

step('open', 1)
local row = vim.api.nvim_buf_get_lines(buf, 11, 12, false)[1]
vim.api.nvim_buf_set_lines(buf, 11, 12, false, { (row:gsub('curvad3', 'curvad9')) })
step('broken', 2)
vim.api.nvim_buf_set_lines(buf, 11, 12, false, { row })
step('mended', 3)

vim.lsp.stop_client(client_id)
vim.wait(5000, function() return vim.lsp.get_client_by_id(client_id) == nil end, 10)
finish(0)
