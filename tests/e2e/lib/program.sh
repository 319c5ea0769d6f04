# shellcheck shell=bash
# The real program against simulated receivers: its install folder and key map, the messenger's
# App Paths entry, start and stop, handset presses that wait until the panel has shown them, and
# a key recorder that can be read press by press.
#
# Source after tests/e2e/lib/wine-env.sh and tests/e2e/simreceiver/register.sh, and call the
# functions once e2e_setup has run.
#
#   hb_install_keymap <file>        keymap.ini into the install folder, folder value registered
#   hb_remove_install_value         the install-folder value removed (the file stays)
#   hb_install_messenger            the stand-in messenger and its App Paths entry
#   hb_remove_messenger_entry       the App Paths entry removed
#   hb_add_receiver <name> [K=V...] a simulated device journalling to $(hb_journal <name>)
#   hb_start_program                starts the program, waits until capture runs (HB_PROGRAM_PID)
#   hb_stop_program                 the Exit button, then waits for the process to end
#   hb_press <device> <command>     one handset press; returns once the panel has finished it
#   hb_tap, hb_wait_presses         the same in two halves; hb_tap_burst: presses on a schedule
#   hb_press_showing <device> <text> [simctl options]   a press with a record of its own
#   hb_type_multitap <device> <key map> <text>   the text typed with the messenger map
#   hb_record_start / hb_record_stop, hb_record_mark, hb_keys_since <mark>
#   hb_press_recording <device> <command> <expected key lines>   a press; prints the keys it sent
#   hb_expected_keys <+VK|-VK ...>  the recorder lines of those key events in this run

# shellcheck disable=SC2034

# shellcheck disable=SC1003 # Windows folders end in a backslash
readonly HB_INSTALL_WINDIR='C:\HandsetBridge\'
readonly HB_MESSENGER_WINDIR='C:\Messenger\'
readonly HB_INSTALL_KEY='HKEY_LOCAL_MACHINE\software\Quorvant\V5120remote'
readonly HB_INSTALL_VALUE=V5120remote
readonly HB_MESSENGER_KEY='HKEY_LOCAL_MACHINE\SOFTWARE\Microsoft\Windows\CurrentVersion\App Paths\MSNMSGR.EXE'
HB_STANDIN_MESSENGER=${HB_STANDIN_MESSENGER:-$HB_WIN64_DIR/tests/e2e/tools/msnmsgr.exe}

# Panel controls.
readonly HB_ID_EXIT=1
readonly HB_ID_DEVICES=1002
readonly HB_ID_RC_NUMBER=1003
readonly HB_ID_RC6=1009
readonly HB_ID_ADDRESS=1012
readonly HB_ID_COMMAND=1014
readonly HB_ID_TOKENS=1015
readonly HB_ID_STATUS=1016
readonly HB_ID_START_STOP=1017
readonly HB_ID_EVENTS=1019
readonly HB_ID_TOGGLE=1021
readonly HB_ID_KEYMAP_PATH=1022

# The first start in a fresh prefix also starts Wine's desktop processes.
HB_START_TIMEOUT_MS=${HB_START_TIMEOUT_MS:-20000}
HB_PANEL_TIMEOUT_MS=${HB_PANEL_TIMEOUT_MS:-10000}
# The normal-mode repeat guard lasts 200 ms after an action; presses keep a safe distance.
HB_PRESS_GAP_MS=${HB_PRESS_GAP_MS:-250}

HB_PROGRAM_PID=
HB_RECORDER_PID=
HB_RECORD_JOURNAL=
HB_RECORD_STOP=
HB_LAST_PRESS_MS=0
# Every press carries its own toggle value, so "Toggle <n>" in the panel marks its pass as done.
HB_TOGGLE_SEQ=0
HB_BURST_TIMES=()
declare -A HB_SCAN=()

hb_install_dir() { printf '%s\n' "$WINEPREFIX/drive_c/HandsetBridge"; }
hb_messenger_dir() { printf '%s\n' "$WINEPREFIX/drive_c/Messenger"; }
hb_journal() { printf '%s\n' "$E2E_WORKDIR/journal-$1.log"; }

