#!/usr/bin/env bash
# The receiver side of the real program, end to end: start-up against a simulated device (panel
# and the driver requests it makes), handset presses turned into exact key events, the repeat
# guard, the code and toggle texts of the panel, short and failed reads, the key map's button
# count and code spelling, a missing install folder, two devices and the RC6 protocol.
set -euo pipefail

# shellcheck source-path=SCRIPTDIR source=../lib/wine-env.sh
source "$(dirname "${BASH_SOURCE[0]}")/../lib/wine-env.sh"
# shellcheck source-path=SCRIPTDIR source=../simreceiver/register.sh
source "$E2E_REPO_ROOT/tests/e2e/simreceiver/register.sh"
# shellcheck source-path=SCRIPTDIR source=../lib/program.sh
source "$E2E_REPO_ROOT/tests/e2e/lib/program.sh"

readonly RC_NUMBER=77
# Property and event sets as the driver sees their GUIDs: little-endian hex.
readonly SET_RC_NUMBER=a8ebe08ea67da94abd8087e76b8adbc8
readonly SET_IR_CODE=8c90059c1be74f4e963201badd5b6c24
readonly SET_IR_EVENT=fe3122dc4e5425478c9dde78d524c019

# Function strings and what each sends: "+VK" a press, "-VK" a release. Keys that change nothing
# on the desktop; the recorder sees them whichever window has the focus.
# code|function string|token count shown|events
readonly -a KEY_TABLE=(
  '0x31|F11|1|+0x7a -0x7a'
  '0x32|Ctrl+C|2|+0x11 +0x43 -0x43 -0x11'
  '0x33|Alt+F9|2|+0x12 +0x78 -0x78 -0x12'
  '0x34|Ctrl+Shift+Esc|3|+0x11 +0x10 +0x45 -0x45 -0x10 -0x11'
  '0x35|Ctrl+Alt+Shift|3|+0x11 +0x12 +0x10 -0x10 -0x12 -0x11'
  '0x36|Windows+Shift|2|+0x10 +0x10 -0x10 -0x10'
  '0x37|Ctrl+Alt+Shift+X|4|'
)
readonly CHORD_CODE=0x35 # Ctrl+Alt+Shift
readonly F11_CODE=0x31
readonly F11_EVENTS='+0x7a -0x7a'

# ---------------------------------------------------------------------------------------------
# Key maps

# write_keymap <file> <count> <code|function>...: buttons 1, 2, ... in that order.
write_keymap() {
  local file=$1 count=$2 row n
  shift 2
  {
    printf '[TotalButton]\nCount=%s\n[BoardAdress]\nAdress=6917\n[Button]\n' "$count"
    n=0
    for row in "$@"; do
      n=$((n + 1))
      printf '%d=%s\n' "$n" "${row%%|*}"
    done
    printf '[FunctionMap]\n'
    n=0
    for row in "$@"; do
      n=$((n + 1))
      printf '%d=%s\n' "$n" "${row#*|}"
    done
  } >"$file"
}

main_keymap() {
  local row code function
  local -a buttons=()
  for row in "${KEY_TABLE[@]}"; do
    IFS='|' read -r code function _ <<<"$row"
    buttons+=("$code|$function")
  done
  write_keymap "$E2E_WORKDIR/keymap-main.ini" "${#buttons[@]}" "${buttons[@]}"
  printf '%s\n' "$E2E_WORKDIR/keymap-main.ini"
}

# ---------------------------------------------------------------------------------------------
# The simulated driver's journal

# le_number <hex bytes>: the little-endian number they hold.
le_number() {
  local hex=$1 value=''
  while [[ -n $hex ]]; do
    value=${hex:0:2}$value
    hex=${hex:2}
  done
  printf '%d\n' "$((16#${value:-0}))"
}

# The request lines of a device's journal, oldest first.
requests_of() { grep '^seq=' "$(hb_journal "$1")" || true; }

