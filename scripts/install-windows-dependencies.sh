#!/usr/bin/env bash
# Installs what the Windows check (scripts/run-windows-tests.sh) needs on a
# Debian machine: the mingw-w64 cross compiler with posix threads, Wine, and
# the sources and headers the cross build takes from the host. Only what is
# missing is installed: on a prepared machine it needs neither network nor
# root.
set -euo pipefail

packages=(
  cmake make
  g++-mingw-w64-x86-64-posix wine64
  googletest libutfcpp-dev
  xvfb xauth
)

missing=()
for package in "${packages[@]}"; do
  status=$(dpkg-query -W -f='${Status}' "$package" 2>/dev/null || true)
  [ "$status" = "install ok installed" ] || missing+=("$package")
done
[ ${#missing[@]} -eq 0 ] && exit 0

run_as_root() {
  if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi
}

echo "Installing: ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
run_as_root apt-get update -qq
run_as_root apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
