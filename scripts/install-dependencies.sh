#!/usr/bin/env bash
# Installs what building, testing and running the sample product need on a
# Debian machine. Only what is missing is installed: on a prepared machine it
# needs neither network nor root.
set -euo pipefail

packages=(
  build-essential cmake
  qtbase5-dev qtbase5-dev-tools qttools5-dev qttools5-dev-tools libqt5svg5-dev qttranslations5-l10n
  libboost-dev libboost-thread-dev
  libgoogle-glog-dev libxcb1-dev libavcodec-dev libutfcpp-dev
  googletest libgtest-dev libgmock-dev libbenchmark-dev
  xvfb xauth fonts-dejavu-core fonts-wqy-microhei
  abigail-tools doxygen
  clang libclang-rt-dev llvm
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
