# shellcheck shell=bash
# Simulated receiver devices in the run's Wine prefix, and simctl to drive them.
#
# Source it after tests/e2e/lib/wine-env.sh, once e2e_setup has run (it uses WINEPREFIX,
# E2E_WINE, E2E_LOGDIR, HB_WIN64_DIR and e2e_run_exe):
#
#   register_receiver <name> <devicepath> [Key=Value ...]
#       Makes a device <name> appear in the receiver category at the program's next discovery.
#       Extra values go next to FriendlyName in the device's key; simreceiver.dll reads
#       Journal (a Windows path), RcNumber, NoKsControl, Nodes and FailLoad (see simreceiver.cpp).
#   unregister_receiver <name>
#       Removes the device again (the class registration stays).
#   e2e_simctl <command> [options...]
#       Runs simctl.exe (press, fail-next, set-rc, status, wait; see simctl.cpp).
#
# Registry layout written (all values REG_SZ):
#   HKCR\CLSID\{B52AB74D-CAF5-45D0-B75F-6888C21B6AF0}           @ = "Handset Bridge simulated receiver"
#   HKCR\CLSID\{B52AB74D-CAF5-45D0-B75F-6888C21B6AF0}\InprocServer32
#                                       @ = "C:\simreceiver\simreceiver.dll", ThreadingModel = "Both"
#   HKCR\CLSID\{CC7BFB46-F175-11D1-A392-00E0291F3959}\Instance\<name>
#                                       CLSID = "{B52AB74D-...}", FriendlyName = <name>,
#                                       DevicePath = <devicepath>, and the extra Key = Value pairs
# The DLL is copied into the prefix (drive_c\simreceiver), so a rebuild never swaps it under a
# running program.

SIMRECEIVER_CLSID='{B52AB74D-CAF5-45D0-B75F-6888C21B6AF0}'
SIMRECEIVER_CATEGORY='{CC7BFB46-F175-11D1-A392-00E0291F3959}'
SIMRECEIVER_WINDIR='C:\simreceiver'
HB_SIMRECEIVER_DLL=${HB_SIMRECEIVER_DLL:-$HB_WIN64_DIR/tests/e2e/simreceiver/simreceiver.dll}
HB_SIMCTL=${HB_SIMCTL:-$HB_WIN64_DIR/tests/e2e/simreceiver/simctl.exe}
_SIMRECEIVER_SEQ=0

# A string as a .reg file writes it: backslashes and quotes escaped.
_simreceiver_reg_string() {
  local text=${1//\\/\\\\}
  printf '"%s"' "${text//\"/\\\"}"
}

# Imports .reg lines (given without the header) into the prefix. The file is UTF-16 with a BOM,
# which regedit reads whatever the prefix's code page; its name is kept in the log directory.
_simreceiver_import() {
  local file status=0
  _SIMRECEIVER_SEQ=$((_SIMRECEIVER_SEQ + 1))
  file=$E2E_LOGDIR/simreceiver.$_SIMRECEIVER_SEQ.reg
  {
    printf '\xff\xfe'
    printf '%s\r\n' 'Windows Registry Editor Version 5.00' '' "$@" '' | iconv -f UTF-8 -t UTF-16LE
  } >"$file" || return 1
  e2e_run_exe regedit /S "$(e2e_winpath "$file")" || status=$?
  if ((status != 0)); then
    e2e_log "regedit failed ($status) importing $file"
    return 1
  fi
}

# Copies the DLL into the prefix and registers its class; done once per prefix.
_simreceiver_install() {
  local target=$WINEPREFIX/drive_c/simreceiver
  [[ -f $HB_SIMRECEIVER_DLL ]] || {
    e2e_log "missing $HB_SIMRECEIVER_DLL (build the win64 preset)"
    return 1
  }
  if [[ -f $target/simreceiver.dll && -f $target/.registered ]] &&
    cmp -s "$HB_SIMRECEIVER_DLL" "$target/simreceiver.dll"; then
    return 0
  fi
  mkdir -p "$target"
  cp "$HB_SIMRECEIVER_DLL" "$target/simreceiver.dll"
  _simreceiver_import \
    "[HKEY_CLASSES_ROOT\\CLSID\\$SIMRECEIVER_CLSID]" \
    "@=$(_simreceiver_reg_string 'Handset Bridge simulated receiver')" \
    '' \
    "[HKEY_CLASSES_ROOT\\CLSID\\$SIMRECEIVER_CLSID\\InprocServer32]" \
    "@=$(_simreceiver_reg_string "$SIMRECEIVER_WINDIR\\simreceiver.dll")" \
    "\"ThreadingModel\"=$(_simreceiver_reg_string Both)" || return 1
  : >"$target/.registered"
}

# register_receiver <name> <devicepath> [Key=Value ...]
register_receiver() {
  local name=$1 path=$2 pair key value
  local -a lines
  if (($# < 2)) || [[ -z $name || $name == *\\* || $name == *[\]\[]* ]]; then
    e2e_log "register_receiver: usage: register_receiver <name> <devicepath> [Key=Value ...];" \
      "the name must not be empty or hold '\\', '[' or ']'"
    return 2
  fi
  shift 2
  _simreceiver_install || return 1
  # Removed first, so that values of an earlier registration under this name don't linger.
  lines=(
    "[-HKEY_CLASSES_ROOT\\CLSID\\$SIMRECEIVER_CATEGORY\\Instance\\$name]"
    ''
    "[HKEY_CLASSES_ROOT\\CLSID\\$SIMRECEIVER_CATEGORY\\Instance\\$name]"
    "\"CLSID\"=$(_simreceiver_reg_string "$SIMRECEIVER_CLSID")"
    "\"FriendlyName\"=$(_simreceiver_reg_string "$name")"
    "\"DevicePath\"=$(_simreceiver_reg_string "$path")"
  )
  for pair in "$@"; do
    if [[ $pair != ?*=* ]]; then
      e2e_log "register_receiver: '$pair' is not Key=Value"
      return 2
    fi
    key=${pair%%=*}
    value=${pair#*=}
    lines+=("$(_simreceiver_reg_string "$key")=$(_simreceiver_reg_string "$value")")
  done
  _simreceiver_import "${lines[@]}"
}

# unregister_receiver <name>
unregister_receiver() {
  if (($# != 1)) || [[ -z $1 ]]; then
    e2e_log "unregister_receiver: usage: unregister_receiver <name>"
    return 2
  fi
  _simreceiver_import "[-HKEY_CLASSES_ROOT\\CLSID\\$SIMRECEIVER_CATEGORY\\Instance\\$1]"
}

# e2e_simctl <command> [options...]
e2e_simctl() { e2e_run_exe "$HB_SIMCTL" "$@"; }
