#!/usr/bin/env bash
# Runs the Windows build of Handset Bridge under Wine with a simulated receiver and the example
# key map, and plays a handset sequence into Notepad: a few normal-mode keys, MSN (a stand-in
# messenger), "hi bob" typed with multi-tap, TV back to the normal map and one more normal key.
# Prints what each press did, leaves a screenshot of Notepad and fails when the typed text is not
# the scripted one. `make demo` builds first and then calls this. HB_WIN64_DIR selects the build
# (default: build/win64).
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
# shellcheck source-path=SCRIPTDIR source=../tests/e2e/lib/wine-env.sh
source "$root/tests/e2e/lib/wine-env.sh"
# shellcheck source-path=SCRIPTDIR source=../tests/e2e/simreceiver/register.sh
source "$root/tests/e2e/simreceiver/register.sh"
# shellcheck source-path=SCRIPTDIR source=../tests/e2e/lib/program.sh
source "$root/tests/e2e/lib/program.sh"

readonly DEMO_DIR=${HB_DEMO_DIR:-$root/build/demo}
readonly SCREENSHOT=$DEMO_DIR/handsetbridge.png
readonly MENU_SCREENSHOT=$DEMO_DIR/tray-menu.png
readonly TRAY_CALLBACK_MSG=1025 # the icon's callback message
readonly WM_RBUTTONUP=517
readonly KEYMAP=$HB_EXAMPLE_KEYMAP
readonly DEVICE=Handset
readonly PHRASE='hi bob'
# Notepad's text as hbtool shows it: line breaks written as \r\n.
readonly EXPECTED_TEXT='42\r\nhi bob\r\n'
readonly NOTEPAD_TIMEOUT_MS=20000

# One row per press (or pause) for the summary. A row's keys are those recorded from its mark to
# the next row's, unless the row carries its own (the taps of one letter, sent as a burst).
declare -a row_what=() row_code=() row_function=() row_mark=() row_keys=() row_text=()

step() { printf '\n== %s\n' "$*"; }
say() { printf '   %s\n' "$*"; }
die() {
  printf 'demo failed: %s\n' "$*" >&2
  exit 1
}

# The function string of the button with this code in a section of the key map.
function_of() {
  local button
  button=$(awk -v wanted="$2" '
    { sub(/\r$/, "") }
    /^[ \t]*\[/ { current = $0; gsub(/^[ \t]*\[|\][ \t]*$/, "", current); next }
    current == "Button" && (at = index($0, "=")) > 0 && substr($0, at + 1) == wanted {
      print substr($0, 1, at - 1); exit
    }' "$KEYMAP")
  [[ -n $button ]] && hb_ini_value "$KEYMAP" "$1" "$button"
}

notepad_text() {
  local out
  out=$(e2e_hbtool window-text --class Notepad --child-class Edit --timeout-ms 5000) || true
  e2e_kv text "$out" || echo '?'
}

key_name() {
  local vk=$((16#${1#0x}))
  case $vk in
    8) echo Backspace ;; 9) echo Tab ;; 13) echo Enter ;; 16) echo Shift ;; 17) echo Ctrl ;;
    18) echo Alt ;; 20) echo CapsLock ;; 32) echo Space ;; 33) echo PageUp ;; 34) echo PageDown ;;
    37) echo Left ;; 38) echo Up ;; 39) echo Right ;; 40) echo Down ;; 91) echo Windows ;;
    *)
      if ((vk >= 0x30 && vk <= 0x5A)); then
        printf '%b\n' "\\$(printf '%03o' "$vk")"
      elif ((vk >= 0x70 && vk <= 0x7B)); then
        echo "F$((vk - 0x6F))"
      else
        printf '0x%02X\n' "$vk"
      fi
      ;;
  esac
}