# One request line in short: which request it is and the fields that matter for it.
request_summary() {
  local line=$1 kind head headlen data datalen set pointer
  kind=$(e2e_field kind "$line")
  head=$(e2e_field head "$line")
  headlen=$(e2e_field headlen "$line")
  data=$(e2e_field data "$line")
  datalen=$(e2e_field datalen "$line")
  if [[ $head == null ]]; then
    printf '%s disable headlen=%s datalen=%s\n' "$kind" "$headlen" "$datalen"
    return 0
  fi
  case ${head:0:32} in
    "$SET_RC_NUMBER") set=rc-number ;;
    "$SET_IR_CODE") set=ir-code ;;
    "$SET_IR_EVENT") set=ir-event ;;
    *) set=unknown ;;
  esac
  case $set in
    rc-number)
      printf '%s %s id=%s flags=%s parameter=%s count=%s headlen=%s data=%s datalen=%s\n' \
        "$kind" "$set" "$(le_number "${head:32:8}")" "$(le_number "${head:40:8}")" \
        "$(le_number "${head:48:8}")" "$(le_number "${head:56:4}")" "$headlen" "$data" "$datalen"
      ;;
    ir-event)
      # Notification type, the event handle and two reserved words, pointer-sized (the block is
      # 40 bytes in a 64-bit program, 20 in a 32-bit one), then the protocol word.
      pointer=$((datalen == 40 ? 8 : 4))
      printf '%s %s id=%s flags=%s headlen=%s datalen=%s notification=%s handle=%s protocol=%s\n' \
        "$kind" "$set" "$(le_number "${head:32:8}")" "$(le_number "${head:40:8}")" "$headlen" \
        "$datalen" "$(le_number "${data:0:8}")" \
        "$([[ $(le_number "${data:$((pointer * 2)):$((pointer * 2))}") != 0 ]] && echo set || echo zero)" \
        "$(le_number "${data:$((pointer * 8)):4}")"
      ;;
    *)
      printf '%s %s headlen=%s datalen=%s\n' "$kind" "$set" "$headlen" "$datalen"
      ;;
  esac
}

# ---------------------------------------------------------------------------------------------
# Checks

panel_field() { e2e_kv "$1" "$2" || echo '<missing>'; }

check_startup() {
  local texts dialog requests
  texts=$(hb_panel "$HB_ID_RC_NUMBER,$HB_ID_STATUS,$HB_ID_START_STOP,$HB_ID_KEYMAP_PATH") || true
  e2e_expect_eq "start-up: RC number shown" "$RC_NUMBER" "$(panel_field "$HB_ID_RC_NUMBER" "$texts")"
  e2e_expect_eq "start-up: status of the enable" 0x0 "$(panel_field "$HB_ID_STATUS" "$texts")"
  e2e_expect_eq "start-up: capture on" Stop "$(panel_field "$HB_ID_START_STOP" "$texts")"
  e2e_expect_eq "start-up: key map path" 'C:\HandsetBridge\keymap.ini' \
    "$(panel_field "$HB_ID_KEYMAP_PATH" "$texts")"
  dialog=$(e2e_hb find-dialog) || true
  e2e_expect_eq "start-up: panel hidden, at 0,0 with zero size" 'visible=0 rect=0,0,0,0' \
    "visible=$(e2e_kv visible "$dialog" || true) rect=$(e2e_kv rect "$dialog" || true)"

  requests=$(requests_of A | head -n 2)
  e2e_expect_eq "start-up: driver requests, RC number then enable" \
    "property rc-number id=0 flags=1 parameter=2048 count=1 headlen=40 data=fe datalen=1
event ir-event id=0 flags=1 headlen=24 datalen=40 notification=1 handle=set protocol=256" \
    "$(while IFS= read -r line; do request_summary "$line"; done <<<"$requests")"
}

# One press per row of the table; the events recorded during it must be exactly the row's.
check_key_table() {
  local row code function tokens events mark expected recorded
  for row in "${KEY_TABLE[@]}"; do
    IFS='|' read -r code function tokens events <<<"$row"
    # shellcheck disable=SC2086 # the events are separate words
    expected=$(hb_expected_keys $events)
    mark=$(hb_record_mark)
    hb_press A "$code" || e2e_fail "$function: press handled"
    if [[ -n $expected ]]; then
      _hb_wait_lines "$HB_RECORD_JOURNAL" '^key ' $((mark + $(wc -l <<<"$expected"))) 2000 || true
    fi
    e2e_expect_eq "$function: token count shown" "$tokens" "$(hb_panel_text "$HB_ID_TOKENS" || true)"
    recorded=$(hb_keys_since "$mark")
    e2e_expect_eq "$function: key events (vk, scan code, extended)" "$expected" "$recorded"
  done
}

