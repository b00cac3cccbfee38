#!/usr/bin/env bash
# Zelkon's one entry point for building, running and testing on Debian 12.
#
#   scripts/dev.sh run [ARGS...]  install what is missing, build, run the monitor (default
#                                 arguments: --demo, the built-in receiver emulator)
#   scripts/dev.sh test           install what is missing, build and run every test:
#                                 the plain suite, then the suite under AddressSanitizer +
#                                 UndefinedBehaviorSanitizer, then under ThreadSanitizer, then
#                                 every fuzz target for a few seconds (scripts/fuzz.sh)
#   scripts/dev.sh bench          build and run the benchmarks
#
# Packages are installed with apt only when missing, through sudo only when not root.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."

PACKAGES=(build-essential cmake ninja-build libgtest-dev libgmock-dev libbenchmark-dev
          qt6-base-dev qt6-base-dev-tools qt6-charts-dev libgl-dev fonts-dejavu-core
          libmicrohttpd-dev libgensio-dev)
# Only for the tests: promtool and a Prometheus server scrape the metrics endpoint; clang and its
# libFuzzer runtime build the fuzz targets; the package test (tests/packaging) builds the Debian
# package (dpkg-shlibdeps) and checks its desktop entry, manual pages and icon; Xvfb is the X server
# the windows are checked against the screen in; a private D-Bus daemon carries the notifications;
# ser2net serves the emulator's port over the network for the remote-port tests; chronyd, run in
# the foreground without touching the PC's clock, reads the time feeds (its socket and the shared
# memory) and chronyc asks it what it measured.
TEST_PACKAGES=(prometheus clang libclang-rt-14-dev dpkg-dev desktop-file-utils groff-base man-db
               libxml2-utils xvfb dbus-daemon ser2net chrony)

# Installs those of the packages named that are missing.
install_missing() {
  local missing=() p
  for p in "$@"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" ||
      missing+=("$p")
  done
  ((${#missing[@]})) || return 0
  echo "Installing: ${missing[*]}" >&2
  local sudo=()
  [[ $(id -u) -eq 0 ]] || sudo=(sudo)
  # The installer's output goes to standard error too.
  "${sudo[@]}" apt-get update -q >&2
  "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -q "${missing[@]}" >&2
}

# Build output goes to standard error: standard output belongs to the program. Targets after the
# preset build only those (and what they need); without, everything.
build() {
  local preset=$1
  shift
  cmake --preset "$preset" >/dev/null
  if (($#)); then
    echo "Building $* (build/$preset)" >&2
    cmake --build --preset "$preset" --target "$@" >&2
  else
    echo "Building everything (build/$preset)" >&2
    cmake --build --preset "$preset" >&2
  fi
}

command=${1:-}
[[ $# -gt 0 ]] && shift
case "$command" in
  run)
    install_missing "${PACKAGES[@]}"
    build default zelkon
    # Without arguments: the monitor on the built-in receiver emulator (without a display, the
    # same monitor headless, printing its state as JSON lines).
    [[ $# -gt 0 ]] || set -- --demo
    exec build/default/zelkon "$@"
    ;;
  test)
    install_missing "${PACKAGES[@]}" "${TEST_PACKAGES[@]}"
    for preset in default asan tsan; do
      echo "== $preset ==" >&2
      build "$preset"
      ctest --preset "$preset"
    done
    echo "== fuzz ==" >&2
    scripts/fuzz.sh all 3
    ;;
  bench)
    install_missing "${PACKAGES[@]}"
    build default zelkon_bench
    exec build/default/zelkon_bench "$@"
    ;;
  *)
    sed -n '2,12p' "$0" | sed 's/^# \{0,1\}//' >&2
    exit 2
    ;;
esac
