#!/usr/bin/env bash
# Runs the Windows build of Handset Bridge under Wine on a private X server and reports what it
# shows: the message box, the status panel's fields and a screenshot. `make demo` builds first and
# then calls this. HB_WIN64_DIR selects the build (default: build/win64).
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
# shellcheck source-path=SCRIPTDIR source=../tests/e2e/lib/wine-env.sh
source "$root/tests/e2e/lib/wine-env.sh"

readonly DEMO_DIR=${HB_DEMO_DIR:-$root/build/demo}
readonly SCREENSHOT=$DEMO_DIR/handsetbridge.png
# The first program start in a fresh prefix also starts Wine's own desktop processes.
readonly STARTUP_TIMEOUT_MS=20000
readonly EXIT_TIMEOUT_S=5

# Status panel fields worth showing: control id and what the field stands for.
readonly -a PANEL_FIELDS=(
  '1003|Number of RC'
  '1016|Status (last driver result)'
  '1017|Start/Stop button'
  '1019|IR events seen'
  '1014|Last IR command'
  '1022|Key map file'
)

program_pid=
startup_box=

step() { printf '\n== %s\n' "$*"; }
say() { printf '   %s\n' "$*"; }
die() {
  printf 'demo failed: %s\n' "$*" >&2
  exit 1
}

start_program() {
  step "Starting $HB_EXE_NAME under Wine (display $DISPLAY)"
  e2e_start_exe "$HB_EXE"
  program_pid=$E2E_PID
  say "running, pid $program_pid"
}

# With no receiver registered in the prefix, start-up stops at the "no device" message box.
show_startup_box() {
  step "What the program shows"
  startup_box=$(e2e_hb wait-msgbox --timeout-ms "$STARTUP_TIMEOUT_MS") ||
    die "no message box appeared: $startup_box"
  say "message box \"$(e2e_kv caption "$startup_box")\": $(e2e_kv text "$startup_box")"
  say "icon: $(e2e_kv icon "$startup_box"), buttons: $(e2e_kv buttons "$startup_box")"
}

show_panel() {
  local ids='' row id texts dialog
  step "Status panel (dialog 102)"
  dialog=$(e2e_hb find-dialog --timeout-ms 5000) || die "the panel was not found: $dialog"
  say "window $(e2e_kv hwnd "$dialog"), visible=$(e2e_kv visible "$dialog"), rect $(e2e_kv rect "$dialog")"
  for row in "${PANEL_FIELDS[@]}"; do
    ids+=${ids:+,}${row%%|*}
  done
  texts=$(e2e_hb texts --ids "$ids") || die "could not read the panel: $texts"
  for row in "${PANEL_FIELDS[@]}"; do
    id=${row%%|*}
    printf '   %-5s %-28s "%s"\n' "$id" "${row#*|}" "$(e2e_kv "$id" "$texts" || echo '?')"
  done
}

take_screenshot() {
  step "Screenshot"
  e2e_screenshot "$SCREENSHOT"
  say "$SCREENSHOT"
}

close_startup_box() {
  local pressed
  step "Closing the message box"
  pressed=$(e2e_hb press-msgbox --button OK --timeout-ms 5000) || die "could not press OK: $pressed"
  say "pressed $(e2e_kv pressed "$pressed")"
}

check_program_ended() {
  if e2e_wait_exit "$program_pid" "$EXIT_TIMEOUT_S"; then
    say "the program ended (exit status $E2E_EXIT_STATUS)"
  else
    die "the program still runs ${EXIT_TIMEOUT_S}s after its box was closed"
  fi
}

main() {
  [[ -f $HB_EXE && -f $HB_TOOL ]] ||
    die "Windows build missing under $HB_WIN64_DIR (cmake --preset win64 && cmake --build --preset win64)"
  printf 'Handset Bridge demo: %s\n' "$HB_EXE"
  e2e_setup "$DEMO_DIR/run"
  # A simulated receiver gets registered in the prefix here, before the program starts.
  start_program
  show_startup_box
  show_panel
  take_screenshot
  close_startup_box
  check_program_ended
  step "Done"
  say "screenshot: $SCREENSHOT"
  say "logs: $E2E_LOGDIR"
}

main "$@"
