#!/usr/bin/env bash
# Runs one test program on a real X server with two monitors side by side:
# Xorg with the dummy video driver, one 3200x1080 screen split by xrandr into
# a 1280x1024 monitor at the left and a 1920x1080 one at the right. Xvfb
# shows a single monitor whatever is asked of it. Xorg takes an arbitrary
# configuration file only from root; elsewhere the tests are told to skip
# (TAVIOCR_NO_TWO_MONITORS), as they are where Xorg cannot start.
set -euo pipefail

work=$(mktemp -d)
xorg_pid=
cleanup() {
  [ -n "$xorg_pid" ] && kill "$xorg_pid" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

if [ "$(id -u)" -ne 0 ] || [ ! -x /usr/lib/xorg/Xorg ]; then
  TAVIOCR_NO_TWO_MONITORS=1 exec "$@"
fi

cat >"$work/dummy.conf" <<'CONF'
Section "Device"
    Identifier "dummy"
    Driver "dummy"
    VideoRam 256000
EndSection
Section "Monitor"
    Identifier "monitor"
    HorizSync 5.0 - 1000.0
    VertRefresh 5.0 - 200.0
    Modeline "3200x1080" 300.00 3200 3248 3280 3360 1080 1083 1088 1100
EndSection
Section "Screen"
    Identifier "screen"
    Device "dummy"
    Monitor "monitor"
    DefaultDepth 24
    SubSection "Display"
        Depth 24
        Virtual 3200 1080
        Modes "3200x1080"
    EndSubSection
EndSection
Section "ServerFlags"
    Option "AutoAddDevices" "false"
    Option "DontVTSwitch" "true"
EndSection
CONF

exec {display_fd}< <(exec /usr/lib/xorg/Xorg -displayfd 1 -config "$work/dummy.conf" -noreset \
                       -nolisten tcp -ac -logfile "$work/xorg.log" 2>/dev/null)
xorg_pid=$!
if ! read -r -u "$display_fd" number; then
  # A machine whose Xorg cannot start (no driver, no rights): said, then skipped.
  echo "two_monitors: Xorg did not start; see the log below" >&2
  tail -n 20 "$work/xorg.log" >&2 || true
  TAVIOCR_NO_TWO_MONITORS=1 exec "$@"
fi
export DISPLAY=":$number"
xrandr --newmode 3200x1080 300.00 3200 3248 3280 3360 1080 1083 1088 1100
xrandr --addmode DUMMY0 3200x1080
xrandr --fb 3200x1080 --output DUMMY0 --mode 3200x1080
xrandr --setmonitor left 1280/338x1024/270+0+0 DUMMY0
xrandr --setmonitor right 1920/508x1080/286+1280+0 none
"$@"
