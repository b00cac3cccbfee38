#!/usr/bin/env bash
# Soak test: the monitor, headless, against the receiver emulator with faults, for a while.
#
#   scripts/soak.sh [SECONDS] [--bin DIR] [--keep]
#
#   SECONDS     length of the run (default 600, at least 40)
#   --bin DIR   where zelkon and zelkon-sim are (default build/default, built when missing)
#   --keep      keep the logs (the JSON lines, the samples, both programs' standard error) in a
#               folder whose path is printed at the end; a failed run keeps them anyway
#
# The emulator corrupts 1 % of its bytes, drops 5 % of its packets and sends a fatal report now and
# then. In the middle of the run it is stopped (SIGSTOP) for a while and continued (SIGCONT): the
# monitor sees a silent receiver, must clear its main display and show the time again when the
# reports come back. The monitor's CPU time and resident memory are sampled from /proc throughout.
#
# The run fails (status 1, with a message per fault) when the monitor ends on its own, stops
# printing its JSON line for more than 10 s, does not clear during the silence or not come back
# after it, uses 5 % of one core or more, grows its resident memory after the warm-up by more than
# the bound below, or does not end cleanly (status 0) within 5 s of SIGTERM. Status 2: a mistake on
# the command line or a program missing.
set -euo pipefail
# Decimal points in $EPOCHREALTIME and awk's output whatever the caller's locale.
export LC_ALL=C
cd "$(dirname "${BASH_SOURCE[0]}")/.."
repo=$PWD

usage() {
  sed -n '2,21p' "$0" | sed 's/^# \{0,1\}//' >&2
  exit 2
}

# ---- Command line --------------------------------------------------------------------------------
seconds=600
bin=
keep=0
while (($#)); do
  case $1 in
    --bin) [[ $# -ge 2 ]] || usage; bin=$2; shift 2 ;;
    --keep) keep=1; shift ;;
    --help | -h) usage ;;
    *) [[ $1 =~ ^[0-9]+$ ]] || usage; seconds=$1; shift ;;
  esac
done
if ((seconds < 40)); then
  echo "soak.sh: a run needs at least 40 seconds (warm-up, reports, a silence, recovery)" >&2
  exit 2
fi

if [[ -z $bin ]]; then
  bin=$repo/build/default
  if [[ ! -x $bin/zelkon || ! -x $bin/zelkon-sim ]]; then
    echo "Building zelkon and zelkon-sim (build/default)" >&2
    cmake --preset default >&2
    cmake --build --preset default --target zelkon zelkon-sim >&2
  fi
fi
for program in zelkon zelkon-sim; do
  if [[ ! -x $bin/$program ]]; then
    echo "soak.sh: $bin/$program is missing" >&2
    exit 2
  fi
done

# ---- The plan of the run, scaled from its length -------------------------------------------------
# Warm-up: a tenth of the run, at least 10 s. The steady-state CPU figure and the memory growth are
# measured from its end on, after the start-up queries and the first satellite rows.
warmup_s=$((seconds / 10 > 10 ? seconds / 10 : 10))
# Silence: a twentieth of the run, between 12 s and 30 s, centred in the run. The monitor clears its
# display after five poll rounds (6 s) without a time report and prints its state once a round
# (1.2 s), so 12 s leave it room to do so.
silence_s=$((seconds / 20))
((silence_s >= 12)) || silence_s=12
((silence_s <= 30)) || silence_s=30
silence_start_s=$(((seconds - silence_s) / 2))
silence_end_s=$((silence_start_s + silence_s))
# /proc samples: every 10 s on a long run, more often on a short one (1 s up to 600 s / 60).
sample_s=$((seconds / 60))
((sample_s >= 1)) || sample_s=1
((sample_s <= 10)) || sample_s=10
# A fatal report every tenth of the run, at least every 10 s: about ten in any run.
fatal_every_s=$((seconds / 10 > 10 ? seconds / 10 : 10))

