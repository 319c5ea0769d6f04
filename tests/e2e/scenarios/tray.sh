#!/usr/bin/env bash
# The program after a complete start, driven through its tray icon: the popup menu and its Exit
# with the confirmation box, the left double-click that shows the panel, the panel's Exit button
# (with capture on and after Stop), Escape, and the recovery after a resume from sleep. One
# simulated receiver journals every enable and disable of the IR event; the program is started
# afresh for every case.
set -euo pipefail

# shellcheck source-path=SCRIPTDIR source=../lib/wine-env.sh
source "$(dirname "${BASH_SOURCE[0]}")/../lib/wine-env.sh"
# shellcheck source-path=SCRIPTDIR source=../simreceiver/register.sh
source "$(dirname "${BASH_SOURCE[0]}")/../simreceiver/register.sh"
# shellcheck source-path=SCRIPTDIR source=../lib/tray.sh
source "$(dirname "${BASH_SOURCE[0]}")/../lib/tray.sh"

readonly EXPECTED_DIALOG=$E2E_REPO_ROOT/tests/e2e/expected/dialog102.tsv
readonly EXIT_TIMEOUT_S=2
readonly WM_COMMAND=273
readonly WM_POWERBROADCAST=536
readonly PBT_APMRESUMEAUTOMATIC=18
readonly PBT_APMRESUMESUSPEND=7
readonly IDCANCEL=2
readonly WM_LBUTTONDOWN=513
readonly WM_LBUTTONUP=514
readonly WM_RBUTTONDOWN=516
# The panel's template size in dialog units.
readonly TEMPLATE_CX=543
readonly TEMPLATE_CY=67
# Controls the program has written to by the time the panel is shown: the device label, the RC
# number, the status, the Start/Stop label and the key map path.
readonly REWRITTEN_IDS=1002,1003,1016,1017,1022
# Start-up checks these radio buttons, and a radio button that is checked gives itself WS_TABSTOP.
readonly CHECKED_RADIO_IDS=(1008 1010)
readonly WS_TABSTOP=0x00010000
readonly PRESSED_COMMAND=0x2A
# Timer 2 restarts capture 1000 ms after a resume; the window's thread and the polling add a little.
readonly RESTART_MIN_MS=900
readonly RESTART_MAX_MS=1600
readonly TOGGLE_MAX_MS=500

keeper=

# The texts of some controls, one "id=text" a line.
texts() { e2e_hb texts --ids "$1" --timeout-ms 2000 || true; }

# wait_texts <timeout-seconds> <id>=<text>...: until every control shows its text.
_texts_are() {
  local pair ids='' shown
  for pair in "$@"; do ids+=${ids:+,}${pair%%=*}; done
  shown=$(texts "$ids")
  for pair in "$@"; do
    [[ $(e2e_kv "${pair%%=*}" "$shown" || true) == "${pair#*=}" ]] || return 1
  done
}
wait_texts() { _tray_until "$1" _texts_are "${@:2}"; }

# expect_texts <label> <id>=<text>...: one check per control.
expect_texts() {
  local label=$1 pair ids='' shown
  shift
  for pair in "$@"; do ids+=${ids:+,}${pair%%=*}; done
  shown=$(texts "$ids")
  for pair in "$@"; do
    e2e_expect_eq "$label: control ${pair%%=*}" "${pair#*=}" \
      "$(e2e_kv "${pair%%=*}" "$shown" || echo '<missing>')"
  done
}

# Only the kinds of the journal's IR event requests after a mark: "disable enable ...".
event_kinds() { tray_journal_events "$1" | cut -d' ' -f1 | paste -sd' ' -; }

start_case() {
  e2e_log "case: $1"
  if tray_start; then
    e2e_pass "$1: complete start (capture on, icon shown)"
  else
    e2e_fail "$1: complete start (capture on, icon shown)" "$(texts 1016,1017)"
    e2e_stop "$TRAY_PID"
    return 1
  fi
}

