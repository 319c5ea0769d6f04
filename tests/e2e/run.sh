#!/usr/bin/env bash
# Runs one end-to-end scenario against the Windows build under Wine.
#   tests/e2e/run.sh <scenario>      e.g. tests/e2e/run.sh startup
# HB_WIN64_DIR selects the build to test (default: build/win64 of this checkout).
# Exit status: the scenario's; 2 for a usage error; 77 when Wine or Xvfb is not installed.
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
scenarios=$root/tests/e2e/scenarios

usage() {
  local f
  echo "usage: $0 <scenario>" >&2
  for f in "$scenarios"/*.sh; do
    [[ -e $f ]] && echo "  scenario: $(basename "$f" .sh)" >&2
  done
  exit 2
}

(($# == 1)) || usage
scenario=$1
[[ $scenario =~ ^[A-Za-z0-9_-]+$ && -f $scenarios/$scenario.sh ]] || usage

for tool in "${HB_WINE64:-/usr/lib/wine/wine64}" "${HB_WINESERVER:-/usr/lib/wine/wineserver}" Xvfb; do
  if ! command -v "$tool" >/dev/null; then
    echo "skipped: $tool is not installed (scripts/install-deps.sh installs it)" >&2
    exit 77
  fi
done

export HB_WIN64_DIR=${HB_WIN64_DIR:-$root/build/win64}
export HB_E2E_WORKDIR=${HB_E2E_WORKDIR:-$root/build/e2e-runs/$scenario}
echo "# scenario $scenario, build $HB_WIN64_DIR"
exec bash "$scenarios/$scenario.sh"
