#!/usr/bin/env bash
# taviocr-cli --screen under a real Wayland session: sway on its headless
# back end, the XDG desktop portal with its wlroots back end (Screenshot) and
# its GTK back end (the Access interface the portal wants beside it), PipeWire
# for the wlroots back end, all on a private session bus. The screen shows a
# wallpaper with two known lines; the whole screen gives both, a region only
# the second.
#
#   wayland_capture_test.sh PROGRAM_FOLDER
#
# sway refuses to run as root: as root the session runs as "nobody", with a
# copy of what the command line needs in a folder that user can read.
set -euo pipefail

program_folder=$1
if [ "$(id -u)" -eq 0 ]; then
  # The session's user must reach the folder: the test run's own temporary
  # folder is root's alone, so this one goes to the system's. It holds a copy
  # of the program and a wallpaper, nothing private.
  work=$(mktemp -d -p /tmp)
else
  work=$(mktemp -d)
fi
cleanup() { rm -rf "$work"; }
trap cleanup EXIT
chmod 755 "$work"

first="Wayland capture goes through the portal"
second="Only this second line is in the region"

mkdir -p "$work/app"
cp -r "$program_folder/taviocr-cli" "$program_folder/recognition" "$program_folder/language" \
  "$program_folder/oem.ini" "$work/app/"
convert -size 1280x720 xc:white -fill black -font DejaVu-Sans -pointsize 32 \
  -annotate +60+120 "$first" -annotate +60+420 "$second" "$work/wall.png"
chmod -R a+rX "$work"

cat >"$work/session.sh" <<'SESSION'
#!/usr/bin/env bash
# Runs as the session's user: starts the session, recognises, ends it.
set -uo pipefail
work=$1
export HOME=$work/home XDG_RUNTIME_DIR=$work/runtime XDG_CONFIG_HOME=$work/home/.config \
  XDG_DATA_HOME=$work/home/.local/share TMPDIR=$work/tmp LANG=C.UTF-8 \
  XDG_CURRENT_DESKTOP=sway:GNOME XDG_SESSION_TYPE=wayland \
  WLR_BACKENDS=headless WLR_RENDERER=pixman WLR_LIBINPUT_NO_DEVICES=1
mkdir -p "$HOME" "$TMPDIR" "$XDG_RUNTIME_DIR"
chmod 700 "$XDG_RUNTIME_DIR"
pids=()
end_session() { kill "${pids[@]}" 2>/dev/null; }
trap end_session EXIT

# Waits up to a minute for a condition, looking ten times a second.
await() {
  for _ in $(seq 600); do "$@" >/dev/null 2>&1 && return 0; sleep 0.1; done
  echo "gave up waiting for: $*" >&2
  return 1
}

address=$(dbus-daemon --session --fork --print-address=1 --print-pid=3 3>"$work/bus.pid" | head -1)
export DBUS_SESSION_BUS_ADDRESS=$address
pids+=("$(cat "$work/bus.pid")")
printf 'output HEADLESS-1 resolution 1280x720 bg %s stretch\n' "$work/wall.png" >"$work/sway.conf"
sway -c "$work/sway.conf" >"$work/sway.log" 2>&1 &
pids+=($!)
await compgen -G "$XDG_RUNTIME_DIR/wayland-*" || { cat "$work/sway.log"; exit 1; }
socket=$(compgen -G "$XDG_RUNTIME_DIR/wayland-*" | grep -v '\.lock$' | head -1)
export WAYLAND_DISPLAY=$(basename "$socket")
dbus-update-activation-environment WAYLAND_DISPLAY XDG_CURRENT_DESKTOP XDG_RUNTIME_DIR
pipewire >"$work/pipewire.log" 2>&1 &
pids+=($!)
# The wlroots back end gives up when PipeWire is not there yet.
await test -S "$XDG_RUNTIME_DIR/pipewire-0" || { cat "$work/pipewire.log"; exit 1; }
/usr/libexec/xdg-desktop-portal-wlr >"$work/wlr.log" 2>&1 &
pids+=($!)
await dbus-send --session --print-reply --dest=org.freedesktop.DBus /org/freedesktop/DBus \
  org.freedesktop.DBus.GetNameOwner string:org.freedesktop.impl.portal.desktop.wlr ||
  { cat "$work/wlr.log"; exit 1; }
/usr/libexec/xdg-desktop-portal -r >"$work/portal.log" 2>&1 &
pids+=($!)
await dbus-send --session --print-reply --dest=org.freedesktop.portal.Desktop \
  /org/freedesktop/portal/desktop org.freedesktop.DBus.Properties.Get \
  string:org.freedesktop.portal.Screenshot string:version || { cat "$work/portal.log"; exit 1; }

cli=("$work/app/taviocr-cli" --screen --engine offline --lang ENG)
"${cli[@]}" >"$work/screen.txt" 2>&1
echo $? >"$work/screen.status"
"${cli[@]}" --region 40,380,900,80 >"$work/region.txt" 2>&1
echo $? >"$work/region.status"
SESSION
chmod 755 "$work/session.sh"

if [ "$(id -u)" -eq 0 ]; then
  chown -R nobody "$work"
  runuser -u nobody -- "$work/session.sh" "$work"
else
  "$work/session.sh" "$work"
fi

failed=0
expect() {  # expect FILE TEXT present|absent
  if grep -qF "$2" "$work/$1"; then found=present; else found=absent; fi
  if [ "$found" != "$3" ]; then
    echo "FAILED: \"$2\" is $found in $1, expected $3:" >&2
    cat "$work/$1" >&2
    failed=1
  fi
}
[ "$(cat "$work/screen.status" 2>/dev/null)" = 0 ] || { echo "FAILED: --screen" >&2; failed=1; }
[ "$(cat "$work/region.status" 2>/dev/null)" = 0 ] || { echo "FAILED: --region" >&2; failed=1; }
expect screen.txt "$first" present
expect screen.txt "$second" present
expect region.txt "$second" present
expect region.txt "$first" absent
[ "$failed" = 0 ] && echo "Wayland capture through the portal: passed"
exit "$failed"
