#!/bin/sh
# Runs Neovim headless as a client of zeb lsp, with editors/nvim/zeb.lua as
# a user would load it, on copies of two example missions.
#
#   editors/nvim/test/run.sh [ZEB]    (ZEB: build/zeb of the checkout by default)
#
# Needs nvim 0.7 or later (Debian 12: apt-get install neovim).
set -eu

here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../../.." && pwd)
zeb=${1:-$root/build/zeb}
case $zeb in
    /*) ;;
    *) zeb=$PWD/$zeb ;;
esac
[ -x "$zeb" ] || { echo "nvim test: no executable $zeb" >&2; exit 1; }
command -v nvim >/dev/null 2>&1 || { echo "nvim test: no nvim (apt-get install neovim)" >&2; exit 1; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir "$work/missions"
cp "$root/examples/errors/undeclared_location.mission" "$root/examples/warehouse.mission" "$work/missions/"

# Neovim's LSP log and state go to the scratch folder, not the home folder.
# A hung server or client is cut off rather than holding the run.
status=0
ZEB=$zeb ZEB_NVIM_PLUGIN=$root/editors/nvim/zeb.lua ZEB_TEST_DIR=$work/missions \
    XDG_CACHE_HOME=$work/cache XDG_STATE_HOME=$work/state XDG_DATA_HOME=$work/data \
    timeout 120 nvim --headless --clean -n -c "luafile $here/lsp_client_test.lua" </dev/null || status=$?
if [ $status -ne 0 ]; then
    [ $status -eq 124 ] && echo "nvim test: no end within 120 s" >&2
    for log in "$work"/cache/nvim/lsp.log "$work"/state/nvim/lsp.log; do
        [ -s "$log" ] && { echo "---- $log" >&2; tail -n 40 "$log" >&2; }
    done
    exit 1
fi
