#!/usr/bin/env bash
# Installs what building, testing and running the sample product need on a
# Debian machine. Safe to run again: apt-get skips what is already there.
set -euo pipefail

packages=(
  build-essential cmake
  qtbase5-dev qtbase5-dev-tools qttools5-dev qttools5-dev-tools libqt5svg5-dev
  libboost-dev libboost-thread-dev
  libgoogle-glog-dev
  googletest libgtest-dev libgmock-dev libbenchmark-dev
  xvfb xauth fonts-dejavu-core fonts-wqy-microhei
  qttranslations5-l10n
)

run_as_root() {
  if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi
}

export DEBIAN_FRONTEND=noninteractive
run_as_root apt-get update -qq
run_as_root apt-get install -y -qq --no-install-recommends "${packages[@]}" >/dev/null
