#!/usr/bin/env bash
# The Debian package of a build, as a user gets it: builds it with cpack from the build folder,
# unpacks it into a fresh folder and checks what it holds and that what it installs runs.
#
#   deb_package_test.sh BUILD_DIR VERSION SAMPLE
#
# BUILD_DIR holds CPackConfig.cmake and the programs, VERSION is the project version, SAMPLE a
# recording zelkon-sample wrote (ten one-second rounds of reports). Needs dpkg-dev (cpack's
# dpkg-shlibdeps), desktop-file-utils, groff-base, man-db and libxml2-utils; systemd-analyze checks
# the unit where it exists. Prints one line per check and exits 1 after the first that fails.
set -euo pipefail

if (($# != 3)); then
  echo "usage: $0 BUILD_DIR VERSION SAMPLE" >&2
  exit 2
fi
build=$(realpath "$1")
version=$2
sample=$(realpath "$3")

work=$(mktemp -d "${TMPDIR:-/tmp}/zelkon-deb.XXXXXX")
pids=()
cleanup() {
  local pid
  for pid in "${pids[@]}"; do
    kill "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
  done
  rm -rf "$work"
}
trap cleanup EXIT

fail() {
  echo "FAIL: $*" >&2
  exit 1
}
ok() { echo "ok: $*"; }

for tool in cpack dpkg dpkg-deb dpkg-shlibdeps readelf desktop-file-validate groff man xmllint; do
  command -v "$tool" >/dev/null || fail "$tool is not installed (scripts/dev.sh installs it)"
done

# ---- The package ----------------------------------------------------------------------------------
(cd "$work" && cpack --config "$build/CPackConfig.cmake" -G DEB -B "$work/out") >"$work/cpack.log" 2>&1 ||
  { cat "$work/cpack.log" >&2; fail "cpack did not build the package"; }
shopt -s nullglob
debs=("$work"/out/*.deb)
shopt -u nullglob
((${#debs[@]} == 1)) || fail "cpack made ${#debs[@]} .deb files, not one"
deb=${debs[0]}
[[ $(basename "$deb") == "zelkon_${version}_$(dpkg --print-architecture).deb" ]] ||
  fail "package file named $(basename "$deb")"
ok "cpack built $(basename "$deb")"

field() { dpkg-deb -f "$deb" "$1"; }
[[ $(field Package) == zelkon ]] || fail "Package: $(field Package)"
[[ $(field Version) == "$version" ]] || fail "Version: $(field Version), not $version"
for name in Maintainer Description Section Architecture; do
  [[ -n $(field "$name") ]] || fail "the control file has no $name"
done
depends=$(field Depends)
echo "Depends: $depends"
# The package names of the Depends field, without versions.
mapfile -t depended < <(tr ',' '\n' <<<"$depends" | sed -E 's/^ *//; s/[ (].*//' | sed '/^$/d')
depends_on() {
  local name
  for name in "${depended[@]}"; do [[ $name == "$1" ]] && return 0; done
  return 1
}
for package in libqt6core6 libqt6gui6 libqt6widgets6 libqt6charts6 libmicrohttpd12 libc6 \
  libstdc++6; do
  depends_on "$package" || fail "Depends lacks $package"
done
for name in "${depended[@]}"; do
  [[ $name != *asan* && $name != *tsan* && $name != *ubsan* ]] ||
    fail "Depends names a sanitizer runtime, $name: a sanitizer build was packaged"
done
ok "control fields and Depends"

# ---- What it installs -----------------------------------------------------------------------------
root=$work/root
mkdir "$root"
dpkg -x "$deb" "$root"
expected=(
  usr/bin/zelkon
  usr/bin/zelkon-decode
  usr/bin/zelkon-sim
  usr/lib/systemd/system/zelkon-monitor@.service
  usr/share/applications/zelkon.desktop
  usr/share/doc/zelkon/README.md
  usr/share/icons/hicolor/scalable/apps/zelkon.svg
  usr/share/man/man1/zelkon-decode.1.gz
  usr/share/man/man1/zelkon-sim.1.gz
  usr/share/man/man1/zelkon.1.gz
)
actual=$(cd "$root" && find . -type f -o -type l | sed 's|^\./||' | LC_ALL=C sort)
[[ $actual == "$(printf '%s\n' "${expected[@]}" | LC_ALL=C sort)" ]] ||
  fail "the package holds:"$'\n'"$actual"$'\n'"expected:"$'\n'"$(printf '%s\n' "${expected[@]}")"
for program in zelkon zelkon-decode zelkon-sim; do
  [[ -x $root/usr/bin/$program ]] || fail "usr/bin/$program is not executable"
done
ok "the package holds exactly the ${#expected[@]} files"

# Every library a program needs directly resolves, and its package is in Depends.
for program in zelkon zelkon-decode zelkon-sim; do
  binary=$root/usr/bin/$program
  libraries=$(ldd "$binary")
  ! grep -q "not found" <<<"$libraries" || fail "$program: $(grep "not found" <<<"$libraries")"
  while read -r soname; do
    path=$(awk -v so="$soname" '$1 == so && $2 == "=>" { print $3 }' <<<"$libraries")
    [[ -n $path ]] || fail "$program: ldd does not list $soname"
    owner=$(dpkg -S "$path" 2>/dev/null || dpkg -S "/usr$path" 2>/dev/null) ||
      fail "$program: no package owns $path"
    package=${owner%%:*}
    depends_on "$package" || fail "$program needs $soname of $package, which Depends lacks"
  done < <(readelf -d "$binary" | sed -nE 's/.*\(NEEDED\).*\[(.*)\]/\1/p')
done
ok "every library the programs link is of a package in Depends"

# ---- The desktop entry and its icon ---------------------------------------------------------------
desktop=$root/usr/share/applications/zelkon.desktop
validation=$(desktop-file-validate "$desktop" 2>&1) || fail "desktop-file-validate: $validation"
[[ -z $validation ]] || fail "desktop-file-validate: $validation"
for line in Type=Application Name=Zelkon Exec=zelkon Icon=zelkon Terminal=false; do
  grep -qx "$line" "$desktop" || fail "zelkon.desktop lacks $line"
done
grep -qE '^Categories=.*Science;' "$desktop" || fail "zelkon.desktop is not in category Science"
icon=$root/usr/share/icons/hicolor/scalable/apps/zelkon.svg
xmllint --noout "$icon" || fail "zelkon.svg is not well-formed XML"
grep -q '<svg[^>]*xmlns="http://www.w3.org/2000/svg"' "$icon" || fail "zelkon.svg has no svg element"
grep -q 'viewBox=' "$icon" || fail "zelkon.svg has no viewBox, so it does not scale"
ok "desktop entry and icon"

# ---- The manual pages -----------------------------------------------------------------------------
for program in zelkon zelkon-sim zelkon-decode; do
  page=$root/usr/share/man/man1/$program.1.gz
  source=$(gzip -dc "$page")
  warnings=$(groff -man -Tutf8 -ww -z <<<"$source" 2>&1)
  [[ -z $warnings ]] || fail "$program.1: groff warns:"$'\n'"$warnings"
  rendered=$(MANWIDTH=100 man -l "$page" 2>"$work/man.err") || fail "man -l $program.1 failed"
  [[ ! -s $work/man.err ]] || fail "man -l $program.1: $(cat "$work/man.err")"
  grep -qE "^ +$program - " <<<"$rendered" || fail "$program.1 has no NAME line for $program"
  for section in SYNOPSIS DESCRIPTION OPTIONS FILES EXAMPLES "SEE ALSO"; do
    grep -qx "$section" <<<"$rendered" || fail "$program.1 has no section $section"
  done
  grep -q "Zelkon $version" <<<"$rendered" || fail "$program.1 does not carry version $version"
  ! grep -q '@[A-Z_]*@' <<<"$source" || fail "$program.1 has a placeholder left"
  # Every long option the program's own help names is described.
  help=$(QT_QPA_PLATFORM=offscreen "$root/usr/bin/$program" --help)
  options=$(grep -oE -- '--[a-z][a-z-]*' <<<"$help" | sort -u)
  [[ -n $options ]] || fail "$program --help names no option"
  unescaped=${source//\\-/-}
  for option in $options; do
    grep -qF -- "$option" <<<"$unescaped" || fail "$program.1 does not describe $option"
  done
done
ok "three manual pages render without warnings and describe every option"

# ---- The programs, as installed -------------------------------------------------------------------
version_line=$(QT_QPA_PLATFORM=offscreen "$root/usr/bin/zelkon" --version)
[[ $version_line == "zelkon $version" ]] || fail "zelkon --version says '$version_line'"
ok "zelkon --version: $version_line"

decode=$root/usr/bin/zelkon-decode
"$decode" "$sample" >"$work/plain.txt" || fail "zelkon-decode $sample failed"
"$decode" --json "$sample" >"$work/json.txt" || fail "zelkon-decode --json $sample failed"
packets=$(wc -l <"$work/plain.txt")
((packets > 0)) || fail "zelkon-decode printed no packet of $sample"
(($(wc -l <"$work/json.txt") == packets)) ||
  fail "zelkon-decode --json printed $(wc -l <"$work/json.txt") lines for $packets packets"
grep -qvE '^[0-9A-F]{2} [0-9]+( [0-9A-F]{2})*$' "$work/plain.txt" &&
  fail "zelkon-decode printed a line that is not id, length and payload: $(grep -vE '^[0-9A-F]{2} [0-9]+( [0-9A-F]{2})*$' "$work/plain.txt" | head -1)"
grep -qv '"parsed":true' "$work/json.txt" &&
  fail "a report of the sample did not parse: $(grep -v '"parsed":true' "$work/json.txt" | head -1)"
for report in timingPrimary timingSupplemental; do
  count=$(grep -c "\"report\":\"$report\"" "$work/json.txt" || true)
  ((count == 10)) || fail "zelkon-decode --json found $count $report reports in ten seconds"
done
"$decode" --stability "$sample" >"$work/stability.csv" 2>"$work/stability.err" ||
  fail "zelkon-decode --stability failed: $(cat "$work/stability.err")"
[[ $(head -1 "$work/stability.csv") == "tau_s,n,adev,mdev,tdev" ]] ||
  fail "zelkon-decode --stability printed no CSV header"
grep -qE '^1,[0-9]+,[0-9.]+e[-+][0-9]+,' "$work/stability.csv" ||
  fail "zelkon-decode --stability has no deviation at 1 s"
ok "zelkon-decode decodes the sample: $packets packets, all parsed"

# ---- The unit ------------------------------------------------------------------------------------
unit=$root/usr/lib/systemd/system/zelkon-monitor@.service
exec_line=$(sed -n 's/^ExecStart=//p' "$unit")
[[ $(grep -c '^ExecStart=' "$unit") == 1 ]] || fail "the unit has not one ExecStart"
read -ra command <<<"$exec_line"
[[ ${command[0]} == /usr/bin/zelkon ]] || fail "the unit starts ${command[0]}, not /usr/bin/zelkon"
for line in DynamicUser=yes SupplementaryGroups=dialout Restart=on-failure \
  StandardOutput=journal NoNewPrivileges=yes ProtectSystem=strict ProtectHome=yes PrivateTmp=yes \
  'StateDirectory=zelkon-monitor/%i' 'EnvironmentFile=-/etc/default/zelkon-monitor'; do
  grep -qxF "$line" "$unit" || fail "the unit lacks $line"
done
grep -qE '^Environment=.*XDG_CONFIG_HOME=%S/zelkon-monitor/%i' "$unit" ||
  fail "the unit does not put the settings into its state folder"
! grep -qE '^(PrivateDevices=yes|DevicePolicy=(closed|strict)|ProtectClock=yes)' "$unit" ||
  fail "the unit closes the devices off, so the serial port cannot be opened"

# The unit's command, with the instance a pseudo-terminal the installed emulator serves, runs the
# headless monitor of that receiver and serves its metrics.
"$root/usr/bin/zelkon-sim" --pty >"$work/sim.path" 2>"$work/sim.err" &
pids+=($!)
for _ in $(seq 50); do
  [[ -s $work/sim.path ]] && break
  sleep 0.1
done
device=$(head -1 "$work/sim.path")
[[ $device == /dev/* ]] || fail "zelkon-sim --pty printed no device: $(cat "$work/sim.err")"
instance=${device#/dev/}
run=()
# shellcheck disable=SC2016 # the unit's variables, as written in it
for word in "${command[@]}"; do
  case $word in
    /usr/bin/zelkon) word=$root/usr/bin/zelkon ;;
    '${ZELKON_METRICS_LISTEN}') word=127.0.0.1:0 ;;
    '$ZELKON_OPTS') continue ;;
  esac
  run+=("${word//%I/$instance}")
done
mkdir "$work/state"
XDG_CONFIG_HOME=$work/state "${run[@]}" >"$work/monitor.out" 2>"$work/monitor.err" &
monitor=$!
pids+=("$monitor")
url=
for _ in $(seq 200); do
  url=$(sed -nE 's|^zelkon: metrics at (http://[^ ]*)$|\1|p' "$work/monitor.err")
  grep -q "^{\"title\":\"$device " "$work/monitor.out" && [[ -n $url ]] && break
  kill -0 "$monitor" 2>/dev/null || fail "the unit's command ended: $(cat "$work/monitor.err")"
  sleep 0.1
done
[[ -n $url ]] || fail "the unit's command serves no metrics: $(cat "$work/monitor.err")"
grep -q "^{\"title\":\"$device " "$work/monitor.out" ||
  fail "the unit's command printed no state of $device in 20 s"
hostport=${url#http://}
hostport=${hostport%%/*}
exec 3<>"/dev/tcp/${hostport%:*}/${hostport##*:}"
printf 'GET /metrics HTTP/1.0\r\nHost: %s\r\n\r\n' "$hostport" >&3
scrape=$(cat <&3)
exec 3<&-
grep -q '^HTTP/1\.[01] 200' <<<"$scrape" || fail "the metrics page answered: $(head -1 <<<"$scrape")"
grep -qE "^zelkon_received_packets_total\\{.*device=\"$device\"" <<<"$scrape" ||
  fail "the metrics count no packets received from $device"
kill -TERM "$monitor"
status=0
wait "$monitor" || status=$?
((status == 0)) || fail "the monitor ended with status $status on SIGTERM"
ok "the unit's command monitors $device and serves $url"

if command -v systemd-analyze >/dev/null; then
  # A root of the package and the system's units; the manual page named by Documentation= must be
  # the packaged one. Verify prints what it ignores but exits 0 for it, so any output fails.
  cp -a -n /lib/systemd/system/. "$root/usr/lib/systemd/system/"
  verify=$(MANPATH=$root/usr/share/man systemd-analyze verify --root="$root" \
    zelkon-monitor@ttyUSB0.service 2>&1) || fail "systemd-analyze verify:"$'\n'"$verify"
  [[ -z $verify ]] || fail "systemd-analyze verify:"$'\n'"$verify"
  ok "systemd-analyze verify zelkon-monitor@ttyUSB0.service"
else
  echo "skipped: systemd-analyze verify (systemd-analyze is not installed)"
fi

echo "The package is complete."