# A second press while the guard is up is dropped; the guard lasts 200 ms from the end of the
# action, and the second press comes about 50 ms after the first. Two process starts seldom take
# the same time, so an attempt whose presses were not 1 to 150 ms apart, or that the capture
# thread read as one (two signals before it woke), is made again.
check_repeat_guard() {
  local attempt mark before expected wakeups gap=none
  # shellcheck disable=SC2086 # the events are separate words
  expected=$(hb_expected_keys $F11_EVENTS)
  for attempt in 1 2 3 4 5; do
    mark=$(hb_record_mark)
    before=$(hb_panel_text "$HB_ID_EVENTS")
    hb_tap_burst A 50 "$F11_CODE" "$F11_CODE" || continue
    gap=$((HB_BURST_TIMES[1] - HB_BURST_TIMES[0]))
    e2e_hb wait-text --id "$HB_ID_EVENTS" --text $((before + 2)) --timeout-ms 2000 >/dev/null || true
    hb_wait_presses || true
    wakeups=$(($(hb_panel_text "$HB_ID_EVENTS") - before))
    ((gap < 1 || gap > 150 || wakeups != 2)) || break
    e2e_log "attempt $attempt: presses ${gap} ms apart, $wakeups wake-ups; again"
    sleep 0.3
  done
  e2e_expect_eq "guard: both presses read (${gap} ms apart)" 2 "$wakeups"
  e2e_expect_eq "guard: the second press is dropped" "$expected" "$(hb_keys_since "$mark")"
  sleep 0.4
  mark=$(hb_record_mark)
  hb_press A "$F11_CODE" || true
  _hb_wait_lines "$HB_RECORD_JOURNAL" '^key ' $((mark + 2)) 2000 || true
  e2e_expect_eq "guard: a press 400 ms later acts" "$expected" "$(hb_keys_since "$mark")"
}

# Codes that no button has: only the panel changes.
# simctl press options|address|command|toggle text
readonly -a CODE_TABLE=(
  '--command 5 --address 3 --protocol 256 --toggle 1|0x03|0x05|Toggle 1'
  '--command 256 --address 0x1E --protocol 257 --toggle 0 --oem 128|0x1E|0x100|Toggle 0 OEM Code 0x80'
  '--command 0x1F --address 0 --protocol 258 --toggle 1 --oem 0x1234|0x00|0x1F|Toggle 1 OEM Code 0x1234'
  '--command 0x42 --address 0x12345 --protocol 259 --toggle 0 --oem 7|0x12345|0x42|Toggle 0 OEM Code 0x07'
  '--command 0xABCDE --address 1 --protocol 0 --toggle 3|0x01|0xABCDE|0xABCDE'
  '--command 0x7F --address 2 --protocol 260 --toggle 4 --length 20|0x02|0x7F|0x7F'
)

check_code_texts() {
  local row options address command toggle texts
  for row in "${CODE_TABLE[@]}"; do
    IFS='|' read -r options address command toggle <<<"$row"
    # shellcheck disable=SC2086 # the options are separate words
    hb_press_showing A "$toggle" $options || true
    texts=$(hb_panel "$HB_ID_ADDRESS,$HB_ID_COMMAND,$HB_ID_TOGGLE") || true
    e2e_expect_eq "panel for $options" "$address $command $toggle" \
      "$(panel_field "$HB_ID_ADDRESS" "$texts") $(panel_field "$HB_ID_COMMAND" "$texts") $(panel_field "$HB_ID_TOGGLE" "$texts")"
  done
}

# A read that returns less than a record, or fails, only counts the wake-up and shows the
# request's result: nothing else is shown and nothing dispatched, though the code has a button.
# what|HRESULT the read fails with, or empty|simctl press options|status shown
readonly -a DROPPED_TABLE=(
  'length 19||--length 19|0x0'
  'failed read|0x8007001F||0x8007001f'
)