# Imports .reg lines (without the header) into the prefix's registry.
hb_reg_import() {
  local file
  E2E_SEQ=$((E2E_SEQ + 1))
  file=$E2E_LOGDIR/program.$E2E_SEQ.reg
  {
    printf '\xff\xfe'
    printf '%s\r\n' 'Windows Registry Editor Version 5.00' '' "$@" '' | iconv -f UTF-8 -t UTF-16LE
  } >"$file"
  e2e_run_exe regedit /S "$(e2e_winpath "$file")" >/dev/null
}

# A value as a .reg file writes it.
_hb_reg_string() {
  local text=${1//\\/\\\\}
  printf '"%s"' "${text//\"/\\\"}"
}

hb_install_keymap() {
  mkdir -p "$(hb_install_dir)"
  cp "$1" "$(hb_install_dir)/keymap.ini"
  hb_reg_import "[$HB_INSTALL_KEY]" "\"$HB_INSTALL_VALUE\"=$(_hb_reg_string "$HB_INSTALL_WINDIR")"
}

hb_remove_install_value() {
  hb_reg_import "[$HB_INSTALL_KEY]" "\"$HB_INSTALL_VALUE\"=-"
}

hb_install_messenger() {
  mkdir -p "$(hb_messenger_dir)"
  cp "$HB_STANDIN_MESSENGER" "$(hb_messenger_dir)/msnmsgr.exe"
  rm -f "$(hb_messenger_dir)/msnmsgr.log"
  hb_reg_import "[$HB_MESSENGER_KEY]" "\"Path\"=$(_hb_reg_string "$HB_MESSENGER_WINDIR")"
}

hb_remove_messenger_entry() {
  hb_reg_import "[-$HB_MESSENGER_KEY]"
}

# hb_add_receiver <name> [Key=Value ...]: a fresh journal for the device, then its registration.
hb_add_receiver() {
  local name=$1
  shift
  : >"$(hb_journal "$name")"
  register_receiver "$name" "\\\\?\\pci#ven_1131&dev_7160#4&1a2b3c4d&0&00e0#{$name}" \
    "Journal=$(e2e_winpath "$(hb_journal "$name")")" "$@"
}

# The panel's texts for a comma-separated list of ids, as "id=text" lines.
hb_panel() { e2e_hb texts --ids "$1"; }

# hb_panel_text <id>: one field's text.
hb_panel_text() {
  local out
  out=$(hb_panel "$1") || return 1
  e2e_kv "$1" "$out"
}

# hb_wait_text <id> <text>: until the field shows the text; prints the last text seen.
hb_wait_text() {
  local out status=0
  out=$(e2e_hb wait-text --id "$1" --text "$2" --timeout-ms "$HB_PANEL_TIMEOUT_MS") || status=$?
  e2e_kv text "$out" || true
  return "$status"
}

# Starts the program and waits until start-up has enabled capture (the button reads "Stop").
hb_start_program() {
  local shown
  e2e_start_exe "$HB_EXE" || return 1
  HB_PROGRAM_PID=$E2E_PID
  HB_LAST_PRESS_MS=0
  shown=$(e2e_hb wait-text --id "$HB_ID_START_STOP" --text Stop --timeout-ms "$HB_START_TIMEOUT_MS") || {
    e2e_log "the program did not start capturing: $shown"
    return 1
  }
  # The key map is loaded after capture is on; the panel's move to 0,0 with zero size is the
  # last step of start-up.
  _hb_wait_startup_done || e2e_log "start-up did not shrink the panel to zero size"
}

_hb_wait_startup_done() {
  local deadline dialog
  deadline=$(($(_e2e_now_ms) + HB_PANEL_TIMEOUT_MS))
  while :; do
    dialog=$(e2e_hb find-dialog --timeout-ms 1000) || true
    [[ $(e2e_kv rect "$dialog" || true) == 0,0,0,0 ]] && return 0
    (($(_e2e_now_ms) < deadline)) || return 1
    sleep 0.05
  done
}

# The Exit button ends the program; a program that doesn't end is stopped by its pid.
hb_stop_program() {
  [[ -n $HB_PROGRAM_PID ]] || return 0
  if e2e_alive "$HB_PROGRAM_PID"; then
    e2e_hb click --id "$HB_ID_EXIT" >/dev/null || true
    if ! e2e_wait_exit "$HB_PROGRAM_PID" 5; then
      e2e_log "the program did not end on Exit; stopping pid $HB_PROGRAM_PID"
      e2e_stop "$HB_PROGRAM_PID"
    fi
  fi
  HB_PROGRAM_PID=
}

# Sleeps until the given time (milliseconds of _e2e_now_ms); returns at once when it has passed.
_hb_sleep_until() {
  local wait_ms
  wait_ms=$(($1 - $(_e2e_now_ms)))
  ((wait_ms <= 0)) || sleep "$(printf '%d.%03d' $((wait_ms / 1000)) $((wait_ms % 1000)))"
}

# Keeps the next press HB_PRESS_GAP_MS after the previous one reached the receiver, which puts it
# clear of the repeat guard: the action takes a few milliseconds, the guard 200 ms after it.
_hb_press_gap() { _hb_sleep_until $((HB_LAST_PRESS_MS + HB_PRESS_GAP_MS)); }

# hb_press_showing <device> <toggle text> [simctl press options...]: one press, and the wait
# until the capture thread has written the toggle text, its last step after the dispatch.
hb_press_showing() {
  local device=$1 text=$2 out
  shift 2
  _hb_press_gap
  out=$(e2e_simctl press --device "$device" "$@") || {
    e2e_log "simctl press on $device failed: $out"
    return 1
  }
  HB_LAST_PRESS_MS=$(_e2e_now_ms)
  hb_wait_text "$HB_ID_TOGGLE" "$text" >/dev/null || {
    e2e_log "the panel did not show '$text' after a press on $device ($*)"
    return 1
  }
}

# hb_tap <device> <command> [simctl press options...]: an RC5 press with a toggle value of its
# own, without waiting for the panel; hb_wait_presses then waits until the panel has finished the
# last one.
hb_tap() {
  local device=$1 command=$2 out
  shift 2
  HB_TOGGLE_SEQ=$((HB_TOGGLE_SEQ + 1))
  _hb_press_gap
  out=$(e2e_simctl press --device "$device" --command "$command" --toggle "$HB_TOGGLE_SEQ" "$@") || {
    e2e_log "simctl press on $device failed: $out"
    return 1
  }
  HB_LAST_PRESS_MS=$(_e2e_now_ms)
}

hb_wait_presses() {
  hb_wait_text "$HB_ID_TOGGLE" "Toggle $HB_TOGGLE_SEQ" >/dev/null || {
    e2e_log "the panel did not show 'Toggle $HB_TOGGLE_SEQ'"
    return 1
  }
}

# hb_press <device> <command> [simctl press options...]: one press, done when the function returns.
hb_press() {
  hb_tap "$@" && hb_wait_presses
}

# hb_tap_burst <device> <interval-ms> <command>...: presses on a fixed schedule, each started
# without waiting for the one before, so that a slow process start delays that press only; the
# time between two presses then varies by the difference of two start-up times, not by a whole
# one. Returns when all have reached the receiver; HB_BURST_TIMES holds when each got there.
hb_tap_burst() {
  local device=$1 interval=$2 start k status=0 times=$E2E_WORKDIR/burst.times
  local -a pids=()
  shift 2
  _hb_press_gap
  : >"$times"
  start=$(_e2e_now_ms)
  for ((k = 0; k < $#; k++)); do
    _hb_sleep_until $((start + k * interval))
    HB_TOGGLE_SEQ=$((HB_TOGGLE_SEQ + 1))
    (
      e2e_simctl press --device "$device" --command "${@:k+1:1}" --toggle "$HB_TOGGLE_SEQ" \
        >/dev/null || exit 1
      printf '%d %d\n' "$k" "$(_e2e_now_ms)" >>"$times"
    ) &
    pids+=($!)
  done
  for k in "${pids[@]}"; do
    wait "$k" || status=1
  done
  HB_LAST_PRESS_MS=$(_e2e_now_ms)
  mapfile -t HB_BURST_TIMES < <(sort -n "$times" | cut -d' ' -f2)
  ((status == 0)) || e2e_log "a press of the burst on $device failed"
  return "$status"
}

# ---------------------------------------------------------------------------------------------
# Key recorder

# _hb_wait_lines <file> <pattern> <count> [timeout-ms]
_hb_wait_lines() {
  local deadline
  deadline=$(($(_e2e_now_ms) + ${4:-5000}))
  while (($(grep -c -e "$2" "$1" 2>/dev/null || true) < $3)); do
    (($(_e2e_now_ms) < deadline)) || return 1
    sleep 0.05
  done
}

hb_record_start() {
  HB_RECORD_JOURNAL=$E2E_WORKDIR/keys.$E2E_SEQ.journal
  HB_RECORD_STOP=$HB_RECORD_JOURNAL.stop
  rm -f "$HB_RECORD_JOURNAL" "$HB_RECORD_STOP"
  e2e_start_exe "$HB_TOOL" record-keys --out "$(e2e_winpath "$HB_RECORD_JOURNAL")" \
    --stop-file "$(e2e_winpath "$HB_RECORD_STOP")" --timeout-ms 600000 || return 1
  HB_RECORDER_PID=$E2E_PID
  _hb_wait_lines "$HB_RECORD_JOURNAL" '^ready$' 1 10000
}

hb_record_stop() {
  [[ -n $HB_RECORDER_PID ]] || return 0
  : >"$HB_RECORD_STOP"
  e2e_wait_exit "$HB_RECORDER_PID" 5 || e2e_stop "$HB_RECORDER_PID"
  HB_RECORDER_PID=
}

# The number of key events recorded so far.
hb_record_mark() { grep -c '^key ' "$HB_RECORD_JOURNAL" || true; }

# hb_keys_since <mark>: the key events recorded after the mark.
hb_keys_since() { grep '^key ' "$HB_RECORD_JOURNAL" | tail -n "+$(($1 + 1))" || true; }

# hb_press_recording <device> <command> <expected>: one press, then the key events recorded for
# it. When keys are expected, waits until as many have arrived (or 2 s passed).
hb_press_recording() {
  local mark
  mark=$(hb_record_mark)
  hb_press "$1" "$2" || true
  [[ -z $3 ]] || _hb_wait_lines "$HB_RECORD_JOURNAL" '^key ' $((mark + $(wc -l <<<"$3"))) 2000 || true
  hb_keys_since "$mark"
}

# Looks up the scan codes of virtual keys (MapVirtualKeyA of this run), each once; call it in
# the scenario's own shell first: the cache does not survive a $(...) subshell.
hb_lookup_scan_codes() {
  local missing=() vk line
  for vk in "$@"; do
    [[ -n ${HB_SCAN[$vk]+set} ]] || missing+=("$vk")
  done
  ((${#missing[@]} > 0)) || return 0
  while IFS= read -r line; do
    [[ -n $line ]] && HB_SCAN[$(e2e_field vk "$line")]=$(e2e_field scan "$line")
  done < <(
    IFS=,
    e2e_hbtool mapvk --vk "${missing[*]}"
  )
}

# hb_expected_keys <event...>: "+0x11" is a press of virtual key 0x11, "-0x11" its release; the
# recorder's lines for them, every event extended and injected as the program sends it.
hb_expected_keys() {
  local event vk
  local -a vks=()
  for event in "$@"; do
    vk=$(printf '0x%02x' "$((${event:1}))")
    vks+=("$vk")
  done
  hb_lookup_scan_codes "${vks[@]}"
  for event in "$@"; do
    vk=$(printf '0x%02x' "$((${event:1}))")
    printf 'key vk=%s scan=%s extended=1 injected=1 up=%s\n' "$vk" "${HB_SCAN[$vk]}" \
      "$([[ ${event:0:1} == - ]] && echo 1 || echo 0)"
  done
}

# ---------------------------------------------------------------------------------------------
# Key maps

HB_EXAMPLE_KEYMAP=$E2E_REPO_ROOT/tests/e2e/keymaps/keymap.ini
# Letters in multi-tap order; a space separates the groups.
readonly HB_TAP_GROUPS='ABC DEF GHI JKL MNO PQR STU VWX YZ'
# A letter is kept 800 ms after its last tap; waits for that go a little longer.
HB_COMMIT_WAIT=${HB_COMMIT_WAIT:-1.0}
# Taps of one letter: past the messenger map's 150 ms repeat guard, inside the 800 ms.
HB_TAP_INTERVAL_MS=${HB_TAP_INTERVAL_MS:-400}

# hb_ini_value <file> <section> <key>: the value as the profile functions read it.
hb_ini_value() {
  awk -v section="$2" -v key="$3" '
    { sub(/\r$/, "") }
    /^[ \t]*\[/ { current = $0; gsub(/^[ \t]*\[|\][ \t]*$/, "", current); next }
    current == section && (at = index($0, "=")) > 0 && substr($0, 1, at - 1) == key {
      print substr($0, at + 1); exit
    }' "$1"
}

# hb_button_code <file> <section> <function>: the code of the first button with that function.
hb_button_code() {
  local button
  button=$(awk -v section="$2" -v wanted="$3" '
    { sub(/\r$/, "") }
    /^[ \t]*\[/ { current = $0; gsub(/^[ \t]*\[|\][ \t]*$/, "", current); next }
    current == section && (at = index($0, "=")) > 0 && substr($0, at + 1) == wanted {
      print substr($0, 1, at - 1); exit
    }' "$1")
  [[ -n $button ]] || return 1
  hb_ini_value "$1" Button "$button"
}

# hb_multitap_plan <key map> <text>: the messenger-map presses that type the lower-case text,
# one line each: "<code> <wait>", where wait 1 means the letter before must be committed first
# (same group again, or a space after a letter).
hb_multitap_plan() {
  local keymap=$1 text=${2^^} i char group taps code previous='' pending=0
  for ((i = 0; i < ${#text}; i++)); do
    char=${text:i:1}
    if [[ $char == ' ' ]]; then
      code=$(hb_button_code "$keymap" FunctionMapMSN SPACE) || return 1
      printf '%s %d\n' "$code" "$pending"
      pending=0
      previous=''
      continue
    fi
    for group in $HB_TAP_GROUPS; do
      [[ $group == *"$char"* ]] && break
    done
    [[ $group == *"$char"* ]] || return 1
    taps=${group%%"$char"*}
    code=$(hb_button_code "$keymap" FunctionMapMSN "Shift+Left+${group:0:1}") || return 1
    printf '%s %d\n' "$code" "$([[ $group == "$previous" ]] && echo 1 || echo 0)"
    for ((taps = ${#taps}; taps > 0; taps--)); do
      printf '%s 0\n' "$code"
    done
    previous=$group
    pending=1
  done
}

# hb_type_multitap <device> <key map> <text>: types the text in the messenger map and waits until
# its last letter is committed. The taps of one letter go out as a burst.
hb_type_multitap() {
  local device=$1 code wait plan
  local -a taps=()
  plan=$(hb_multitap_plan "$2" "$3") || return 1
  while read -r code wait; do
    if ((${#taps[@]} > 0)) && [[ $wait != 0 || $code != "${taps[0]}" ]]; then
      hb_tap_burst "$device" "$HB_TAP_INTERVAL_MS" "${taps[@]}" || return 1
      taps=()
    fi
    if ((wait != 0)); then
      hb_wait_presses || return 1
      sleep "$HB_COMMIT_WAIT"
    fi
    taps+=("$code")
  done <<<"$plan"
  hb_tap_burst "$device" "$HB_TAP_INTERVAL_MS" "${taps[@]}" || return 1
  hb_wait_presses || return 1
  sleep "$HB_COMMIT_WAIT"
}