# The limits.
readonly max_gap_s=10           # longest time without a JSON line: beyond it the monitor hangs
readonly max_cpu_percent=5      # of one core, over the whole run and after the warm-up
readonly max_term_s=5           # from SIGTERM to the monitor's exit
readonly max_recovery_s=15      # from SIGCONT to the time shown again
# Resident memory may grow by 2 MiB after the warm-up. The monitor's state is fixed in size (panel
# captions, satellite rows, the last reports), so what moves is the allocator: malloc's arenas and
# free lists move by some hundreds of KiB as captions and packets of other lengths come and go. A
# leak of even 4 KiB per poll round (a packet buffer or a caption a round) passes 2 MiB within the
# 450 rounds of the default run; a bound in percent would say less, as the resident size is mostly
# the program's shared libraries.
readonly max_rss_growth_kib=2048

ticks_per_s=$(getconf CLK_TCK)

# ---- Children, logs and cleaning up --------------------------------------------------------------
logs=$(mktemp -d "${TMPDIR:-/tmp}/zelkon-soak.XXXXXX")
sim_pid=
monitor_pid=
stamper_pid=
sim_stopped=0
failed=0

cleanup() {
  local status=$?
  # A stopped emulator would not see its SIGTERM until continued.
  if [[ -n $sim_pid ]] && ((sim_stopped)); then kill -CONT "$sim_pid" 2>/dev/null || true; fi
  local pid
  for pid in $monitor_pid $sim_pid $stamper_pid; do
    kill -TERM "$pid" 2>/dev/null || true
  done
  for pid in $monitor_pid $sim_pid $stamper_pid; do
    wait "$pid" 2>/dev/null || true
  done
  if ((keep || failed || status != 0)); then
    echo "Logs kept in $logs" >&2
  else
    rm -rf "$logs"
  fi
}
trap cleanup EXIT
trap 'exit 130' INT
trap 'exit 143' TERM

failures=()
fail() { failures+=("$*"); }

# Microseconds since the epoch, and milliseconds since the monitor started, from $EPOCHREALTIME.
now_us() { local t=${EPOCHREALTIME/./}; echo "$t"; }
start_us=0
elapsed_ms() { local t=${EPOCHREALTIME/./}; echo $(((t - start_us) / 1000)); }

# utime + stime of a process, in clock ticks. Field 2 (the name) may hold blanks and parentheses,
# so the fields are counted from the last ')'.
cpu_ticks() {
  local stat
  stat=$(<"/proc/$1/stat") || return 1
  local -a fields
  read -r -a fields <<<"${stat##*) }"
  # After the name: state is field 3, utime field 14, stime field 15.
  echo $((fields[11] + fields[12]))
}

# VmRSS of a process in KiB.
rss_kib() {
  local key value _
  while read -r key value _; do
    [[ $key == VmRSS: ]] && { echo "$value"; return 0; }
  done <"/proc/$1/status"
  return 1
}

# ---- Start ---------------------------------------------------------------------------------------
# The monitor reads and writes its stored settings in a folder of this run only: the operator's
# answers do not change the run, and the run leaves nothing behind.
export XDG_CONFIG_HOME=$logs/config

"$bin/zelkon-sim" --pty --corrupt 0.01 --drop 0.05 --fatal-every "$fatal_every_s" \
  >"$logs/sim.out" 2>"$logs/sim.err" &
sim_pid=$!
device=
for _ in $(seq 50); do
  device=$(head -n 1 "$logs/sim.out")
  [[ -n $device ]] && break
  sleep 0.1
done
if [[ -z $device ]]; then
  failed=1
  echo "soak.sh: the emulator printed no device path within 5 s" >&2
  exit 1
fi

# Each JSON line gets the time it arrived (microseconds since the epoch) in front, for the gaps
# and the silence; the monitor writes into a FIFO so that its own process id is the one we watch.
mkfifo "$logs/monitor.fifo"
while IFS= read -r line; do
  printf '%s %s\n' "${EPOCHREALTIME/./}" "$line"
done <"$logs/monitor.fifo" >"$logs/monitor.jsonl" &
stamper_pid=$!

