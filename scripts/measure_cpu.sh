#!/usr/bin/env bash
# The monitor's CPU with its windows open: the windowed program on a virtual X display (Xvfb)
# against the receiver emulator, with the main window, Charts and Sky View open as the operator
# opens them (Window menu, by its keys), measured from /proc over a steady stretch.
#
#   scripts/measure_cpu.sh [SECONDS] [--bin DIR] [--windows LIST] [--perf FILE]
#
#   SECONDS         length of the measurement after a 20 s warm-up (default 60)
#   --bin DIR       where zelkon and zelkon-sim are (default build/default)
#   --windows LIST  the windows opened beside the main window: charts,sky (the default), charts,
#                   sky, or none (the main window alone, for comparison)
#   --perf FILE     also record the measured stretch with `perf record -g` into FILE
#
# Prints the monitor's user and system CPU time over the stretch and its share of one core. The
# emulator runs as its own process and is not counted. Settings go to a temporary home, so the run
# neither reads nor changes the operator's. This is a measurement, not a test: it fails (status 1)
# only when a program does not start or a window does not open.
set -euo pipefail
# C.UTF-8: decimal points in awk, and the windows' titles as they are written.
export LC_ALL=C.UTF-8
cd "$(dirname "${BASH_SOURCE[0]}")/.."
repo=$PWD

usage() {
  sed -n '2,17p' "$0" | sed 's/^# \{0,1\}//' >&2
  exit 2
}

