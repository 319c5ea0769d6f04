#!/usr/bin/env bash
# The messenger map end to end, with the example key map: MSN starts the stand-in messenger from
# its App Paths folder and switches maps, multi-tap entry types words into Notepad, TV returns to
# the normal map; without the App Paths entry MSN starts nothing and every later press is only
# shown.
set -euo pipefail

# shellcheck source-path=SCRIPTDIR source=../lib/wine-env.sh
source "$(dirname "${BASH_SOURCE[0]}")/../lib/wine-env.sh"
# shellcheck source-path=SCRIPTDIR source=../simreceiver/register.sh
source "$E2E_REPO_ROOT/tests/e2e/simreceiver/register.sh"
# shellcheck source-path=SCRIPTDIR source=../lib/program.sh
source "$E2E_REPO_ROOT/tests/e2e/lib/program.sh"

readonly KEYMAP=$HB_EXAMPLE_KEYMAP
# Notepad is the first window of the prefix to take the foreground after the program's panel.
readonly NOTEPAD_TIMEOUT_MS=20000
readonly MESSENGER_STARTED='started cmdline="C:\Messenger\msnmsgr.exe"'

# Buttons of the example key map, found by their functions.
MSN=$(hb_button_code "$KEYMAP" FunctionMap MSN || true)
TV=$(hb_button_code "$KEYMAP" FunctionMap TV || true)
DIGIT_1=$(hb_button_code "$KEYMAP" FunctionMap 1 || true)
PASTE_MSN=$(hb_button_code "$KEYMAP" FunctionMapMSN Ctrl+ScanCode+86 || true)
readonly MSN TV DIGIT_1 PASTE_MSN

messenger_log() { tr -d '\r' 2>/dev/null <"$(hb_messenger_dir)/msnmsgr.log" || true; }

notepad_text() {
  local out
  out=$(e2e_hbtool window-text --class Notepad --child-class Edit --timeout-ms 5000) || true
  e2e_kv text "$out" || echo '<no Notepad>'
}

# Without the App Paths entry: the messenger's program is in its folder but nothing points to
# it. MSN starts nothing and turns dispatch off for good; the normal map still worked before.
check_missing_entry() {
  local row code events what expected recorded
  hb_install_messenger
  hb_remove_messenger_entry
  hb_start_program || e2e_bail "program starts without the messenger's entry"
  # code|events|what
  local -a rows=(
    "$DIGIT_1|+0x31 -0x31|before MSN the 1 button types 1"
    "$MSN||MSN sends nothing"
    "$DIGIT_1||after MSN the 1 button does nothing"
    "$TV||TV does nothing"
    "$DIGIT_1||after TV the 1 button still does nothing"
  )
  hb_lookup_scan_codes 0x31
  for row in "${rows[@]}"; do
    IFS='|' read -r code events what <<<"$row"
    # shellcheck disable=SC2086 # the events are separate words
    expected=$(hb_expected_keys $events)
    recorded=$(hb_press_recording A "$code" "$expected")
    e2e_expect_eq "no messenger entry: $what (shown as $code)" \
      "$code"$'\n'"$expected" "$(hb_panel_text "$HB_ID_COMMAND")"$'\n'"$recorded"
  done
  sleep 0.5
  e2e_expect_eq "no messenger entry: nothing started" '' "$(messenger_log)"
  hb_stop_program
}

start_notepad() {
  local foreground
  e2e_start_exe notepad.exe
  if ! foreground=$(e2e_hbtool foreground --class Notepad --timeout-ms "$NOTEPAD_TIMEOUT_MS"); then
    e2e_bail "Notepad becomes the foreground window" "$foreground"
  fi
}

wait_messenger_started() {
  local deadline
  deadline=$(($(_e2e_now_ms) + 5000))
  until [[ -n $(messenger_log) ]] || (($(_e2e_now_ms) > deadline)); do
    sleep 0.1
  done
}

# The whole road: a normal key, MSN, two words by multi-tap, TV, the normal key again.
check_messenger_mode() {
  local mark expected
  hb_install_messenger
  hb_start_program || e2e_bail "program starts with the messenger's entry"
  start_notepad

  hb_press A "$DIGIT_1" || true
  e2e_expect_eq "normal map: the 1 button types 1" 1 "$(notepad_text)"

  hb_press A "$MSN" || true
  wait_messenger_started
  e2e_expect_eq "MSN starts the messenger from its App Paths folder" "$MESSENGER_STARTED" \
    "$(messenger_log)"

  # "hi": the same group twice, so the first letter must be kept before the second; "yo": a group
  # change keeps the letter at once.
  hb_type_multitap A "$KEYMAP" 'hi yo' || e2e_fail "multi-tap presses handled"
  e2e_expect_eq "messenger map: multi-tap types hi yo" '1hi yo' "$(notepad_text)"

  hb_lookup_scan_codes 0x11 0x56
  expected=$(hb_expected_keys +0x11 +0x56 -0x56 -0x11)
  mark=$(hb_record_mark)
  hb_press A "$PASTE_MSN" || true
  _hb_wait_lines "$HB_RECORD_JOURNAL" '^key ' $((mark + 4)) 2000 || true
  e2e_expect_eq "messenger map: Ctrl+ScanCode+86 is Ctrl+V" "$expected" "$(hb_keys_since "$mark")"

  hb_press A "$TV" || true
  hb_press A "$DIGIT_1" || true
  e2e_expect_eq "TV: back in the normal map, the 1 button types 1" '1hi yo1' "$(notepad_text)"
  e2e_screenshot "$E2E_WORKDIR/notepad.png"
  hb_stop_program
}

main() {
  local started
  e2e_require_build
  e2e_setup "${HB_E2E_WORKDIR:-$E2E_REPO_ROOT/build/e2e-runs/messenger}"
  [[ -n $MSN && -n $TV && -n $DIGIT_1 && -n $PASTE_MSN ]] ||
    e2e_bail "the example key map has the buttons used here" "MSN=$MSN TV=$TV 1=$DIGIT_1 paste=$PASTE_MSN"
  started=$(_e2e_now_ms)
  hb_install_keymap "$KEYMAP"
  hb_add_receiver A
  hb_record_start || e2e_bail "key recorder ready"
  check_missing_entry
  check_messenger_mode
  hb_record_stop
  e2e_log "checks took $(($(_e2e_now_ms) - started)) ms"
  e2e_summary
}

main "$@"