# expect_ended <label> <journal mark> <expected event kinds>: the process is gone within the
# time limit, with no window and no icon left, and the driver saw exactly those requests.
expect_ended() {
  local label=$1 mark=$2 expected=$3 windows
  if e2e_wait_exit "$TRAY_PID" "$EXIT_TIMEOUT_S"; then
    e2e_pass "$label: process ends within ${EXIT_TIMEOUT_S}s"
  else
    e2e_fail "$label: process ends within ${EXIT_TIMEOUT_S}s" "$(e2e_hb list-windows || true)"
    e2e_stop "$TRAY_PID"
  fi
  windows=$(e2e_hb list-windows || true)
  e2e_expect_eq "$label: no window left" 0 "$(e2e_field count "$windows" || echo '<missing>')"
  e2e_expect_eq "$label: no icon left" 0 "$(tray_icon_count || echo '<missing>')"
  e2e_expect_eq "$label: IR event requests on the way out" "$expected" "$(event_kinds "$mark")"
}

# ---------------------------------------------------------------------------------------------
# Tray menu: Exit, the confirmation box, capture still running behind it, the disable after OK.

check_menu() {
  local menu item row field actual expected top right cursor
  menu=$(tray_show_menu "$E2E_WORKDIR/menu.png") || {
    e2e_fail "right-click opens the tray menu" "$menu"
    return 1
  }
  e2e_log "screenshot of the open menu: $E2E_WORKDIR/menu.png"
  item=$(grep '^item ' <<<"$menu" || true)
  local -a rows=(
    "shown by|$(e2e_kv owner_exe "$menu" || true)|$HB_EXE_NAME"
    "items|$(e2e_kv count "$menu" || true)|1"
    "item id|$(e2e_field id "$item" || true)|32771"
    "item text|${item##* text=}|Exit"
    "item state (enabled, unchecked)|$(e2e_field state "$item" || true)|0x0"
    "item opens no submenu|$(e2e_field submenu "$item" || true)|0"
  )
  for row in "${rows[@]}"; do
    IFS='|' read -r field actual expected <<<"$row"
    e2e_expect_eq "tray menu: $field" "$expected" "$actual"
  done
  # Right-aligned at the cursor: the menu's right edge and top at the cursor position.
  IFS=, read -r _ top right _ <<<"$(e2e_kv rect "$menu")"
  cursor=$(e2e_kv cursor "$menu")
  e2e_expect_eq "tray menu: right edge and top at the cursor" "$cursor" "$right,$top"
}

check_confirmation_box() {
  local box dialog
  dialog=$(e2e_kv hwnd "$(e2e_hb find-dialog)" || true)
  if ! box=$(e2e_hb wait-msgbox --timeout-ms 5000); then
    e2e_fail "choosing Exit shows a message box" "$box"
    return 1
  fi
  e2e_expect_fields "confirmation box" "$box" "caption|HandsetBridge" \
    "text|V5120 Remote will be disable" "icon|none" "buttons|OK" "owner|$dialog"
}

case_tray_menu_exit() {
  local label='tray menu Exit' mark chosen enable_data pressed events
  start_case "$label" || return 0
  enable_data=$(tray_journal_events 0 | grep '^enable ' | tail -n 1 | cut -d' ' -f2)
  mark=$(tray_journal_mark)
  check_menu || return 0
  if chosen=$(e2e_hbtool menu-choose --text Exit); then
    e2e_pass "$label: Exit clicked, menu closed"
  else
    e2e_fail "$label: Exit clicked, menu closed" "$chosen"
    return 0
  fi
  check_confirmation_box || return 0

  # While the box waits for OK, the icon stays, capture is still on and codes still arrive.
  e2e_expect_eq "$label: icon stays while the box is open" 1 "$(tray_icon_count || true)"
  e2e_expect_eq "$label: no request before OK" "" "$(event_kinds "$mark")"
  e2e_simctl press --device "$TRAY_DEVICE" --command "$PRESSED_COMMAND" >/dev/null ||
    e2e_fail "$label: simulated press delivered"
  wait_texts 3 1019=1 1014="$PRESSED_COMMAND" || true
  expect_texts "$label: code received behind the box" 1019=1 1014="$PRESSED_COMMAND"

  if pressed=$(e2e_hb press-msgbox --button OK --timeout-ms 2000); then
    e2e_pass "$label: OK closes the box"
  else
    e2e_fail "$label: OK closes the box" "$pressed"
  fi
  expect_ended "$label" "$mark" disable
  events=$(tray_journal_events "$mark")
  e2e_expect_eq "$label: disable carries the enable's event data" "disable $enable_data" "$events"
}