seconds=60
bin=$repo/build/default
windows=charts,sky
perf_file=
while (($#)); do
  case $1 in
    --bin) [[ $# -ge 2 ]] || usage; bin=$2; shift 2 ;;
    --windows) [[ $# -ge 2 ]] || usage; windows=$2; shift 2 ;;
    --perf) [[ $# -ge 2 ]] || usage; perf_file=$2; shift 2 ;;
    --help | -h) usage ;;
    *) [[ $1 =~ ^[0-9]+$ ]] || usage; seconds=$1; shift ;;
  esac
done
for program in "$bin/zelkon" "$bin/zelkon-sim" /usr/bin/Xvfb; do
  [[ -x $program ]] || { echo "measure_cpu.sh: $program is missing" >&2; exit 2; }
done

work=$(mktemp -d)
pids=()
cleanup() {
  for ((i = ${#pids[@]} - 1; i >= 0; i--)); do
    kill "${pids[i]}" 2>/dev/null || true
    wait "${pids[i]}" 2>/dev/null || true
  done
  rm -rf "$work"
}
trap cleanup EXIT

# A free display number.
display=77
while [[ -e /tmp/.X11-unix/X$display || -e /tmp/.X$display-lock ]]; do
  display=$((display + 1))
done
Xvfb ":$display" -screen 0 1280x1024x24 -nolisten tcp >"$work/xvfb.log" 2>&1 &
pids+=($!)
export DISPLAY=:$display
for _ in $(seq 50); do
  [[ -e /tmp/.X11-unix/X$display ]] && break
  sleep 0.1
done

"$bin/zelkon-sim" --pty >"$work/sim.out" 2>"$work/sim.err" &
pids+=($!)
for _ in $(seq 50); do
  [[ -s $work/sim.out ]] && break
  sleep 0.1
done
device=$(head -n 1 "$work/sim.out")
[[ -n $device ]] || { echo "measure_cpu.sh: the emulator did not start" >&2; exit 1; }

export HOME=$work/home XDG_CONFIG_HOME=$work/home/.config XDG_RUNTIME_DIR=$work/run
mkdir -p "$XDG_CONFIG_HOME" "$XDG_RUNTIME_DIR"
chmod 700 "$XDG_RUNTIME_DIR"
unset QT_QPA_PLATFORM WAYLAND_DISPLAY
"$bin/zelkon" --device "$device" --ntp no >"$work/zelkon.out" 2>"$work/zelkon.err" &
zelkon=$!
pids+=($zelkon)

# The X helper: finds a top-level window by its title, gives it the keyboard focus and types keys
# into it through the XTEST extension (no window manager runs on the virtual display).
cat >"$work/xkeys.py" <<'EOF'
import ctypes, sys, time
x11 = ctypes.CDLL("libX11.so.6")
xtst = ctypes.CDLL("libXtst.so.6")
x11.XOpenDisplay.restype = ctypes.c_void_p
x11.XOpenDisplay.argtypes = [ctypes.c_char_p]
x11.XKeysymToKeycode.argtypes = [ctypes.c_void_p, ctypes.c_ulong]
x11.XStringToKeysym.restype = ctypes.c_ulong
x11.XStringToKeysym.argtypes = [ctypes.c_char_p]
x11.XSetInputFocus.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_ulong]
x11.XFlush.argtypes = [ctypes.c_void_p]
x11.XSync.argtypes = [ctypes.c_void_p, ctypes.c_int]
xtst.XTestFakeKeyEvent.argtypes = [ctypes.c_void_p, ctypes.c_uint, ctypes.c_int, ctypes.c_ulong]
display = x11.XOpenDisplay(None)
if not display:
    sys.exit("cannot open the display")
window = int(sys.argv[1], 0)
x11.XSetInputFocus(display, window, 1, 0)  # RevertToPointerRoot, CurrentTime
x11.XSync(display, 0)
time.sleep(0.5)
def code(name):
    return x11.XKeysymToKeycode(display, x11.XStringToKeysym(name.encode()))
for combo in sys.argv[2:]:
    keys = [code(k) for k in combo.split("+")]
    for k in keys:
        xtst.XTestFakeKeyEvent(display, k, 1, 0)
    for k in reversed(keys):
        xtst.XTestFakeKeyEvent(display, k, 0, 0)
    x11.XSync(display, 0)
    time.sleep(0.7)
EOF

# The id of the shown top-level window whose title matches the pattern $1; empty after 20 s.
window_id() {
  for _ in $(seq 100); do
    local id
    id=$(xwininfo -root -children 2>/dev/null | awk -v t="$1" '$0 ~ t {print $1; exit}')
    if [[ -n $id ]] && xwininfo -id "$id" 2>/dev/null | grep -q "Map State: IsViewable"; then
      echo "$id"
      return
    fi
    kill -0 "$zelkon" 2>/dev/null || return
    sleep 0.2
  done
}

main=$(window_id '"[^"]*Receiver Monitor')
[[ -n $main ]] || { echo "measure_cpu.sh: the main window did not open" >&2; cat "$work/zelkon.err" >&2; exit 1; }
if [[ ,$windows, == *,charts,* ]]; then
  python3 "$work/xkeys.py" "$main" Alt_L+w c
  [[ -n $(window_id '"Charts ') ]] || { echo "measure_cpu.sh: Charts did not open" >&2; exit 1; }
fi
if [[ ,$windows, == *,sky,* ]]; then
  python3 "$work/xkeys.py" "$main" Alt_L+w k
  [[ -n $(window_id '"Sky View ') ]] || { echo "measure_cpu.sh: Sky View did not open" >&2; exit 1; }
fi
echo "Windows open:" >&2
xwininfo -root -children | grep -E '"([^"]*Receiver Monitor|Charts|Sky View) ' >&2 || true

# utime + stime of the monitor in clock ticks.
ticks() { awk '{print $14 + $15}' "/proc/$zelkon/stat"; }
sleep 20
if [[ -n $perf_file ]]; then
  perf record -g -o "$perf_file" -p "$zelkon" -- sleep "$seconds" >"$work/perf.log" 2>&1 &
  pids+=($!)
fi
start_ticks=$(ticks)
start_s=$EPOCHREALTIME
sleep "$seconds"
end_ticks=$(ticks)
end_s=$EPOCHREALTIME
kill -0 "$zelkon" 2>/dev/null || { echo "measure_cpu.sh: the monitor ended early" >&2; exit 1; }
[[ -z $perf_file ]] || wait "${pids[-1]}" || true

hz=$(getconf CLK_TCK)
awk -v t0="$start_ticks" -v t1="$end_ticks" -v s0="$start_s" -v s1="$end_s" -v hz="$hz" \
    -v what="main window, windows: $windows" '
  BEGIN {
    cpu = (t1 - t0) / hz; wall = s1 - s0
    printf "%s: %.2f s CPU in %.1f s: %.2f %% of one core\n", what, cpu, wall, 100 * cpu / wall
  }'
