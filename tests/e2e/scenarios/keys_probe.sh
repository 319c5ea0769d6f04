#!/usr/bin/env bash
# The path every typing scenario relies on: Notepad in the foreground, keys injected the way the
# program under test injects them (keybd_event, extended flag, scan code from MapVirtualKeyA), the
# low-level hook recorder seeing each event, and the text arriving in Notepad's edit control.
set -euo pipefail

# shellcheck source-path=SCRIPTDIR source=../lib/wine-env.sh
source "$(dirname "${BASH_SOURCE[0]}")/../lib/wine-env.sh"

# H and I: without Shift, Notepad shows them in lower case.
readonly KEYS=(0x48 0x49)
readonly EXPECTED_TEXT=hi
# Notepad is the first window in a fresh prefix, which also starts Wine's desktop process.
readonly FOREGROUND_TIMEOUT_MS=20000
readonly RECORDER_TIMEOUT_MS=30000
readonly WAIT_S=10

keys_csv=$(
  IFS=,
  echo "${KEYS[*]}"
)

# wait_for_lines <file> <pattern> <count>: until the file holds that many matching lines.
wait_for_lines() {
  local deadline
  deadline=$(($(_e2e_now_ms) + WAIT_S * 1000))
  while (($(grep -c -e "$2" "$1" 2>/dev/null || true) < $3)); do
    (($(_e2e_now_ms) < deadline)) || return 1
    sleep 0.05
  done
}

start_notepad() {
  local foreground
  e2e_start_exe notepad.exe
  if ! foreground=$(e2e_hbtool foreground --class Notepad --timeout-ms "$FOREGROUND_TIMEOUT_MS"); then
    e2e_bail "Notepad becomes the foreground window" "$foreground"
  fi
  e2e_pass "Notepad becomes the foreground window ($(e2e_kv title "$foreground"))"
}

# The lines the recorder must have written for one tap of each key, from this run's key mapping.
expected_events() {
  local mapping line vk scan up
  mapping=$(e2e_hbtool mapvk --vk "$keys_csv")
  while IFS= read -r line; do
    vk=$(e2e_field vk "$line")
    scan=$(e2e_field scan "$line")
    for up in 0 1; do
      printf 'key vk=%s scan=%s extended=1 injected=1 up=%s\n' "$vk" "$scan" "$up"
    done
  done <<<"$mapping"
}

check_typing() {
  local journal=$E2E_WORKDIR/keys.journal stop=$E2E_WORKDIR/keys.stop recorder out sent
  local foreground expected recorded text
  rm -f "$journal" "$stop"
  e2e_start_exe "$HB_TOOL" record-keys --out "$(e2e_winpath "$journal")" \
    --stop-file "$(e2e_winpath "$stop")" --timeout-ms "$RECORDER_TIMEOUT_MS"
  recorder=$E2E_PID
  out=$E2E_LOGDIR/hbtool.$E2E_SEQ.out
  wait_for_lines "$journal" '^ready$' 1 || e2e_bail "recorder ready" "no ready line in $journal"

  # The recorder is a console program without a window: Notepad must still be in front.
  if foreground=$(e2e_hbtool foreground --class Notepad --timeout-ms 2000); then
    e2e_pass "Notepad still in front with the recorder running"
  else
    e2e_fail "Notepad still in front with the recorder running" "$foreground"
  fi

  sent=$(e2e_hbtool send-keys --vk "$keys_csv")
  e2e_expect_eq "events injected" $((${#KEYS[@]} * 2)) "$(e2e_kv sent "$sent" || echo '<missing>')"

  wait_for_lines "$journal" '^key ' $((${#KEYS[@]} * 2)) || true
  : >"$stop"
  if e2e_wait_exit "$recorder" "$WAIT_S"; then
    e2e_expect_eq "recorder ends on the stop file" 0 "$E2E_EXIT_STATUS"
  else
    e2e_fail "recorder ends on the stop file"
  fi
  e2e_expect_eq "recorder counts the events" $((${#KEYS[@]} * 2)) \
    "$(e2e_kv events "$(tr -d '\r' <"$out")" || echo '<missing>')"

  expected=$(expected_events)
  recorded=$(grep '^key ' "$journal" || true)
  e2e_expect_eq "recorded events (vk, scan code, flags) in order" "$expected" "$recorded"

  if text=$(e2e_hbtool window-text --class Notepad --child-class Edit --timeout-ms 5000); then
    e2e_expect_eq "Notepad shows the typed text" "$EXPECTED_TEXT" "$(e2e_kv text "$text" || true)"
  else
    e2e_fail "Notepad shows the typed text" "$text"
  fi
  e2e_screenshot "$E2E_WORKDIR/notepad.png"
  e2e_log "screenshot: $E2E_WORKDIR/notepad.png"
}

main() {
  e2e_require_build
  e2e_setup "${HB_E2E_WORKDIR:-$E2E_REPO_ROOT/build/e2e-runs/keys_probe}"
  start_notepad
  check_typing
  e2e_summary
}

main "$@"
