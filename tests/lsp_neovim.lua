-- Drives Neovim's own LSP client against `scenarioc lsp`: opens a faulty
-- train source, waits for the diagnostics Neovim holds, checks them, fixes
-- the fault in the buffer and waits for them to clear. Ends Neovim with
-- status 0 when all held, 1 otherwise (the reason on stderr).
local server = os.getenv('LSP_SERVER')
local train = os.getenv('LSP_TRAIN_SOURCE')
local want_line = tonumber(os.getenv('LSP_FAULT_LINE'))  -- 0-based
local want_col = tonumber(os.getenv('LSP_FAULT_COLUMN'))
local want_end = tonumber(os.getenv('LSP_FAULT_END'))
local want_code = tonumber(os.getenv('LSP_FAULT_CODE'))

local function fail(why)
  io.stderr:write('neovim check: ' .. why .. '\n')
  vim.cmd('cquit 1')
end

local function run()
  vim.cmd('edit ' .. vim.fn.fnameescape(train))
  local buf = vim.api.nvim_get_current_buf()
  local client = vim.lsp.start_client({
    name = 'scenarioc',
    cmd = { server, 'lsp' },
    root_dir = vim.fn.fnamemodify(train, ':h'),
  })
  if not client then return fail('the server did not start') end
  vim.lsp.buf_attach_client(buf, client)

  if not vim.wait(15000, function() return #vim.diagnostic.get(buf) > 0 end, 20) then
    return fail('no diagnostics arrived')
  end
  local got = vim.diagnostic.get(buf)
  io.stdout:write('neovim holds: ' .. vim.fn.json_encode(got) .. '\n')
  if #got ~= 1 then return fail('expected one diagnostic, got ' .. #got) end
  local d = got[1]
  local code = d.code or (d.user_data and d.user_data.lsp and d.user_data.lsp.code)
  if d.lnum ~= want_line or d.col ~= want_col or d.end_col ~= want_end then
    return fail(string.format('at %d:%d-%d, expected %d:%d-%d', d.lnum, d.col, d.end_col,
                              want_line, want_col, want_end))
  end
  if tonumber(code) ~= want_code then return fail('code ' .. tostring(code)) end
  if d.severity ~= vim.diagnostic.severity.ERROR then return fail('not an error') end

  -- The author deletes the faulty line: the diagnostic goes.
  vim.api.nvim_buf_set_lines(buf, want_line, want_line + 1, false, {})
  if not vim.wait(15000, function() return #vim.diagnostic.get(buf) == 0 end, 20) then
    return fail('the diagnostic stayed after the fix')
  end
  vim.lsp.stop_client(client)
  vim.wait(5000, function() return vim.lsp.get_client_by_id(client) == nil end, 20)
  io.stdout:write('neovim check: passed\n')
  vim.cmd('qall!')
end

local ok, err = pcall(run)
if not ok then fail(tostring(err)) end