# ---------------------------------------------------------------------------------------------
# The left double-click shows the panel; other mouse actions on the icon do nothing.

# MulDiv as the dialog manager rounds: to the nearest, halves away from zero.
muldiv() { echo $((($1 * $2 * 2 + $3) / ($3 * 2))); }

# The mismatch lines of check-dialog, less the tab stops that the checked radio buttons gained.
unexplained_mismatches() {
  local line id field expected actual
  while IFS= read -r line; do
    [[ $line == mismatch* ]] || continue
    id=$(e2e_field id "$line" || true)
    field=$(e2e_field field "$line" || true)
    expected=$(e2e_field expected "$line" || true)
    actual=$(e2e_field actual "$line" || true)
    if [[ $field == style && " ${CHECKED_RADIO_IDS[*]} " == *" $id "* &&
      $expected == 0x* && $actual == 0x* ]] && ((actual == (expected | WS_TABSTOP))); then
      continue
    fi
    printf '%s\n' "$line"
  done <<<"$1"
}

panel_size() {
  local rect left top right bottom
  rect=$(e2e_kv rect "$(e2e_hb find-dialog)" || true)
  IFS=, read -r left top right bottom <<<"$rect"
  echo "$((right - left))x$((bottom - top))"
}

_panel_shown() { [[ $(panel_size) != 0x0 ]]; }

