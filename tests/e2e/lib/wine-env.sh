# shellcheck shell=bash
# Wine environment for the end-to-end scenarios and the demo: a private X server, a private Wine
# prefix copied from a cached template, a persistent wineserver, helpers to start Windows programs
# and to drive the harness tool, and ok / not ok assertion lines.
#
# Usage: source this file, call `e2e_setup <workdir>` (installs an EXIT trap that tears everything
# down again), run checks, end with `e2e_summary` (non-zero when any check failed).
#
# Every process is started here and stopped here by its pid; nothing is ever killed by name,
# because other Wine and X servers may be running on the same machine.
#
# Settings (environment): HB_WIN64_DIR (the Windows build, default build/win64), HB_E2E_CACHE
# (where the prefix template lives, default build/e2e-cache), HB_E2E_KEEP_PREFIX=1 (keep the
# run's prefix for inspection), HB_WINE64 and HB_WINESERVER (other Wine binaries).

# Variables set here are read by the scripts that source this file.
# shellcheck disable=SC2034

E2E_REPO_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/../../.." && pwd)
E2E_WINE=${HB_WINE64:-/usr/lib/wine/wine64}
E2E_WINESERVER=${HB_WINESERVER:-/usr/lib/wine/wineserver}
E2E_CACHE=${HB_E2E_CACHE:-$E2E_REPO_ROOT/build/e2e-cache}
HB_WIN64_DIR=${HB_WIN64_DIR:-$E2E_REPO_ROOT/build/win64}
HB_EXE=$HB_WIN64_DIR/HandsetBridge.exe
HB_EXE_NAME=HandsetBridge.exe
HB_TOOL=$HB_WIN64_DIR/tests/e2e/tools/hbtool.exe

# A Windows program started here that ends with status 1 and this on stderr never ran: Wine
# failed to set up the process (about one start in a thousand). Such a start is retried.
E2E_START_FAILURE='failed to map the shared user data'
E2E_START_ATTEMPTS=${HB_E2E_START_ATTEMPTS:-4}
# How long a freshly started background program is watched for that failure, in seconds.
E2E_START_SETTLE=${HB_E2E_START_SETTLE:-0.5}
# Upper bound for one run of a program that is expected to finish (the harness tool).
E2E_RUN_TIMEOUT=${HB_E2E_RUN_TIMEOUT:-60}

E2E_WORKDIR=
E2E_LOGDIR=
E2E_XVFB_PID=
E2E_WINESERVER_PID=
E2E_SERVER_DIR=
E2E_TORN_DOWN=0
E2E_SEQ=0
E2E_PID=
E2E_EXIT_STATUS=
E2E_PIDS=()
declare -A E2E_STATUS=()
E2E_CHECKS=0
E2E_FAILURES=0

# ---------------------------------------------------------------------------------------------
# Messages and assertions

e2e_log() { printf '# %s\n' "$*" >&2; }

# Diagnostic lines under a check, indented so they read as part of it.
e2e_diag() {
  local line
  while IFS= read -r line; do
    printf '#   %s\n' "$line"
  done <<<"$*"
}

e2e_pass() {
  E2E_CHECKS=$((E2E_CHECKS + 1))
  printf 'ok - %s\n' "$1"
}