# Recorder lines as the keys a user would name: "G, Shift+Left" for G tapped, then Left tapped
# with Shift held.
describe_keys() {
  local -a vks=() ups=() held=() out=() kept
  local line i name chord
  while IFS= read -r line; do
    [[ -n $line ]] || continue
    vks+=("$(e2e_field vk "$line")")
    ups+=("$(e2e_field up "$line")")
  done <<<"$1"
  for ((i = 0; i < ${#vks[@]}; i++)); do
    name=$(key_name "${vks[i]}")
    if [[ ${ups[i]} == 1 ]]; then
      kept=()
      for line in "${held[@]}"; do
        [[ $line == "$name" ]] || kept+=("$line")
      done
      held=("${kept[@]}")
      continue
    fi
    if ((i + 1 < ${#vks[@]})) && [[ ${vks[i + 1]} == "${vks[i]}" && ${ups[i + 1]} == 1 ]]; then
      chord=''
      for line in "${held[@]}"; do
        chord+="$line+"
      done
      out+=("$chord$name")
      i=$((i + 1))
    else
      held+=("$name")
    fi
  done
  if ((${#out[@]} == 0)); then
    echo '(none)'
  else
    chord=$(printf '%s, ' "${out[@]}")
    echo "${chord%, }"
  fi
}

# add_row <what> <code> <function> [keys]: a row whose keys are those recorded from now on.
add_row() {
  row_what+=("$1")
  row_code+=("$2")
  row_function+=("$3")
  row_mark+=("$(hb_record_mark)")
  row_keys+=("${4-}")
  row_text+=('')
}

map_name() { [[ $1 == FunctionMap ]] && echo 'normal map' || echo 'messenger map'; }

# The Notepad text after the last row, once the panel has finished its press.
note_text() {
  hb_wait_presses || die "the program did not handle a press"
  row_text[${#row_text[@]} - 1]=$(notepad_text)
}

# press <section> <code>: one handset press, shown with its function in that map.
press() {
  local function
  function=$(function_of "$1" "$2") || function='?'
  # The keys of the press before are all recorded once the gap to it has passed.
  _hb_press_gap
  add_row "$(map_name "$1")" "$2" "$function"
  hb_tap "$DEVICE" "$2" || die "the press of $2 did not reach the receiver"
}

# tap_letter <code>...: the taps of one letter as a burst (they must stay inside 800 ms of each
# other). Each tap ends with Shift released, which splits the recorded keys among the taps.
tap_letter() {
  local mark function line chunk=''
  local -a chunks=()
  function=$(function_of FunctionMapMSN "$1") || function='?'
  _hb_press_gap
  mark=$(hb_record_mark)
  hb_tap_burst "$DEVICE" "$HB_TAP_INTERVAL_MS" "$@" || die "a tap did not reach the receiver"
  hb_wait_presses || die "the program did not handle a tap"
  while IFS= read -r line; do
    [[ -n $line ]] || continue
    chunk+=$line$'\n'
    if [[ $(e2e_field vk "$line") == 0x10 && $(e2e_field up "$line") == 1 ]]; then
      chunks+=("$chunk")
      chunk=''
    fi
  done < <(hb_keys_since "$mark")
  if ((${#chunks[@]} != $# )) || [[ -n $chunk ]]; then
    chunks=("$(hb_keys_since "$mark")")
  fi
  for line in "$@"; do
    add_row "$(map_name FunctionMapMSN)" "$line" "$function" "${chunks[0]-}"
    row_mark[${#row_mark[@]} - 1]=$mark
    chunks=("${chunks[@]:1}")
  done
  row_text[${#row_text[@]} - 1]=$(notepad_text)
}

pause_for_commit() {
  hb_wait_presses || die "the program did not handle a press"
  add_row 'pause 0.8 s (letter kept)' '' ''
  sleep "$HB_COMMIT_WAIT"
  row_text[${#row_text[@]} - 1]=$(notepad_text)
}

set_up() {
  step "Setting up a Wine prefix with a simulated receiver and the example key map"
  e2e_setup "$DEMO_DIR/run"
  hb_install_keymap "$KEYMAP"
  hb_install_messenger
  hb_add_receiver "$DEVICE" RcNumber=5
  say "key map:   $KEYMAP -> C:\\HandsetBridge\\keymap.ini"
  say "messenger: stand-in msnmsgr.exe in C:\\Messenger\\ (App Paths)"
  say "receiver:  simulated device \"$DEVICE\""
}

start_program() {
  local texts
  step "Starting $HB_EXE_NAME (display $DISPLAY)"
  hb_start_program || die "the program did not start capturing"
  texts=$(hb_panel "$HB_ID_DEVICES,$HB_ID_RC_NUMBER,$HB_ID_STATUS,$HB_ID_START_STOP,$HB_ID_KEYMAP_PATH") ||
    die "the status panel can't be read: $texts"
  say "pid $HB_PROGRAM_PID; its (hidden) status panel shows:"
  say "  device \"$(e2e_kv "$HB_ID_DEVICES" "$texts")\", RC number $(e2e_kv "$HB_ID_RC_NUMBER" "$texts")," \
    "driver status $(e2e_kv "$HB_ID_STATUS" "$texts"), button \"$(e2e_kv "$HB_ID_START_STOP" "$texts")\""
  say "  key map $(e2e_kv "$HB_ID_KEYMAP_PATH" "$texts")"
}

start_notepad() {
  local foreground
  step "Starting Notepad and a key recorder"
  e2e_start_exe notepad.exe
  foreground=$(e2e_hbtool foreground --class Notepad --timeout-ms "$NOTEPAD_TIMEOUT_MS") ||
    die "Notepad did not come to the front: $foreground"
  hb_record_start || die "the key recorder did not start"
  say "Notepad is in front; every key event is recorded"
}

play() {
  local code wait plan
  local -a taps=()
  step "Pressing handset buttons"
  say "normal map: 4, 2, OK"
  press FunctionMap "$(hb_button_code "$KEYMAP" FunctionMap 4)"
  note_text
  press FunctionMap "$(hb_button_code "$KEYMAP" FunctionMap 2)"
  note_text
  press FunctionMap "$(hb_button_code "$KEYMAP" FunctionMap Enter)"
  note_text

  say "MSN: messenger map"
  press FunctionMap "$(hb_button_code "$KEYMAP" FunctionMap MSN)"
  note_text

  say "multi-tap: \"$PHRASE\""
  plan=$(hb_multitap_plan "$KEYMAP" "$PHRASE") || die "no multi-tap plan for \"$PHRASE\""
  while read -r code wait; do
    if ((${#taps[@]} > 0)) && [[ $wait != 0 || $code != "${taps[0]}" ]]; then
      tap_letter "${taps[@]}"
      taps=()
    fi
    ((wait == 0)) || pause_for_commit
    taps+=("$code")
  done <<<"$plan"
  tap_letter "${taps[@]}"
  pause_for_commit

  say "TV: normal map again, then OK"
  press FunctionMapMSN "$(hb_button_code "$KEYMAP" FunctionMapMSN TV)"
  note_text
  press FunctionMap "$(hb_button_code "$KEYMAP" FunctionMap Enter)"
  note_text
  hb_record_stop
}

summary() {
  local i last keys
  step "What each press did"
  printf '   %-3s %-26s %-6s %-15s %-30s %s\n' '#' 'press in' 'code' 'function' 'keys sent' 'Notepad afterwards'
  last=${#row_what[@]}
  for ((i = 0; i < last; i++)); do
    if [[ -n ${row_keys[i]} ]]; then
      keys=${row_keys[i]}
    elif ((i + 1 < last)); then
      keys=$(grep '^key ' "$HB_RECORD_JOURNAL" | sed -n "$((row_mark[i] + 1)),$((row_mark[i + 1]))p")
    else
      keys=$(hb_keys_since "${row_mark[i]}")
    fi
    printf '   %-3s %-26s %-6s %-15s %-30s %s\n' "$((i + 1))" "${row_what[i]}" "${row_code[i]:--}" \
      "${row_function[i]:--}" "$(describe_keys "$keys")" "${row_text[i]:+\"${row_text[i]}\"}"
  done
  say ''
  say "messenger: $(tr -d '\r' 2>/dev/null <"$(hb_messenger_dir)/msnmsgr.log" | head -n 1 || echo 'not started')"
}

# Ends the program the way a user does: right-click on the tray icon, "Exit", OK.
exit_from_tray() {
  local menu box
  step "Tray menu"
  e2e_hb post --msg "$TRAY_CALLBACK_MSG" --lparam "$WM_RBUTTONUP" >/dev/null
  menu=$(e2e_hbtool menu --timeout-ms 5000) || die "right-click on the icon opened no menu: $menu"
  e2e_screenshot "$MENU_SCREENSHOT"
  say "menu items: $(grep '^item ' <<<"$menu" | sed 's/.*text=//' | paste -sd, -)"
  say "screenshot: $MENU_SCREENSHOT"
  e2e_hbtool menu-choose --text Exit >/dev/null || die "could not choose Exit"
  box=$(e2e_hb wait-msgbox --timeout-ms 5000) || die "no confirmation box: $box"
  say "message box \"$(e2e_kv caption "$box")\": $(e2e_kv text "$box")"
  e2e_hb press-msgbox >/dev/null || die "could not close the confirmation box"
  e2e_wait_exit "$HB_PROGRAM_PID" 2 || die "the program did not end within 2 s of OK"
  HB_PROGRAM_PID=
  say "the program ended"
}

finish() {
  local text
  step "Result"
  text=$(notepad_text)
  e2e_screenshot "$SCREENSHOT"
  say "Notepad: \"$text\""
  say "screenshot: $SCREENSHOT"
  say "logs: $E2E_LOGDIR"
  [[ $text == "$EXPECTED_TEXT" ]] || die "Notepad shows \"$text\", the script typed \"$EXPECTED_TEXT\""
  say "the typed text is the scripted one"
}

main() {
  [[ -f $HB_EXE && -f $HB_TOOL ]] ||
    die "Windows build missing under $HB_WIN64_DIR (cmake --preset win64 && cmake --build --preset win64)"
  printf 'Handset Bridge demo: %s\n' "$HB_EXE"
  set_up
  start_program
  start_notepad
  play
  summary
  finish
  exit_from_tray
}

main "$@"