start_us=$(now_us)
# Metrics on any free loopback port: the packet counts show the fatal reports that arrived.
"$bin/zelkon" --headless --device "$device" --ntp no --metrics-listen 127.0.0.1:0 \
  >"$logs/monitor.fifo" 2>"$logs/monitor.err" &
monitor_pid=$!

echo "Soak: ${seconds} s, warm-up ${warmup_s} s, emulator silent from ${silence_start_s} s to" \
  "${silence_end_s} s, fatal report every ${fatal_every_s} s, samples every ${sample_s} s," \
  "logs in $logs" >&2

# ---- The run -------------------------------------------------------------------------------------
# samples.tsv: milliseconds since start, CPU ticks, VmRSS KiB, JSON lines so far.
printf 'ms\tticks\trss_kib\tlines\n' >"$logs/samples.tsv"
warm_ms=-1 warm_ticks=0 warm_rss=0
max_rss=0
max_interval_percent=0 max_interval_at_ms=0
last_ms=0 last_ticks=0
ticks=0 rss=0
silence_start_ms=-1 silence_end_ms=-1
monitor_exited=

sample() {
  local at_ms=$1 lines
  ticks=$(cpu_ticks "$monitor_pid") || return 1
  rss=$(rss_kib "$monitor_pid") || return 1
  lines=$(wc -l <"$logs/monitor.jsonl")
  printf '%s\t%s\t%s\t%s\n' "$at_ms" "$ticks" "$rss" "$lines" >>"$logs/samples.tsv"
  if ((rss > max_rss)); then max_rss=$rss; fi
  if ((warm_ms < 0 && at_ms >= warmup_s * 1000)); then
    warm_ms=$at_ms warm_ticks=$ticks warm_rss=$rss
  fi
  # The busiest interval between two samples, in hundredths of a percent of one core.
  if ((at_ms > last_ms)); then
    local percent=$(((ticks - last_ticks) * 10000000 / ticks_per_s / (at_ms - last_ms)))
    if ((percent > max_interval_percent)); then
      max_interval_percent=$percent max_interval_at_ms=$at_ms
    fi
  fi
  last_ms=$at_ms last_ticks=$ticks
}

next_sample_ms=0
while :; do
  now_ms=$(elapsed_ms)
  ((now_ms < seconds * 1000)) || break
  if ! kill -0 "$monitor_pid" 2>/dev/null; then
    status=0
    wait "$monitor_pid" || status=$?
    monitor_exited="the monitor ended on its own after $((now_ms / 1000)) s with status $status"
    monitor_pid=
    break
  fi
  if ! kill -0 "$sim_pid" 2>/dev/null; then
    failed=1
    echo "soak.sh: the emulator ended on its own after $((now_ms / 1000)) s; see $logs/sim.err" >&2
    exit 1
  fi
  if ((now_ms >= next_sample_ms)); then
    sample "$now_ms" || true
    next_sample_ms=$((next_sample_ms + sample_s * 1000))
  fi
  if ((silence_start_ms < 0 && now_ms >= silence_start_s * 1000)); then
    kill -STOP "$sim_pid"
    sim_stopped=1
    silence_start_ms=$(elapsed_ms)
  elif ((silence_start_ms >= 0 && silence_end_ms < 0 && now_ms >= silence_end_s * 1000)); then
    kill -CONT "$sim_pid"
    sim_stopped=0
    silence_end_ms=$(elapsed_ms)
  fi
  sleep 0.2
done

# ---- The end: the last sample, the packet counts, SIGTERM ----------------------------------------
fatal_received=unknown
end_ms=$(elapsed_ms)
term_ms=$end_ms
if [[ -n $monitor_exited ]]; then
  fail "$monitor_exited"