# e2e_fail <what> [detail...]
e2e_fail() {
  E2E_CHECKS=$((E2E_CHECKS + 1))
  E2E_FAILURES=$((E2E_FAILURES + 1))
  printf 'not ok - %s\n' "$1"
  shift
  if (($# > 0)); then e2e_diag "$*"; fi
}

# e2e_check <what> <command...>: ok when the command succeeds.
e2e_check() {
  local what=$1
  shift
  if "$@"; then e2e_pass "$what"; else e2e_fail "$what" "command failed: $*"; fi
}

# e2e_expect_eq <what> <expected> <actual>
e2e_expect_eq() {
  if [[ $3 == "$2" ]]; then
    e2e_pass "$1"
  else
    e2e_fail "$1" "expected: '$2'"$'\n'"actual:   '$3'"
  fi
}

# e2e_expect_fields <label> <key=value output> <field|expected>...: one check per field of a
# tool's output, so each field reports on its own.
e2e_expect_fields() {
  local label=$1 output=$2 row
  shift 2
  for row in "$@"; do
    e2e_expect_eq "$label: ${row%%|*}" "${row#*|}" "$(e2e_kv "${row%%|*}" "$output" || echo '<missing>')"
  done
}

# Ends a scenario: prints the tally; fails when a check failed or none ran at all.
e2e_summary() {
  printf '# %d checks, %d failed\n' "$E2E_CHECKS" "$E2E_FAILURES"
  ((E2E_CHECKS > 0 && E2E_FAILURES == 0))
}

# Stops the scenario at once (a precondition is missing); teardown still runs.
e2e_bail() {
  e2e_fail "$1" "${@:2}"
  e2e_summary || true
  exit 1
}

# e2e_kv <key> <text>: the value of the first "key=value" line of text; fails when there is none.
e2e_kv() {
  local line
  while IFS= read -r line; do
    if [[ $line == "$1="* ]]; then
      printf '%s\n' "${line#"$1="}"
      return 0
    fi
  done <<<"$2"
  return 1
}

# e2e_field <key> <text>: the value of the first "key=value" word anywhere in text, for lines
# that carry several, such as "controls=38 mismatches=0".
e2e_field() {
  local word
  for word in $2; do
    if [[ $word == "$1="* ]]; then
      printf '%s\n' "${word#"$1="}"
      return 0
    fi
  done
  return 1
}

# ---------------------------------------------------------------------------------------------
# Small utilities

_e2e_now_ms() {
  local now=${EPOCHREALTIME/[.,]/}
  printf '%s\n' "$((now / 1000))"
}

# Seconds (decimals allowed) to milliseconds.
_e2e_ms() {
  local whole=${1%%.*} frac=''
  [[ $1 == *.* ]] && frac=${1#*.}
  frac=${frac}000
  printf '%s\n' "$((10#${whole:-0} * 1000 + 10#${frac:0:3}))"
}

# e2e_alive <pid>: the process still runs.
e2e_alive() { kill -0 "$1" 2>/dev/null; }

# Waits until the process is gone; 1 when it outlives the timeout (seconds).
_e2e_wait_gone() {
  local pid=$1 deadline
  deadline=$(($(_e2e_now_ms) + $(_e2e_ms "$2")))
  while e2e_alive "$pid"; do
    (($(_e2e_now_ms) < deadline)) || return 1
    sleep 0.05
  done
}

# Collects the exit status of a finished child once and remembers it (bash reports it only once).
_e2e_reap() {
  local pid=$1 status=0
  if [[ -z ${E2E_STATUS[$pid]+set} ]]; then
    wait "$pid" 2>/dev/null || status=$?
    E2E_STATUS[$pid]=$status
  fi
  E2E_EXIT_STATUS=${E2E_STATUS[$pid]}
}

# e2e_stop <pid> [grace-seconds]: stops a child of this shell: TERM, then KILL if it does not
# go within the grace time.
e2e_stop() {
  local pid=$1 grace=${2:-3}
  [[ -n $pid ]] || return 0
  if e2e_alive "$pid"; then
    kill -TERM "$pid" 2>/dev/null || true
    if ! _e2e_wait_gone "$pid" "$grace"; then
      kill -KILL "$pid" 2>/dev/null || true
      _e2e_wait_gone "$pid" 2 || true
    fi
  fi
  _e2e_reap "$pid"
}

# Windows path of a Unix path, through the Z: drive every prefix maps to /.
e2e_winpath() {
  local path
  path=$(realpath -m -- "$1")
  printf 'Z:%s\n' "${path//\//\\}"
}

# Prints a program's stderr, minus what Wine says on every start of a 64-bit-only prefix.
_e2e_forward_stderr() {
  [[ -s $1 ]] || return 0
  grep -v -e 'syswow64\\rundll32.exe' "$1" | sed 's/\r$//; s/^/# stderr: /' >&2 || true
}

# ---------------------------------------------------------------------------------------------
# X server

_e2e_start_xvfb() {
  local displayfile=$E2E_WORKDIR/xvfb.display deadline display=''
  : >"$displayfile"
  # -displayfd: Xvfb picks a free display itself and writes its number to fd 3 when ready, so
  # parallel runs never race for a display number.
  Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp -noreset \
    3>"$displayfile" </dev/null >"$E2E_LOGDIR/xvfb.log" 2>&1 &
  E2E_XVFB_PID=$!
  deadline=$(($(_e2e_now_ms) + 10000))
  while :; do
    IFS= read -r display <"$displayfile" || true
    [[ $display =~ ^[0-9]+$ ]] && break
    if ! e2e_alive "$E2E_XVFB_PID" || (($(_e2e_now_ms) > deadline)); then
      e2e_log "Xvfb did not start; its log:"
      sed 's/^/#   /' "$E2E_LOGDIR/xvfb.log" >&2
      return 1
    fi
    sleep 0.05
  done
  export DISPLAY=:$display
  e2e_log "Xvfb pid $E2E_XVFB_PID on display $DISPLAY"
}

# ---------------------------------------------------------------------------------------------
# Wine prefix

_e2e_wine_env() {
  export WINEARCH=win64 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
  unset WINESERVER WINELOADER
}

_e2e_template_stamp() {
  "$E2E_WINE" --version 2>/dev/null || echo unknown
}

# Builds a fresh prefix in $1: default Wine set-up, plus the settings every run needs.
_e2e_build_prefix() {
  local prefix=$1 reg=$1.reg
  # No window manager runs under Xvfb. With managed windows, every hide waits 2 s for a window
  # manager that never answers; unmanaged windows hide at once.
  printf '%s\r\n' 'REGEDIT4' '' '[HKEY_CURRENT_USER\Software\Wine\X11 Driver]' '"Managed"="N"' '' \
    >"$reg"
  {
    WINEPREFIX=$prefix "$E2E_WINE" wineboot -i
    WINEPREFIX=$prefix "$E2E_WINE" regedit /S "$(e2e_winpath "$reg")"
    # The registry reaches the disk when the server ends.
    WINEPREFIX=$prefix "$E2E_WINESERVER" -w
  } </dev/null >"$E2E_LOGDIR/prefix-template.log" 2>&1
  rm -f "$reg"
  _e2e_remove_server_dir "$(_e2e_server_dir "$prefix")"
  grep -q '"Managed"="N"' "$prefix/user.reg"
}

# The template is built once per Wine version and shared by all runs; a lock keeps parallel runs
# from building it twice.
_e2e_ensure_template() {
  local template=$E2E_CACHE/prefix-template stamp lockfd building
  stamp=$(_e2e_template_stamp)
  if [[ -f $template/.hb-template && $(<"$template/.hb-template") == "$stamp" ]]; then
    return 0
  fi
  mkdir -p "$E2E_CACHE"
  exec {lockfd}>"$E2E_CACHE/prefix-template.lock"
  flock -w 600 "$lockfd"
  if ! [[ -f $template/.hb-template && $(<"$template/.hb-template") == "$stamp" ]]; then
    e2e_log "building the Wine prefix template (once): $template"
    building=$E2E_CACHE/prefix-template.new.$$
    rm -rf "$building"
    if ! _e2e_build_prefix "$building"; then
      e2e_log "building the prefix template failed; log:"
      sed 's/^/#   /' "$E2E_LOGDIR/prefix-template.log" >&2
      rm -rf "$building"
      exec {lockfd}>&-
      return 1
    fi
    printf '%s\n' "$stamp" >"$building/.hb-template"
    rm -rf "$template"
    mv "$building" "$template"
  fi
  exec {lockfd}>&-
}

_e2e_copy_prefix() {
  rm -rf "$E2E_WORKDIR/prefix"
  cp -a "$E2E_CACHE/prefix-template" "$E2E_WORKDIR/prefix"
  export WINEPREFIX=$E2E_WORKDIR/prefix
}

# Wine clients talk to the server through server-<dev>-<inode of the prefix>/socket in a
# directory under /tmp (its exact parent differs between Wine builds).
_e2e_server_dir() {
  local id
  id=$(printf '%x-%x' "$(stat -c %d "$1")" "$(stat -c %i "$1")")
  find /tmp -maxdepth 2 -type d -name "server-$id" -print -quit 2>/dev/null
}

# After its server ended, all that is left in the server directory is an empty lock file.
_e2e_remove_server_dir() {
  [[ -n $1 && -d $1 ]] || return 0
  rm -f "$1/lock"
  rmdir "$1" 2>/dev/null || true
}

_e2e_start_wineserver() {
  local deadline
  # Foreground (-f) so the pid we hold is the server's; persistent (-p) so it does not exit
  # between the programs a scenario starts.
  "$E2E_WINESERVER" -f -p </dev/null >"$E2E_LOGDIR/wineserver.log" 2>&1 &
  E2E_WINESERVER_PID=$!
  deadline=$(($(_e2e_now_ms) + 10000))
  until E2E_SERVER_DIR=$(_e2e_server_dir "$WINEPREFIX") && [[ -S $E2E_SERVER_DIR/socket ]]; do
    if ! e2e_alive "$E2E_WINESERVER_PID" || (($(_e2e_now_ms) > deadline)); then
      e2e_log "wineserver did not come up; its log:"
      sed 's/^/#   /' "$E2E_LOGDIR/wineserver.log" >&2
      return 1
    fi
    sleep 0.05
  done
  e2e_log "wineserver pid $E2E_WINESERVER_PID for $WINEPREFIX"
}

# ---------------------------------------------------------------------------------------------
# Set-up and tear-down

_e2e_on_exit() {
  local status=$?
  e2e_teardown || true
  exit "$status"
}

# e2e_setup <workdir>: X server, prefix and wineserver for this run; logs go to <workdir>/logs.
e2e_setup() {
  local started
  started=$(_e2e_now_ms)
  mkdir -p "$1"
  E2E_WORKDIR=$(cd "$1" && pwd)
  E2E_LOGDIR=$E2E_WORKDIR/logs
  rm -rf "$E2E_LOGDIR"
  mkdir -p "$E2E_LOGDIR"
  trap _e2e_on_exit EXIT
  trap 'e2e_log "interrupted"; exit 130' INT
  trap 'e2e_log "terminated"; exit 143' TERM
  _e2e_wine_env
  _e2e_start_xvfb
  _e2e_ensure_template
  _e2e_copy_prefix
  _e2e_start_wineserver
  e2e_log "environment ready in $(($(_e2e_now_ms) - started)) ms (work dir $E2E_WORKDIR)"
}

# Safe to call more than once and from the EXIT trap; never fails.
e2e_teardown() {
  local pid errexit=0
  ((E2E_TORN_DOWN == 0)) || return 0
  E2E_TORN_DOWN=1
  [[ $- == *e* ]] && errexit=1
  set +e
  if [[ -n $E2E_WINESERVER_PID ]]; then
    # -k ends every Windows process of this prefix, then the server itself.
    "$E2E_WINESERVER" -k </dev/null >/dev/null 2>&1
    _e2e_wait_gone "$E2E_WINESERVER_PID" 10 || e2e_log "wineserver $E2E_WINESERVER_PID did not end"
    e2e_stop "$E2E_WINESERVER_PID"
  fi
  for pid in "${E2E_PIDS[@]}"; do
    e2e_stop "$pid" 2
  done
  e2e_stop "$E2E_XVFB_PID"
  _e2e_remove_server_dir "$E2E_SERVER_DIR"
  # A prefix is large (hundreds of MB); keep it only on request.
  if [[ -n $E2E_WORKDIR && ${HB_E2E_KEEP_PREFIX:-0} != 1 ]]; then
    rm -rf "$E2E_WORKDIR/prefix"
  fi
  ((errexit == 0)) || set -e
  return 0
}

# ---------------------------------------------------------------------------------------------
# Windows programs

# _e2e_is_start_failure <status> <log base> <elapsed ms>
_e2e_is_start_failure() {
  local status=$1 base=$2 elapsed_ms=$3
  ((status == 1)) || return 1
  grep -q -- "$E2E_START_FAILURE" "$base.err" 2>/dev/null && return 0
  # Wine's note may also be missing: the same failure then shows as status 1, no output at all,
  # almost at once.
  [[ ! -s $base.out && ! -s $base.err ]] && ((elapsed_ms < 1000))
}

# e2e_start_exe <exe> [args...]: starts a Windows program in the background. The pid (which is
# the Windows process itself: the Wine loader lives as long as it) is left in E2E_PID; its
# output goes to $E2E_LOGDIR/<name>.<n>.out and .err.
e2e_start_exe() {
  local exe=$1 base attempt pid started settle_end
  shift
  E2E_SEQ=$((E2E_SEQ + 1))
  base=$E2E_LOGDIR/$(basename "$exe" .exe).$E2E_SEQ
  for ((attempt = 1; attempt <= E2E_START_ATTEMPTS; attempt++)); do
    started=$(_e2e_now_ms)
    "$E2E_WINE" "$exe" "$@" </dev/null >"$base.out" 2>"$base.err" &
    pid=$!
    E2E_PIDS+=("$pid")
    settle_end=$((started + $(_e2e_ms "$E2E_START_SETTLE")))
    while e2e_alive "$pid" && (($(_e2e_now_ms) < settle_end)); do
      sleep 0.05
    done
    if ! e2e_alive "$pid"; then
      _e2e_reap "$pid"
      if _e2e_is_start_failure "$E2E_EXIT_STATUS" "$base" $(($(_e2e_now_ms) - started)); then
        e2e_log "Wine failed to start $(basename "$exe") (attempt $attempt); retrying"
        continue
      fi
    fi
    E2E_PID=$pid
    return 0
  done
  e2e_log "giving up starting $exe after $E2E_START_ATTEMPTS attempts"
  return 1
}

# e2e_wait_exit <pid> <timeout-seconds>: 0 when the process ended in time; its exit status is
# then in E2E_EXIT_STATUS.
e2e_wait_exit() {
  E2E_EXIT_STATUS=
  _e2e_wait_gone "$1" "$2" || return 1
  _e2e_reap "$1"
}

# e2e_run_exe <exe> [args...]: runs a Windows program to completion and returns its exit status.
# Its stdout is passed on with Wine's CR line ends removed; its stderr goes to ours.
e2e_run_exe() {
  local exe=$1 base attempt status started
  shift
  # Usually called inside $(...), where the counter does not survive: the subshell's pid keeps
  # the log names apart.
  E2E_SEQ=$((E2E_SEQ + 1))
  base=$E2E_LOGDIR/$(basename "$exe" .exe).$E2E_SEQ.$BASHPID
  for ((attempt = 1; attempt <= E2E_START_ATTEMPTS; attempt++)); do
    status=0
    started=$(_e2e_now_ms)
    timeout -k 5 "$E2E_RUN_TIMEOUT" "$E2E_WINE" "$exe" "$@" \
      </dev/null >"$base.out" 2>"$base.err" || status=$?
    if _e2e_is_start_failure "$status" "$base" $(($(_e2e_now_ms) - started)); then
      e2e_log "Wine failed to start $(basename "$exe") (attempt $attempt); retrying"
      continue
    fi
    ((status != 124)) || e2e_log "$(basename "$exe") $* timed out after ${E2E_RUN_TIMEOUT}s"
    tr -d '\r' <"$base.out"
    _e2e_forward_stderr "$base.err"
    return "$status"
  done
  e2e_log "giving up starting $exe after $E2E_START_ATTEMPTS attempts"
  return 1
}

# e2e_hbtool <command> [args...]: the harness tool (see tests/e2e/tools).
e2e_hbtool() { e2e_run_exe "$HB_TOOL" "$@"; }

# e2e_hb <command> [args...]: the harness tool aimed at the program under test.
e2e_hb() { e2e_hbtool "$1" --exe "$HB_EXE_NAME" "${@:2}"; }

# e2e_screenshot <file.png>: the whole X screen.
e2e_screenshot() {
  mkdir -p "$(dirname "$1")"
  import -display "$DISPLAY" -window root "$1"
}

# Fails the scenario early, with a clear line, when the Windows build is not there.
e2e_require_build() {
  local f
  for f in "$HB_EXE" "$HB_TOOL"; do
    [[ -f $f ]] || e2e_bail "Windows build present" "missing $f (build it with: cmake --preset win64 && cmake --build --preset win64)"
  done
}