show_panel() {
  local label=$1 lparam menu check units expected dialog
  e2e_expect_eq "$label: panel has no size after start-up" 0x0 "$(panel_size)"
  e2e_expect_eq "$label: panel hidden after start-up" 0 \
    "$(e2e_kv visible "$(e2e_hb find-dialog || true)" || true)"
  for lparam in "$WM_LBUTTONDOWN" "$WM_LBUTTONUP" "$WM_RBUTTONDOWN"; do
    e2e_hb post --msg "$TRAY_CALLBACK_MSG" --lparam "$lparam" >/dev/null
  done
  if menu=$(e2e_hbtool menu --timeout-ms 500); then
    e2e_fail "$label: a single click or a right press opens nothing" "$menu"
  else
    e2e_expect_eq "$label: a single click or a right press leaves the panel as it is" 0x0 \
      "$(panel_size)"
  fi

  e2e_hb post --msg "$TRAY_CALLBACK_MSG" --lparam "$TRAY_WM_LBUTTONDBLCLK" >/dev/null
  _tray_until 3 _panel_shown || true
  dialog=$(e2e_hb find-dialog || true)
  e2e_expect_eq "$label: panel visible after the double-click" 1 "$(e2e_kv visible "$dialog" || true)"
  check=$(e2e_hb check-dialog --expect "$(e2e_winpath "$EXPECTED_DIALOG")" \
    --ignore-text-ids "$REWRITTEN_IDS" || true)
  # Its 38 controls, and nothing else that differs.
  e2e_expect_eq "$label: shown panel matches dialog 102" controls=38 \
    "$(grep -o '^controls=[0-9]*' <<<"$check" || true; unexplained_mismatches "$check")"
  units=$(e2e_kv base_units "$check" || echo 0,0)
  expected="$(muldiv "$TEMPLATE_CX" "${units%,*}" 4)x$(muldiv "$TEMPLATE_CY" "${units#*,}" 8)"
  e2e_expect_eq "$label: panel has the template's size (${TEMPLATE_CX}x$TEMPLATE_CY dialog units)" \
    "$expected" "$(panel_size)"
}

# ---------------------------------------------------------------------------------------------
# The panel's Exit button and Escape.

stop_capture() {
  local label=$1 mark
  mark=$(tray_journal_mark)
  e2e_hb click --id 1017 >/dev/null
  wait_texts 3 1017=Start || true
  expect_texts "$label: Stop clicked" 1017=Start
  e2e_expect_eq "$label: Stop disables capture" disable "$(event_kinds "$mark")"
}

# Each row: label | what comes first | how the program is ended | IR event requests on the way out
readonly EXIT_CASES=(
  "Exit button on the shown panel|show_panel|exit_button|disable"
  "Exit button after Stop|stop_capture|exit_button|"
  "Escape|-|escape|"
)

exit_button() { e2e_hb click --id 1 >/dev/null; }
escape() { e2e_hb post --msg "$WM_COMMAND" --wparam "$IDCANCEL" >/dev/null; }

case_exits() {
  local row label before how expected mark
  for row in "${EXIT_CASES[@]}"; do
    IFS='|' read -r label before how expected <<<"$row"
    start_case "$label" || continue
    [[ $before == - ]] || "$before" "$label"
    mark=$(tray_journal_mark)
    "$how"
    expect_ended "$label" "$mark" "$expected"
  done
}

# ---------------------------------------------------------------------------------------------
# Resume from sleep.

# watch_power <wparam> <duration-ms>: 1017, 1025 and 1028 around one posted WM_POWERBROADCAST,
# as hbtool watch-texts prints them ("initial id=N text=T", then "change at_ms=N id=N text=T").
watch_power() {
  e2e_hb watch-texts --ids 1017,1025,1028 --duration-ms "$2" --post-msg "$WM_POWERBROADCAST" \
    --post-wparam "$1" || true
}

# The texts one control went through, its initial one first, joined with '|'.
texts_of() { grep -E "^(initial|change) .*id=$1 " <<<"$2" | sed 's/.* text=//' | paste -sd'|' - || true; }
# When a control first changed to a text, in ms after the post.
at_of() { grep "^change .* id=$1 text=$2\$" <<<"$3" | sed -n '1s/.*at_ms=\([0-9]*\).*/\1/p'; }

# expect_resume <label> <1025 texts> <1028 texts>
expect_resume() {
  local label=$1 mark watched start stop
  mark=$(tray_journal_mark)
  watched=$(watch_power "$PBT_APMRESUMEAUTOMATIC" 2500)
  e2e_expect_eq "$label: 1025 shows the event" "$2" "$(texts_of 1025 "$watched")"
  e2e_expect_eq "$label: 1028 counts it" "$3" "$(texts_of 1028 "$watched")"
  e2e_expect_eq "$label: Start/Stop goes to Start and back" "Stop|Start|Stop" \
    "$(texts_of 1017 "$watched")"
  start=$(at_of 1017 Start "$watched")
  stop=$(at_of 1017 Stop "$watched")
  if [[ -n $start && -n $stop ]] && ((start <= TOGGLE_MAX_MS &&
    stop - start >= RESTART_MIN_MS && stop - start <= RESTART_MAX_MS)); then
    e2e_pass "$label: Start at once ($start ms), Stop again $((stop - start)) ms later"
  else
    e2e_fail "$label: Start at once, Stop again about a second later" "$watched"
  fi
  e2e_expect_eq "$label: driver sees disable, then enable" "disable enable" "$(event_kinds "$mark")"
}

case_resume() {
  local label='resume from sleep' mark watched
  start_case "$label" || return 0
  mark=$(tray_journal_mark)
  watched=$(watch_power "$PBT_APMRESUMESUSPEND" 1500)
  e2e_expect_eq "another power event changes nothing on the panel" 0 \
    "$(e2e_kv changes "$watched" || echo '<missing>')"
  e2e_expect_eq "another power event sends nothing to the driver" "" "$(event_kinds "$mark")"
  expect_resume "first resume" "Info|PBT_APMRESUMEAUTOMATIC" "Instance 0|1"
  expect_resume "second resume" PBT_APMRESUMEAUTOMATIC "1|2"
  mark=$(tray_journal_mark)
  escape
  expect_ended "$label, then Escape" "$mark" ""
}

# ---------------------------------------------------------------------------------------------

main() {
  e2e_require_build
  e2e_setup "${HB_E2E_WORKDIR:-$E2E_REPO_ROOT/build/e2e-runs/tray}"
  tray_prepare || e2e_bail "receiver and install folder registered"
  # Keeps Wine's desktop process, and with it the notification area, alive between the runs.
  rm -f "$E2E_WORKDIR/keeper.stop"
  e2e_start_exe "$HB_TOOL" hold-desktop --stop-file "$(e2e_winpath "$E2E_WORKDIR/keeper.stop")" ||
    e2e_bail "desktop keeper started"
  keeper=$E2E_PID

  case_tray_menu_exit
  case_exits
  case_resume

  : >"$E2E_WORKDIR/keeper.stop"
  e2e_wait_exit "$keeper" 5 || e2e_stop "$keeper"
  e2e_summary
}

main "$@"
