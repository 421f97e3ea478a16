#!/usr/bin/env bash
# Builds everything, writes the demo database and starts the sample host on its model.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$here/build}
"$here/scripts/bootstrap.sh" "$build"
demo=${KORVI_DEMO_DIR:-$HOME/.local/share/korvi/demo}
if [ -x "$build/tools/mkdemo" ]; then
  "$build/tools/mkdemo" "$demo"
fi
host=("$build/host/selqhost")
[ -f "$demo/ventes.mdl" ] && host+=(--model "$demo/ventes.mdl")
if [ -z "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ] && [ -z "${QT_QPA_PLATFORM:-}" ]; then
  echo "No display: starting under xvfb-run"
  exec xvfb-run -a "${host[@]}" "$@"
fi
exec "${host[@]}" "$@"
