#!/usr/bin/env bash
# Runs one test program on an X server of its own, so tests running side by
# side never see each other's windows. Xvfb picks a free display number
# itself and reports it once it accepts connections (-displayfd), which
# leaves no race between choosing a number and starting the server.
set -euo pipefail

exec {display_fd}< <(exec Xvfb -displayfd 1 -screen 0 1280x1024x24 -nolisten tcp \
                       -noreset 2>/dev/null)
xvfb_pid=$!
trap 'kill "$xvfb_pid" 2>/dev/null || true' EXIT
if ! read -r -u "$display_fd" number; then
  echo "own_display: Xvfb did not start" >&2
  exit 1
fi
export DISPLAY=":$number"
"$@"