check_dropped_reads() {
  local row what hr options status ids before count mark
  ids="$HB_ID_ADDRESS,$HB_ID_COMMAND,$HB_ID_TOGGLE"
  for row in "${DROPPED_TABLE[@]}"; do
    IFS='|' read -r what hr options status <<<"$row"
    before=$(hb_panel "$ids")
    count=$(($(hb_panel_text "$HB_ID_EVENTS") + 1))
    mark=$(hb_record_mark)
    [[ -z $hr ]] || e2e_simctl fail-next --device A --hr "$hr" >/dev/null
    # shellcheck disable=SC2086 # the options are separate words
    hb_tap A "$F11_CODE" --address 9 $options || true
    hb_wait_text "$HB_ID_EVENTS" "$count" >/dev/null || true
    hb_wait_text "$HB_ID_STATUS" "$status" >/dev/null || true
    sleep 0.3
    e2e_expect_eq "$what: only the count and the status change" \
      "$before"$'\n'"$HB_ID_EVENTS=$count"$'\n'"$HB_ID_STATUS=$status" \
      "$(hb_panel "$ids,$HB_ID_EVENTS,$HB_ID_STATUS")"
    e2e_expect_eq "$what: nothing sent" '' "$(hb_keys_since "$mark")"
  done
}

# RC6 chosen in the panel applies at the next Start; Stop passes the enable's own block back.
check_rc6() {
  local out events
  out=$(e2e_hb check-radio --id "$HB_ID_RC6") || true
  e2e_expect_eq "RC6 radio button checked" 1 "$(e2e_kv checked "$out" || true)"
  e2e_hb click --id "$HB_ID_START_STOP" >/dev/null
  e2e_expect_eq "Stop: button reads Start" Start "$(hb_wait_text "$HB_ID_START_STOP" Start || true)"
  e2e_hb click --id "$HB_ID_START_STOP" >/dev/null
  e2e_expect_eq "Start: button reads Stop" Stop "$(hb_wait_text "$HB_ID_START_STOP" Stop || true)"
  events=$(requests_of A | grep ' kind=event ' || true)
  e2e_expect_eq "Stop sends the block of the start-up enable" \
    "$(sed -n 1p <<<"$events" | sed 's/.* data=\([^ ]*\) .*/\1/')" \
    "$(sed -n 2p <<<"$events" | sed 's/.* data=\([^ ]*\) .*/\1/')"
  e2e_expect_eq "RC6: the requests of Stop and Start" \
    "event disable headlen=0 datalen=40
event ir-event id=0 flags=1 headlen=24 datalen=40 notification=1 handle=set protocol=257" \
    "$(tail -n 2 <<<"$events" | while IFS= read -r line; do request_summary "$line"; done)"
}

# Count 3: buttons 4 and up are not loaded; a code is matched only as written by the program.
check_button_count() {
  local row code expected what
  write_keymap "$E2E_WORKDIR/keymap-count3.ini" 3 \
    '0x1a|F11' "$F11_CODE|F11" '0x38|Ctrl+C' '0x39|F11'
  hb_install_keymap "$E2E_WORKDIR/keymap-count3.ini"
  hb_start_program || e2e_bail "program starts with a Count 3 key map"
  # code|events|what
  local -a rows=(
    "0x1A||lower-case button code 0x1a never matches 0x1A"
    "0x39||button 4 beyond Count 3 never acts"
    "$F11_CODE|$F11_EVENTS|button 2 of 3 acts"
  )
  for row in "${rows[@]}"; do
    IFS='|' read -r code expected what <<<"$row"
    # shellcheck disable=SC2086 # the events are separate words
    expected=$(hb_expected_keys $expected)
    e2e_expect_eq "Count 3: $what" "$expected" "$(hb_press_recording A "$code" "$expected")"
  done
  hb_stop_program
}

# Without the install-folder value no key map is loaded and no press ever acts.
check_missing_install_value() {
  local mark texts
  hb_remove_install_value
  hb_start_program || e2e_bail "program starts without the install-folder value"
  mark=$(hb_record_mark)
  hb_press A "$F11_CODE" || true
  sleep 0.2
  texts=$(hb_panel "$HB_ID_KEYMAP_PATH,$HB_ID_COMMAND") || true
  e2e_expect_eq "no install folder: key map path stays 0" 0 "$(panel_field "$HB_ID_KEYMAP_PATH" "$texts")"
  e2e_expect_eq "no install folder: the press is shown" "$F11_CODE" "$(panel_field "$HB_ID_COMMAND" "$texts")"
  e2e_expect_eq "no install folder: nothing sent" '' "$(hb_keys_since "$mark")"
  hb_stop_program
}

