-- Mission files in Neovim: the filetype "mission" for *.mission, and the
-- zeb language server (`zeb lsp`) for every such buffer, which brings
-- diagnostics, formatting, symbols, go to definition, references, hover,
-- completion and rename. Neovim 0.7 or later.
--
-- In init.lua, with this file where cmake --install put it:
--
--   dofile('/usr/local/share/zebparser/editors/nvim/zeb.lua').setup()
--
-- or, with it copied to ~/.config/nvim/lua/zeb.lua:
--
--   require('zeb').setup({ cmd = { '/opt/zebparser/bin/zeb', 'lsp' } })
--
-- Options: cmd, the server's command line ({ 'zeb', 'lsp' }); root_markers,
-- the files or folders whose nearest parent folder is the workspace
-- ({ '.git' }; without one, the file's own folder).

local M = {}

local options = {
  cmd = { 'zeb', 'lsp' },
  root_markers = { '.git' },
}

local function exists(path)
  return (vim.uv or vim.loop).fs_stat(path) ~= nil
end

-- vim.fs (and its root finding) came with 0.8; this walks up by hand.
local function root_dir(file)
  local start = vim.fn.fnamemodify(file, ':p:h')
  local dir = start
  while true do
    for _, marker in ipairs(options.root_markers) do
      if exists(dir .. '/' .. marker) then
        return dir
      end
    end
    local parent = vim.fn.fnamemodify(dir, ':h')
    if parent == dir then
      return start
    end
    dir = parent
  end
end

-- 0.7 has no vim.lsp.start: one client per workspace is started by hand
-- and each buffer of that workspace attached to it.
local clients_by_root = {}

local function start_on_07(bufnr, config)
  local id = clients_by_root[config.root_dir]
  local client = id and vim.lsp.get_client_by_id(id)
  if not client or client.is_stopped() then
    id = vim.lsp.start_client(config)
    if not id then
      return nil
    end
    clients_by_root[config.root_dir] = id
  end
  vim.lsp.buf_attach_client(bufnr, id)
  return id
end

-- Starts the server for a buffer, or attaches the buffer to the one already
-- serving its workspace. Returns the client's id.
function M.start(bufnr)
  bufnr = bufnr or vim.api.nvim_get_current_buf()
  local file = vim.api.nvim_buf_get_name(bufnr)
  local root = root_dir(file ~= '' and file or vim.fn.getcwd() .. '/x')
  local config = {
    name = 'zeb',
    cmd = options.cmd,
    root_dir = root,
    workspace_folders = { { uri = vim.uri_from_fname(root), name = root } },
  }
  if vim.lsp.start then
    return vim.lsp.start(config, { bufnr = bufnr })
  end
  return start_on_07(bufnr, config)
end

local function on_mission_buffer(bufnr)
  -- Labels such as village.n are one word for w, * and completion.
  vim.bo[bufnr].iskeyword = '@,48-57,_,46'
  vim.bo[bufnr].commentstring = '// %s'
  vim.bo[bufnr].comments = 's1:/*,mb:*,ex:*/,://'
  M.start(bufnr)
end

function M.setup(opts)
  options = vim.tbl_extend('force', options, opts or {})
  local group = vim.api.nvim_create_augroup('zeb_mission', { clear = true })
  -- On 0.7 vim.filetype.add is read only where filetype.lua was switched
  -- on, so the extension is matched by an autocommand there.
  if vim.fn.has('nvim-0.8') == 1 then
    vim.filetype.add({ extension = { mission = 'mission' } })
  else
    vim.api.nvim_create_autocmd({ 'BufRead', 'BufNewFile' }, {
      group = group,
      pattern = '*.mission',
      command = 'setfiletype mission',
    })
  end
  vim.api.nvim_create_autocmd('FileType', {
    group = group,
    pattern = 'mission',
    callback = function(args)
      on_mission_buffer(args.buf)
    end,
  })
  -- Buffers read before setup ran (a plugin manager that loads late).
  for _, bufnr in ipairs(vim.api.nvim_list_bufs()) do
    if vim.api.nvim_buf_is_loaded(bufnr) and vim.api.nvim_buf_get_name(bufnr):match('%.mission$') then
      if vim.bo[bufnr].filetype == 'mission' then
        on_mission_buffer(bufnr)
      elseif vim.bo[bufnr].filetype == '' then
        vim.bo[bufnr].filetype = 'mission'
      end
    end
  end
end

return M
