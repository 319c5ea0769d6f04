#!/usr/bin/env bash
# Start-up of the real program in a prefix without any receiver device: the stop box, the panel
# behind it, the single-instance guard, and the end of the process once the box is closed.
set -euo pipefail

# shellcheck source-path=SCRIPTDIR source=../lib/wine-env.sh
source "$(dirname "${BASH_SOURCE[0]}")/../lib/wine-env.sh"

readonly EXPECTED_DIALOG=$E2E_REPO_ROOT/tests/e2e/expected/dialog102.tsv
readonly NO_DEVICE_TEXT='No Device Filter found!'
readonly BOX_CAPTION=HandsetBridge
# The first start in a fresh prefix also brings up Wine's desktop process, hence the long wait.
readonly FIRST_BOX_TIMEOUT_MS=20000
readonly EXIT_TIMEOUT_S=5

first_pid=

# "window ..." lines of list-windows, without the count, in a stable order.
window_lines() { grep '^window ' <<<"$1" | sort || true; }

expect_no_device_box() {
  e2e_expect_fields "$1" "$2" "caption|$BOX_CAPTION" "text|$NO_DEVICE_TEXT" "icon|hand" "buttons|OK"
}

check_first_start_shows_box() {
  local box
  e2e_start_exe "$HB_EXE"
  first_pid=$E2E_PID
  if ! box=$(e2e_hb wait-msgbox --timeout-ms "$FIRST_BOX_TIMEOUT_MS"); then
    e2e_bail "first start shows a message box" "$box"
  fi
  expect_no_device_box "first start's box" "$box"
}

check_panel_behind_box() {
  local dialog result
  if dialog=$(e2e_hb find-dialog --timeout-ms 5000); then
    e2e_expect_eq "panel stays hidden while the box is open" 0 "$(e2e_kv visible "$dialog" || true)"
  else
    e2e_fail "panel exists while the box is open" "$dialog"
  fi
  if [[ ! -f $EXPECTED_DIALOG ]]; then
    e2e_fail "panel matches dialog 102" "missing $EXPECTED_DIALOG"
    return 0
  fi
  if result=$(e2e_hb check-dialog --expect "$(e2e_winpath "$EXPECTED_DIALOG")" --timeout-ms 5000); then
    e2e_pass "panel matches dialog 102 ($(e2e_field controls "$result") controls)"
  else
    e2e_fail "panel matches dialog 102" "$result"
  fi
}

check_second_copy_refused() {
  local second_pid before after box
  before=$(window_lines "$(e2e_hb list-windows)")
  e2e_start_exe "$HB_EXE"
  second_pid=$E2E_PID
  if e2e_wait_exit "$second_pid" "$EXIT_TIMEOUT_S"; then
    e2e_pass "second copy exits within ${EXIT_TIMEOUT_S}s"
  else
    e2e_fail "second copy exits within ${EXIT_TIMEOUT_S}s"
  fi
  # Whatever the second copy may have shown would still be listed if it is stuck; when it has
  # ended, the first copy's windows must be exactly what they were before it started.
  after=$(window_lines "$(e2e_hb list-windows)")
  e2e_expect_eq "second copy adds no window" "$before" "$after"
  e2e_stop "$second_pid"
  if e2e_alive "$first_pid"; then
    e2e_pass "first copy still runs"
  else
    e2e_fail "first copy still runs"
  fi
  if box=$(e2e_hb wait-msgbox --timeout-ms 2000); then
    e2e_expect_eq "first copy's box is still open" "$NO_DEVICE_TEXT" "$(e2e_kv text "$box" || true)"
  else
    e2e_fail "first copy's box is still open" "$box"
  fi
}

# Closing the box ends the program; $1 names the start in the report.
check_ok_ends_program() {
  local label=$1 pid=$2 pressed remaining
  if pressed=$(e2e_hb press-msgbox --button OK --timeout-ms 5000); then
    e2e_expect_eq "$label: OK pressed" OK "$(e2e_kv pressed "$pressed" || true)"
  else
    e2e_fail "$label: OK pressed" "$pressed"
  fi
  if e2e_wait_exit "$pid" "$EXIT_TIMEOUT_S"; then
    e2e_pass "$label: program ends within ${EXIT_TIMEOUT_S}s of OK"
  else
    e2e_fail "$label: program ends within ${EXIT_TIMEOUT_S}s of OK"
  fi
  remaining=$(e2e_hb list-windows || true)
  e2e_expect_eq "$label: no window left" 0 "$(e2e_field count "$remaining" || echo '<missing>')"
}

# The guard is released with the process: the next start behaves like the first.
check_start_after_exit() {
  local box
  e2e_start_exe "$HB_EXE"
  if box=$(e2e_hb wait-msgbox --timeout-ms 10000); then
    expect_no_device_box "start after exit" "$box"
  else
    e2e_fail "start after exit shows the box again" "$box"
  fi
  check_ok_ends_program "start after exit" "$E2E_PID"
}

main() {
  e2e_require_build
  e2e_setup "${HB_E2E_WORKDIR:-$E2E_REPO_ROOT/build/e2e-runs/startup}"
  check_first_start_shows_box
  check_panel_behind_box
  check_second_copy_refused
  check_ok_ends_program "first start" "$first_pid"
  check_start_after_exit
  e2e_summary
}

main "$@"
