#!/usr/bin/env bash
# Compares the built libApplication.so with the binary-interface baseline kept
# in abi/, or writes a new baseline with --update.
#   scripts/check-abi.sh LIBRARY            exit 0 when nothing changed
#   scripts/check-abi.sh --update LIBRARY   after a deliberate change (see docs/abi.md)
# LIBRARY is a debug build's libApplication.so (the check reads its debug
# information), e.g. build-tests/lib/libApplication.so.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
update=0
if [ "${1:-}" = "--update" ]; then
  update=1
  shift
fi
library="${1:?usage: check-abi.sh [--update] LIBRARY}"
baseline="$root/abi/libApplication.abi"
if [ "$update" = 1 ]; then
  # Only the types the installed headers declare; no paths of this checkout.
  abidw --headers-dir "$root/include" --drop-private-types --exported-interfaces-only --no-show-locs \
    --no-corpus-path --no-comp-dir-path --type-id-style hash --out-file "$baseline" "$library"
  echo "wrote $baseline"
  exit 0
fi

status=0
# The built side is read whole: filtering it by the headers as well hides
# changes of public nested types (a member added to a returned struct).
abidiff --no-show-locs --no-unreferenced-symbols --suppressions "$root/abi/suppressions.ini" "$baseline" "$library" || status=$?
if [ "$status" != 0 ]; then
  echo "The binary interface of $library differs from abi/libApplication.abi (abidiff status $status)."
  echo "If the change is meant, run scripts/check-abi.sh --update on a debug build and say why in docs/abi.md."
fi
exit "$status"
