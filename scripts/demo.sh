#!/usr/bin/env bash
# Builds Veranth and starts it on the demo Corvane site, creating the site first when there is none.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/build.sh
site="${VERANTH_SITE_DIR:-${XDG_DATA_HOME:-$HOME/.local/share}/veranth/demo-site}"
if [ ! -f "$site/QOR32.INI" ]; then
  ./build/bin/veranth-cli demo-site "$site"
fi
export VERANTH_SITE_DIR="$site"
echo "Starting Veranth on the site in $site"
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ] && [ -z "${QT_QPA_PLATFORM:-}" ]; then
  echo "No display found: starting under a virtual X server (xvfb-run); nothing will be visible." >&2
  exec xvfb-run -a ./build/bin/veranth "$@"
fi
exec ./build/bin/veranth "$@"
