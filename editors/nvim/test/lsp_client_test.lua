-- Neovim as a real client of `zeb lsp`, through editors/nvim/zeb.lua: a
-- mission with an error gets its diagnostic, go to definition jumps to a
-- label's declaration, formatting gives what `zeb fmt` prints, and the
-- server stops when asked. Run by run.sh, which sets ZEB (the zeb
-- executable), ZEB_NVIM_PLUGIN (zeb.lua) and ZEB_TEST_DIR (a scratch folder
-- with copies of the missions). Exits non-zero on any failure.

local zeb = assert(os.getenv('ZEB'), 'ZEB is not set')
local plugin = assert(os.getenv('ZEB_NVIM_PLUGIN'), 'ZEB_NVIM_PLUGIN is not set')
local dir = assert(os.getenv('ZEB_TEST_DIR'), 'ZEB_TEST_DIR is not set')
local timeout_ms = 15000

local passed, failed = 0, 0

local function say(text)
  io.stdout:write(text .. '\n')
end

local function check(ok, what, detail)
  if ok then
    passed = passed + 1
    say('ok: ' .. what)
  else
    failed = failed + 1
    say('FAILED: ' .. what .. (detail and (' (' .. detail .. ')') or ''))
  end
  return ok
end

-- The clients attached to a buffer, on 0.7 as on 0.11.
local function clients_of(bufnr)
  local list = {}
  local found = vim.lsp.get_clients and vim.lsp.get_clients({ bufnr = bufnr }) or vim.lsp.buf_get_clients(bufnr)
  for _, client in pairs(found) do
    table.insert(list, client)
  end
  return list
end

-- The first line (0-based) holding `text`, and the byte column of it.
local function find(bufnr, text)
  for i, line in ipairs(vim.api.nvim_buf_get_lines(bufnr, 0, -1, false)) do
    local col = line:find(text, 1, true)
    if col then
      return i - 1, col - 1
    end
  end
  error('no line holds ' .. text)
end

local function open(name)
  vim.cmd('edit ' .. vim.fn.fnameescape(dir .. '/' .. name))
  return vim.api.nvim_get_current_buf()
end

local function main()
  dofile(plugin).setup({ cmd = { zeb, 'lsp' } })

  -- Diagnostics: the undeclared label is reported where it stands.
  local broken = open('undeclared_location.mission')
  check(vim.bo[broken].filetype == 'mission', 'a .mission file gets the filetype mission', vim.bo[broken].filetype)
  check(vim.wait(timeout_ms, function()
    return #clients_of(broken) == 1
  end, 20), 'zeb lsp is attached to the buffer')
  local client = clients_of(broken)[1]
  local got = vim.wait(timeout_ms, function()
    return #vim.diagnostic.get(broken) > 0
  end, 20)
  if check(got, 'the server publishes diagnostics for a mission with an error') then
    local line, col = find(broken, 'gatehose')
    local first = vim.diagnostic.get(broken)[1]
    check(
      first.severity == vim.diagnostic.severity.ERROR and first.lnum == line and first.col == col,
      'the error stands at the undeclared label',
      string.format('severity %s at %d:%d, "%s"', first.severity, first.lnum, first.col, first.message)
    )
  end

  -- Go to definition: from a label in the plan to its declaration.
  local mission = open('warehouse.mission')
  check(vim.wait(timeout_ms, function()
    return #clients_of(mission) == 1
  end, 20), 'a second mission shares the running server')
  check(clients_of(mission)[1] and clients_of(mission)[1].id == client.id, 'one server serves both buffers')
  local use_line, use_col = find(mission, 'advance towards door')
  use_col = use_col + #'advance towards '
  local declaration_line = find(mission, 'location door')
  vim.api.nvim_win_set_cursor(0, { use_line + 1, use_col })
  vim.lsp.buf.definition()
  local jumped = vim.wait(timeout_ms, function()
    return vim.api.nvim_win_get_cursor(0)[1] == declaration_line + 1
  end, 20)
  check(jumped, 'go to definition jumps to the location declaration',
    'cursor at line ' .. vim.api.nvim_win_get_cursor(0)[1] .. ', declaration at ' .. (declaration_line + 1))

  -- Formatting: the buffer becomes what zeb fmt prints for the file.
  local expected = vim.fn.systemlist({ zeb, 'fmt', dir .. '/warehouse.mission' })
  check(vim.v.shell_error == 0, 'zeb fmt formats the mission', table.concat(expected, '\n'))
  local before = vim.api.nvim_buf_get_lines(mission, 0, -1, false)
  check(not vim.deep_equal(before, expected), 'the mission is not formatted yet')
  if vim.lsp.buf.format then
    vim.lsp.buf.format({ bufnr = mission, timeout_ms = timeout_ms })
  else
    vim.lsp.buf.formatting_sync(nil, timeout_ms)
  end
  local after = vim.api.nvim_buf_get_lines(mission, 0, -1, false)
  local first_difference
  for i = 1, math.max(#after, #expected) do
    if after[i] ~= expected[i] then
      first_difference = string.format('line %d: "%s", zeb fmt: "%s"', i, after[i] or '<none>', expected[i] or '<none>')
      break
    end
  end
  check(first_difference == nil, 'formatting gives what zeb fmt prints', first_difference)

  -- Shutdown: the server leaves when the client stops it.
  vim.lsp.stop_client(client.id)
  check(vim.wait(timeout_ms, function()
    return vim.lsp.get_client_by_id(client.id) == nil
  end, 20), 'the server stops on shutdown and exit')
end

local ok, err = xpcall(main, debug.traceback)
if not ok then
  check(false, 'the test ran to its end', err)
end
say(string.format('nvim %s: %d passed, %d failed', tostring(vim.version().major) .. '.' .. vim.version().minor
  .. '.' .. vim.version().patch, passed, failed))
if failed > 0 then
  vim.cmd('cquit 1')
else
  vim.cmd('qall!')
end