else
  sample "$end_ms" || true
  # The metrics address is on the monitor's standard error: "zelkon: metrics at http://H:P/metrics".
  if [[ $(<"$logs/monitor.err") =~ metrics\ at\ http://([0-9.]+):([0-9]+)/ ]]; then
    host=${BASH_REMATCH[1]} port=${BASH_REMATCH[2]}
    # shellcheck disable=SC2016 # the host and port are the inner shell's $0 and $1
    if timeout 5 bash -c 'exec 3<>"/dev/tcp/$0/$1" &&
        printf "GET /metrics HTTP/1.0\r\nHost: %s\r\n\r\n" "$0" >&3 && cat <&3' "$host" "$port" \
        >"$logs/metrics.txt" 2>/dev/null; then
      # Fatal errors are 0x5F-FF, fatal exceptions 0x5F-FE; a count is absent until one arrives.
      fatal_received=$(awk '/^zelkon_received_packets_total\{.*report="0x5F-F[EF]"/ { n += $NF }
                            END { print n + 0 }' "$logs/metrics.txt")
    fi
  fi
  term_ms=$(elapsed_ms)
  kill -TERM "$monitor_pid"
  waited_ms=0
  while kill -0 "$monitor_pid" 2>/dev/null && ((waited_ms < max_term_s * 1000)); do
    sleep 0.1
    waited_ms=$((waited_ms + 100))
  done
  if kill -0 "$monitor_pid" 2>/dev/null; then
    fail "the monitor did not end within ${max_term_s} s of SIGTERM"
    kill -KILL "$monitor_pid" 2>/dev/null || true
    wait "$monitor_pid" 2>/dev/null || true
  else
    status=0
    wait "$monitor_pid" || status=$?
    exit_ms=$(elapsed_ms)
    ((status == 0)) || fail "the monitor ended with status $status on SIGTERM"
  fi
  monitor_pid=
fi
# The stamper ends at the end of the FIFO, once the monitor has closed it.
wait "$stamper_pid" || true
stamper_pid=
if ((sim_stopped)); then kill -CONT "$sim_pid"; sim_stopped=0; fi
kill -TERM "$sim_pid" 2>/dev/null || true
wait "$sim_pid" || true
sim_pid=

# ---- The JSON lines ------------------------------------------------------------------------------
# timeline.tsv: milliseconds since start, then Panel_TOW, Panel_Time and Panel_Status as shown.
#
# A time shown is measured against the PC clock by its offset: the GPS time shown (week * 604800 +
# TOW) minus the time the line arrived, in milliseconds. The emulator's GPS time runs with the PC
# clock, stopped or not, so every true report shows about the same offset (a line may show a report
# a second or two old). A corrupted byte in a time report (RXBIN has no checksum) shows a time far
# from it, so the reference offset is the median of the 10 s before the silence, and after the
# silence the time counts as back at the first line within a few seconds of that offset.
readonly time_tolerance_ms=3000
lines=0 silence_lines=0
max_gap_ms=0 max_gap_at_ms=0 previous_ms=0
offsets_before=()      # the offsets of the lines showing a time in the 10 s before the silence
reference_offset=      # their median
silence_last_cleared=  # whether the last line of the silence showed a cleared display
cleared_after_ms=-1    # from the start of the silence to the first cleared line
first_after_ms=-1      # from the end of the silence to the first line showing a time
first_after_off_ms=0   # that line's offset from the reference
back_after_ms=-1       # from the end of the silence to the first line showing the true time
printf 'ms\ttow\ttime\tstatus\n' >"$logs/timeline.tsv"
while read -r stamp json; do
  at_ms=$(((stamp - start_us) / 1000))
  lines=$((lines + 1))
  gap=$((at_ms - previous_ms))
  if ((gap > max_gap_ms)); then max_gap_ms=$gap max_gap_at_ms=$at_ms; fi
  previous_ms=$at_ms
  tow='' week='' time='' status=''
  [[ $json =~ \"Panel_TOW\":\"([^\"]*)\" ]] && tow=${BASH_REMATCH[1]}
  [[ $json =~ \"Panel_WeekNum\":\"([^\"]*)\" ]] && week=${BASH_REMATCH[1]}
  [[ $json =~ \"Panel_Time\":\"([^\"]*)\" ]] && time=${BASH_REMATCH[1]}
  [[ $json =~ \"Panel_Status\":\"([^\"]*)\" ]] && status=${BASH_REMATCH[1]}
  printf '%s\t%s\t%s\t%s\n' "$at_ms" "$tow" "$time" "$status" >>"$logs/timeline.tsv"
  # Before the receiver has the time the panel shows -1; cleared, it shows nothing.
  shows_time=0 cleared=0 offset=0
  if [[ $tow =~ ^[0-9]+$ && $week =~ ^[0-9]+$ ]]; then
    shows_time=1
    offset=$(((10#$week * 604800 + 10#$tow) * 1000 - at_ms))
  fi
  [[ -z $tow && -z $time ]] && cleared=1
  if ((at_ms < silence_start_ms)); then
    if ((shows_time && at_ms >= silence_start_ms - 10000)); then offsets_before+=("$offset"); fi
  elif ((at_ms < silence_end_ms)); then
    silence_lines=$((silence_lines + 1))
    if ((cleared && cleared_after_ms < 0)); then cleared_after_ms=$((at_ms - silence_start_ms)); fi
    silence_last_cleared=$cleared
  elif ((silence_end_ms >= 0 && shows_time && ${#offsets_before[@]} >= 3)); then
    if [[ -z $reference_offset ]]; then
      reference_offset=$(printf '%s\n' "${offsets_before[@]}" | sort -n |
        sed -n "$(((${#offsets_before[@]} + 1) / 2))p")
    fi
    off=$((offset - reference_offset))
    if ((first_after_ms < 0)); then
      first_after_ms=$((at_ms - silence_end_ms)) first_after_off_ms=$off
    fi
    if ((back_after_ms < 0 && off >= -time_tolerance_ms && off <= time_tolerance_ms)); then
      back_after_ms=$((at_ms - silence_end_ms))
    fi
  fi
done <"$logs/monitor.jsonl"
# The time from the last line to SIGTERM counts as a gap too.
gap=$((term_ms - previous_ms))
if ((gap > max_gap_ms)); then max_gap_ms=$gap max_gap_at_ms=$term_ms; fi

message_boxes=$(grep -c '^message box' "$logs/monitor.err" || true)

# ---- Figures -------------------------------------------------------------------------------------
# A / B as a decimal with D places (awk: bash has integers only).
ratio() { awk -v a="$1" -v b="$2" -v d="$3" 'BEGIN { printf "%.*f", d, (b ? a / b : 0) }'; }
# Milliseconds since the start as whole seconds: "12 s".
seconds_of() { echo "$(ratio "$1" 1000 0) s"; }

cpu_s=$(ratio "$ticks" "$ticks_per_s" 2)
cpu_percent=$(ratio "$((ticks * 100))" "$((ticks_per_s * end_ms / 1000))" 3)
steady_ms=$((end_ms - warm_ms))
if ((warm_ms >= 0 && end_ms > warm_ms)); then
  steady_ticks=$((ticks - warm_ticks))
  steady_cpu_s=$(ratio "$steady_ticks" "$ticks_per_s" 2)
  steady_percent=$(ratio "$((steady_ticks * 100 * 1000))" "$((ticks_per_s * steady_ms))" 3)
  rss_growth=$((rss - warm_rss))
else
  steady_ticks=0 steady_cpu_s=0 steady_percent=0 rss_growth=0
fi

# When the emulator was stopped and continued, as far as the run got.
silence_text() {
  if ((silence_start_ms < 0)); then
    echo "not reached"
  elif ((silence_end_ms < 0)); then
    echo "from $(ratio "$silence_start_ms" 1000 1) s, not ended"
  else
    echo "$(ratio "$silence_start_ms" 1000 1) s to $(ratio "$silence_end_ms" 1000 1) s"
  fi
}

# One line of the figures: the name in a column, then the value.
figure() { printf '  %-28s %s\n' "$1" "${*:2}"; }

echo "Soak figures"
figure "wall time" "$(ratio "$end_ms" 1000 1) s (SIGTERM at $(ratio "$term_ms" 1000 1) s)"
figure "CPU, whole run" \
  "${cpu_s} s = ${cpu_percent} % of one core (${ticks} ticks of 1/${ticks_per_s} s)"
figure "CPU, after the warm-up" \
  "${steady_cpu_s} s = ${steady_percent} % of one core over $(ratio "$steady_ms" 1000 1) s"
figure "CPU, busiest ${sample_s} s interval" \
  "$(ratio "$max_interval_percent" 100 2) % of one core, up to $(seconds_of "$max_interval_at_ms")"
figure "RSS at the warm-up's end" "${warm_rss} KiB (at $(ratio "$warm_ms" 1000 1) s)"
figure "RSS at the end" "${rss} KiB (growth ${rss_growth} KiB, bound ${max_rss_growth_kib} KiB)"
figure "RSS max" "${max_rss} KiB"
figure "JSON lines" "${lines} (one per $(ratio "$end_ms" "$((lines * 1000))" 2) s)"
figure "longest gap between lines" \
  "$(ratio "$max_gap_ms" 1000 1) s, up to $(ratio "$max_gap_at_ms" 1000 0) s"
figure "silence" "$(silence_text), ${silence_lines} lines"
if ((cleared_after_ms >= 0)); then
  figure "display cleared" "$(ratio "$cleared_after_ms" 1000 1) s into the silence"
else
  figure "display cleared" "never"
fi
if ((first_after_ms >= 0)); then
  figure "first time after the silence" "$(ratio "$first_after_ms" 1000 1) s after it," \
    "$(ratio "$first_after_off_ms" 1000 1) s from the clock"
fi
if ((back_after_ms >= 0)); then
  figure "true time shown again" "$(ratio "$back_after_ms" 1000 1) s after the silence"
else
  figure "true time shown again" "never"
fi
figure "fatal reports received" \
  "${fatal_received} (the emulator sends one every ${fatal_every_s} s while it runs)"
figure "message boxes" "${message_boxes}"
if [[ -n ${exit_ms:-} ]]; then
  figure "exit on SIGTERM" "after $((exit_ms - term_ms)) ms"
fi

# ---- Verdict -------------------------------------------------------------------------------------
((lines > 0)) || fail "the monitor printed no JSON line"
((max_gap_ms <= max_gap_s * 1000)) ||
  fail "no JSON line for $(ratio "$max_gap_ms" 1000 1) s (up to $(seconds_of "$max_gap_at_ms")):" \
    "more than ${max_gap_s} s"
if ((silence_start_ms >= 0 && silence_end_ms >= 0)); then
  ((${#offsets_before[@]} >= 3)) ||
    fail "the display showed the time in ${#offsets_before[@]} lines of the 10 s before the" \
      "silence: fewer than 3"
  ((cleared_after_ms >= 0)) || fail "the display was not cleared during the silence"
  [[ $silence_last_cleared == 1 ]] ||
    fail "the display did not stay cleared until the end of the silence"
  if ((back_after_ms < 0)); then
    fail "the true time (within $((time_tolerance_ms / 1000)) s) was not shown after the silence"
  elif ((back_after_ms > max_recovery_s * 1000)); then
    fail "the time came back $(ratio "$back_after_ms" 1000 1) s after the silence:" \
      "more than ${max_recovery_s} s"
  fi
elif [[ -z $monitor_exited ]]; then
  fail "the silence did not happen"
fi
# The figures of a monitor that ended early say nothing more.
if [[ -z $monitor_exited ]]; then
  ((ticks * 100 * 1000 < max_cpu_percent * ticks_per_s * end_ms)) ||
    fail "CPU ${cpu_percent} % of one core over the run: ${max_cpu_percent} % or more"
  ((steady_ticks * 100 * 1000 < max_cpu_percent * ticks_per_s * steady_ms)) ||
    fail "CPU ${steady_percent} % of one core after the warm-up: ${max_cpu_percent} % or more"
  ((warm_ms >= 0)) || fail "no sample after the warm-up"
  ((rss_growth <= max_rss_growth_kib)) ||
    fail "resident memory grew by ${rss_growth} KiB after the warm-up:" \
      "more than ${max_rss_growth_kib} KiB"
fi

if ((${#failures[@]})); then
  failed=1
  echo "SOAK FAILED:" >&2
  printf '  %s\n' "${failures[@]}" >&2
  exit 1
fi
echo "Soak passed"
