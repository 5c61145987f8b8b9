#!/usr/bin/env bash
# Runs a Windows program (or a test script that drives one) under Wine, in a
# session of its own: a private copy of the project's Wine prefix and a private
# Xvfb display, both made at the start and removed at the end, so that runs
# can overlap without touching each other.
#
#   wine-run.sh [--prefix DIR] [--display] [--] program.exe [arguments...]
#   wine-run.sh [--prefix DIR] [--display] --shell [--] command [arguments...]
#
# --prefix DIR  use DIR as the session's prefix and keep it afterwards (it is
#               made from the base prefix when missing), e.g. to look at the
#               files a program wrote under drive_c.
# --display     show the session on the display in $DISPLAY (the user's
#               screen) instead of a private Xvfb.
# --shell       run a Linux command inside the session instead of an exe; it
#               finds WINEPREFIX, DISPLAY, WINE_RUN_PROBE and WINE_RUN in its
#               environment and may start several Windows programs.
#
# Environment:
#   WINE_RUN_HOME   where the base prefix and helpers live (default: build/wine
#                   beside this script's repository); the build puts
#                   winprobe.exe there.
#   WINEDEBUG       passed on; default -all.
#   WINE_RUN_EXIT_FILE  if set, receives the program's full exit code.
#   WINE_RUN_SCREEN  the display's size and depth (default 1280x1024x24).
#
# Exit codes: Windows exit codes are 32-bit, a shell status has 8 bits. The
# full code is printed as "wine-run: exit code N" on stderr (and written to
# WINE_RUN_EXIT_FILE); the status is its low byte, e.g. -1 -> 255, -34 -> 222,
# -13 -> 243, except that a non-zero code whose low byte is 0 (256, -256)
# gives 1, so a failure never reads as success. A program ended by a signal
# (Wine itself reports exit code 0 for it) is reported as "wine-run: killed by
# signal N" and counts as the code 128 + N (137 for SIGKILL). With --shell the
# status is the command's own.
set -euo pipefail

here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
home=${WINE_RUN_HOME:-$here/../build/wine}
mkdir -p "$home"
home=$(cd "$home" && pwd)
base=$home/base-prefix

prefix=""
keep_prefix=0
shell_mode=0
own_display=0
while (($#)); do
  case $1 in
    --prefix) prefix=$2; keep_prefix=1; shift 2 ;;
    --shell) shell_mode=1; shift ;;
    --display) own_display=1; shift ;;
    --) shift; break ;;
    *) break ;;
  esac
done
(($#)) || { echo "usage: wine-run.sh [--prefix DIR] [--display] [--shell] [--] program [arguments...]" >&2; exit 2; }

export WINEARCH=win32
export WINEDEBUG=${WINEDEBUG:--all}
# Never offer to download Mono or Gecko: nothing here needs them.
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree=;mshtml=}

make_base_prefix() {
  # Made once per build tree, after the fonts are installed, without a
  # display. The lock keeps parallel first runs from building it twice.
  exec 9>"$home/base-prefix.lock"
  flock 9
  if [[ ! -f $base/.ready ]]; then
    rm -rf "$base"
    (
      export WINEPREFIX=$base
      unset DISPLAY
      wineboot -i >/dev/null 2>&1
      # DirectWrite has no fallback under Wine: "Arial" would draw nothing.
      wine reg add 'HKCU\Software\Wine\Fonts\Replacements' /v Arial /t REG_SZ /d 'Liberation Sans' /f >/dev/null 2>&1
      # Without a window manager, a managed window blocks 2 s at every hide.
      wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f >/dev/null 2>&1
      wineserver -w
    )
    touch "$base/.ready"
  fi
  flock -u 9
  exec 9>&-
}

copy_prefix() {
  # Hard links make the copy instant; Wine rewrites its registry files by
  # renaming new ones into place, and the copy gets its own anyway.
  local target=$1
  mkdir -p "$(dirname "$target")"
  cp -al "$base" "$target"
  local reg
  for reg in "$base"/*.reg; do cp --remove-destination "$reg" "$target/"; done
  rm -f "$target/.ready"
}

make_base_prefix
if [[ -z $prefix ]]; then
  mkdir -p "$home/sessions"
  prefix=$(mktemp -d "$home/sessions/prefix.XXXXXX")
  rmdir "$prefix"
fi
[[ -d $prefix ]] || copy_prefix "$prefix"
export WINEPREFIX=$(cd "$prefix" && pwd)

display_file=$(mktemp "$home/sessions/display.XXXXXX" 2>/dev/null || mktemp)
xvfb_pid=""
cleanup() {
  local status=$?
  WINEPREFIX=$WINEPREFIX wineserver -k >/dev/null 2>&1 || true
  [[ -n $xvfb_pid ]] && kill "$xvfb_pid" 2>/dev/null && wait "$xvfb_pid" 2>/dev/null || true
  rm -f "$display_file"
  ((keep_prefix)) || rm -rf "$WINEPREFIX"
  return $status
}
trap cleanup EXIT

if ((own_display)); then
  [[ -n ${DISPLAY:-} ]] || { echo "wine-run: --display without a DISPLAY" >&2; exit 125; }
else
  # Xvfb picks a free display number itself and reports it on the descriptor.
  Xvfb -displayfd 3 -screen 0 "${WINE_RUN_SCREEN:-1280x1024x24}" -nolisten tcp 3>"$display_file" >/dev/null 2>&1 &
  xvfb_pid=$!
  for _ in $(seq 100); do
    [[ -s $display_file ]] && break
    kill -0 "$xvfb_pid" 2>/dev/null || { echo "wine-run: Xvfb did not start" >&2; exit 125; }
    sleep 0.05
  done
  [[ -s $display_file ]] || { echo "wine-run: Xvfb gave no display" >&2; exit 125; }
  export DISPLAY=:$(head -n 1 "$display_file")
fi
export WINE_RUN="$here/wine-run.sh"
export WINE_RUN_PROBE="$home/winprobe.exe"

if ((shell_mode)); then
  set +e
  "$@"
  exit $?
fi

# Wine reads Z: as the Linux root; the program's own path is given that way.
program=$1
shift
[[ -f $program ]] && program="Z:$(realpath "$program" | tr '/' '\\')"
# The name Wine gives the program's Linux process.
program_name=${program##*[/\\]}
[[ $program_name == *.* ]] || program_name+=.exe

set +e
if [[ -f $WINE_RUN_PROBE ]]; then
  # The probe starts the program, waits for it and writes its full 32-bit code;
  # the watch reports a signal that ended the program's Linux process.
  code_file=$(mktemp)
  signal_file=$(mktemp)
  /usr/bin/python3 "$here/wine-signal-watch.py" "$program_name" "$signal_file" \
    wine "$WINE_RUN_PROBE" run "Z:$(tr '/' '\\' <<<"$code_file")" "$program" "$@"
  code=$(tr -d "\r\n" <"$code_file")
  signal=$(tr -d "\r\n" <"$signal_file")
  rm -f "$code_file" "$signal_file"
  if [[ -n $signal ]]; then
    echo "wine-run: killed by signal $signal" >&2
    code=$((128 + signal))
  fi
  [[ -n $code ]] || { echo "wine-run: the program's exit code was not reported" >&2; exit 125; }
else
  wine "$program" "$@"
  code=$?
fi
set -e

echo "wine-run: exit code $code" >&2
[[ -n ${WINE_RUN_EXIT_FILE:-} ]] && echo "$code" >"$WINE_RUN_EXIT_FILE"
status=$((code & 0xFF))
((code != 0 && status == 0)) && status=1
exit $status
