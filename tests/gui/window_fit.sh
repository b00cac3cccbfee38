#!/bin/bash
# Runs the window-fit test of the Qt tests under a real X server: Xvfb at 1024x768, once at a scale
# of 1 and once at a scale of 2. Usage: window_fit.sh GUI_TEST_BINARY
set -euo pipefail
binary=$1
# A sanitized build: the X11 platform's own libraries keep memory to the end.
export LSAN_OPTIONS="suppressions=$(dirname "$(readlink -f "$0")")/lsan.supp${LSAN_OPTIONS:+:$LSAN_OPTIONS}"
if ! command -v Xvfb > /dev/null; then
  echo "Xvfb is not installed (Debian package xvfb)" >&2
  exit 77
fi
folder=$(mktemp -d)
xvfb=
cleanup() {
  [[ -n $xvfb ]] && kill "$xvfb" 2> /dev/null && wait "$xvfb" 2> /dev/null
  rm -rf "$folder"
}
trap cleanup EXIT

# A display number nobody uses: Xvfb says which it took on the descriptor given.
exec 3> "$folder/display"
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp -auth /dev/null > "$folder/xvfb.log" 2>&1 &
xvfb=$!
for _ in $(seq 50); do
  [[ -s $folder/display ]] && break
  sleep 0.1
done
display=$(cat "$folder/display")
[[ -n $display ]] || { cat "$folder/xvfb.log" >&2; exit 1; }

for scale in 1 2; do
  echo "== scale $scale"
  env DISPLAY=":$display" QT_QPA_PLATFORM=xcb QT_SCALE_FACTOR=$scale \
      XDG_CONFIG_HOME="$folder/config-$scale" XDG_STATE_HOME="$folder/state" \
      "$binary" --gtest_filter='WindowFit.*' |
    tee "$folder/out-$scale"
  grep -q '\[  PASSED  \] 1 test' "$folder/out-$scale"
done
