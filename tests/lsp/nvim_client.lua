-- Neovim 0.7's built-in client on $RK_FILE; editor_test.py reads what this writes to $RK_OUT.
local out = vim.env.RK_OUT
local failures = {}
local function wait(what, done)
  if not vim.wait(20000, done, 20) then
    table.insert(failures, 'no ' .. what)
  end
end
-- The code action menu answered as a user would, by the action's title.
local function choose(title)
  vim.ui.select = function(items, options, on_choice)
    for _, item in ipairs(items) do
      if options.format_item(item) == title then
        return on_choice(item)
      end
    end
    table.insert(failures, 'no action "' .. title .. '" offered')
    on_choice(nil)
  end
end
local function act(line, title)
  vim.api.nvim_win_set_cursor(0, { line, 0 })
  local tick = vim.b.changedtick
  choose(title)
  vim.lsp.buf.code_action()
  wait('change by "' .. title .. '"', function() return vim.b.changedtick ~= tick end)
end

-- The README's configuration, with the server built here.
local remarkist
vim.api.nvim_create_autocmd('FileType', {
  pattern = { 'c', 'cpp', 'd', 'java' },
  callback = function()
    remarkist = remarkist or vim.lsp.start_client({
      name = 'remarkist', cmd = { vim.env.REMARKIST_LSP }, root_dir = vim.fn.getcwd(),
    })
    vim.lsp.buf_attach_client(0, remarkist)
  end,
})
vim.cmd('edit ' .. vim.fn.fnameescape(vim.env.RK_FILE))
vim.bo.filetype = 'cpp'
local client = remarkist

wait('diagnostics', function() return #vim.diagnostic.get(0) > 0 end)
local seen = {}
for _, d in ipairs(vim.diagnostic.get(0)) do
  local severity = d.severity == vim.diagnostic.severity.WARN and 'warning' or tostring(d.severity)
  table.insert(seen, string.format('%s %d %s', d.user_data.lsp.code, d.lnum + 1, severity))
end
vim.fn.writefile(seen, out .. '/diagnostics')

act(tonumber(vim.env.RK_STALE), 'Update the comment')
wait('diagnostics cleared by the fix', function() return #vim.diagnostic.get(0) == 0 end)
act(tonumber(vim.env.RK_NEW), 'Document this declaration')

vim.cmd('write! ' .. vim.fn.fnameescape(out .. '/after'))
vim.fn.writefile(failures, out .. '/failures')
vim.lsp.stop_client(client)
wait('end of the server', function() return vim.lsp.get_client_by_id(client) == nil end)
vim.cmd('qall!')
