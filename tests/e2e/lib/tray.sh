# shellcheck shell=bash
# The program after a complete start, driven the way the notification area drives it: one
# simulated receiver whose journal records every driver request, the install folder value, and
# helpers to start the program, open its tray menu, read the menu and photograph it.
#
# Source after tests/e2e/lib/wine-env.sh and tests/e2e/simreceiver/register.sh, once e2e_setup
# has run; call tray_prepare once per prefix, then tray_start for every run of the program.
#
#   tray_prepare                 receiver "$TRAY_DEVICE" with its journal, install folder value
#   tray_start                   starts the program (pid in TRAY_PID), waits for a complete start
#   tray_open_menu               right-button release on the icon; prints `hbtool menu`
#   tray_show_menu <file.png>    tray_open_menu, then a screenshot with the menu open
#   tray_icon_count              icons in Wine's notification area
#   tray_journal_mark            number of journal lines so far
#   tray_journal_events <mark>   the IR event requests after the mark, one a line: "enable
#                                <data>" or "disable <data>" (null event, length 0), <data> the
#                                event data in hex

# Variables set here are read by the scripts that source this file.
# shellcheck disable=SC2034

readonly TRAY_DEVICE='Tray Receiver'
readonly TRAY_DEVICE_PATH='\\?\sim#tray#receiver'
readonly TRAY_CALLBACK_MSG=1025 # WM_USER + 1, the icon's callback message
readonly TRAY_WM_RBUTTONUP=517
readonly TRAY_WM_LBUTTONDBLCLK=515
readonly TRAY_INSTALL_KEY='HKLM\Software\Quorvant\V5120remote'
readonly TRAY_INSTALL_VALUE=V5120remote
# The first start in a fresh prefix also brings up Wine's desktop process.
readonly TRAY_START_TIMEOUT_S=20

TRAY_JOURNAL=
TRAY_PID=

# _tray_until <timeout-seconds> <command...>: runs the command until it succeeds.
_tray_until() {
  local deadline
  deadline=$(($(_e2e_now_ms) + $(_e2e_ms "$1")))
  shift
  until "$@"; do
    (($(_e2e_now_ms) < deadline)) || return 1
    sleep 0.1
  done
}

# The install folder holds no keymap.ini: received codes are shown but act on nothing, so no
# key reaches whatever window is in front.
tray_prepare() {
  local install=$E2E_WORKDIR/install
  TRAY_JOURNAL=$E2E_WORKDIR/receiver.journal
  : >"$TRAY_JOURNAL"
  mkdir -p "$install"
  register_receiver "$TRAY_DEVICE" "$TRAY_DEVICE_PATH" "Journal=$(e2e_winpath "$TRAY_JOURNAL")" ||
    return 1
  # The program appends "keymap.ini" to the value: it ends with a backslash.
  e2e_run_exe reg add "$TRAY_INSTALL_KEY" /v "$TRAY_INSTALL_VALUE" /t REG_SZ \
    /d "$(e2e_winpath "$install")\\" /f >/dev/null
}

tray_icon_count() {
  e2e_field icons "$(e2e_hbtool tray-icons)"
}

_tray_started() {
  local texts
  e2e_alive "$TRAY_PID" || return 2
  texts=$(e2e_hb texts --ids 1017 --timeout-ms 0 2>/dev/null) || return 1
  [[ $(e2e_kv 1017 "$texts") == Stop && $(tray_icon_count) == 1 ]]
}

# A complete start: the panel is there, capture is enabled (the button offers "Stop") and the
# icon is in the notification area.
tray_start() {
  e2e_start_exe "$HB_EXE" || return 1
  TRAY_PID=$E2E_PID
  _tray_until "$TRAY_START_TIMEOUT_S" _tray_started
}

tray_open_menu() {
  e2e_hb post --msg "$TRAY_CALLBACK_MSG" --lparam "$TRAY_WM_RBUTTONUP" >/dev/null || return 1
  e2e_hbtool menu --timeout-ms 5000
}

tray_show_menu() {
  local menu
  menu=$(tray_open_menu) || {
    printf '%s\n' "$menu"
    return 1
  }
  e2e_screenshot "$1"
  printf '%s\n' "$menu"
}

tray_journal_mark() {
  if [[ -s $TRAY_JOURNAL ]]; then
    wc -l <"$TRAY_JOURNAL"
  else
    echo 0
  fi
}

tray_journal_events() {
  local line head headlen data
  tail -n "+$(($1 + 1))" "$TRAY_JOURNAL" | while IFS= read -r line; do
    [[ $line == seq=*' kind=event '* ]] || continue
    head=$(e2e_field head "$line")
    headlen=$(e2e_field headlen "$line")
    data=$(e2e_field data "$line")
    if [[ $head == null && $headlen == 0 ]]; then
      printf 'disable %s\n' "$data"
    elif [[ $head != null ]]; then
      printf 'enable %s\n' "$data"
    else
      printf 'malformed %s\n' "$line"
    fi
  done
}