# Two devices: listed in order; after choosing B, the record of A's next signal is read from B.
check_two_devices() {
  local combo before_a after_a texts
  hb_install_keymap "$(main_keymap)"
  hb_add_receiver A
  hb_add_receiver B
  hb_start_program || e2e_bail "program starts with two devices"
  combo=$(e2e_hb combo-items --id "$HB_ID_DEVICES") || true
  e2e_expect_eq "two devices: combo items and selection" $'item.0=0: A\nitem.1=1: B\ncount=2\nselected=0' "$combo"

  # B holds a record of its own; it isn't enabled, so its event stays unset.
  e2e_simctl press --device B --command 0x07 --toggle 99 >/dev/null
  e2e_hb select-combo --id "$HB_ID_DEVICES" --index 1 >/dev/null || e2e_fail "device 1 selected"
  before_a=$(requests_of A | wc -l)
  hb_press_showing A 'Toggle 99' --command "$F11_CODE" --toggle 5 || true
  texts=$(hb_panel "$HB_ID_COMMAND,$HB_ID_TOGGLE") || true
  e2e_expect_eq "device 1: A's signal shows B's record" $'1014=0x07\n1021=Toggle 99' "$texts"
  after_a=$(requests_of A | wc -l)
  e2e_expect_eq "device 1: no request to A after the switch" "$before_a" "$after_a"
  e2e_expect_eq "device 1: the record request goes to B" 'property ir-code headlen=40 datalen=4' \
    "$(requests_of B | tail -n 1 | while IFS= read -r line; do request_summary "$line"; done)"
  hb_stop_program
}

# The Exit button right behind a chord's press: the process is gone within 2 s and, whether or not
# the chord got out first, every key it pressed was released again.
check_exit_right_after_a_press() {
  local mark line vk up stuck=''
  local -A down=()
  mark=$(hb_record_mark)
  hb_tap A "$CHORD_CODE" || e2e_fail "chord press sent before Exit"
  e2e_hb click --id "$HB_ID_EXIT" >/dev/null
  if e2e_wait_exit "$HB_PROGRAM_PID" 2; then
    e2e_pass "Exit right after a press ends the program within 2 s"
  else
    e2e_fail "Exit right after a press ends the program within 2 s"
    e2e_stop "$HB_PROGRAM_PID"
  fi
  HB_PROGRAM_PID=
  sleep 0.3 # the recorder writes what reached it
  while IFS= read -r line; do
    [[ -n $line ]] || continue
    vk=$(e2e_field vk "$line")
    up=$(e2e_field up "$line")
    if [[ $up == 0 ]]; then
      down[$vk]=$((${down[$vk]:-0} + 1))
    else
      down[$vk]=$((${down[$vk]:-0} - 1))
    fi
  done <<<"$(hb_keys_since "$mark")"
  for vk in "${!down[@]}"; do
    ((down[$vk] == 0)) || stuck+=" $vk"
  done
  e2e_expect_eq "no key left down after that Exit" '' "$stuck"
}

main() {
  local started
  e2e_require_build
  e2e_setup "${HB_E2E_WORKDIR:-$E2E_REPO_ROOT/build/e2e-runs/receiver}"
  started=$(_e2e_now_ms)
  hb_install_keymap "$(main_keymap)"
  hb_add_receiver A "RcNumber=$RC_NUMBER"
  hb_start_program || e2e_bail "program starts with one device"
  check_startup
  hb_record_start || e2e_bail "key recorder ready"
  hb_lookup_scan_codes 0x10 0x11 0x12 0x43 0x45 0x78 0x7a
  check_key_table
  check_repeat_guard
  check_code_texts
  check_dropped_reads
  check_rc6
  check_exit_right_after_a_press
  check_button_count
  check_missing_install_value
  check_two_devices
  hb_record_stop
  e2e_log "checks took $(($(_e2e_now_ms) - started)) ms"
  e2e_summary
}

main "$@"
