#!/usr/bin/env bash
# Runs a command inside a Wine session of its own:
#   scripts/wine-session.sh PREFIX_DIR [--fresh] -- command args...
# Starts Xvfb when there is no display, makes (or with --fresh remakes) the
# Wine prefix, starts wineserver persistent with its output detached, runs
# the command, and shuts everything down again, also on failure or signal.
set -uo pipefail
prefix=$1; shift
fresh=0
if [ "${1:-}" = "--fresh" ]; then fresh=1; shift; fi
[ "${1:-}" = "--" ] && shift

export WINEPREFIX=$prefix
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES="mscoree,mshtml="
xvfb_pid=""

cleanup() {
  wineserver -k >/dev/null 2>&1 || true
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" >/dev/null 2>&1 || true
}
trap cleanup EXIT
trap 'exit 130' INT TERM

if [ -z "${DISPLAY:-}" ]; then
  fdfile=$(mktemp)
  Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$fdfile" >/dev/null 2>&1 &
  xvfb_pid=$!
  for _ in $(seq 100); do [ -s "$fdfile" ] && break; sleep 0.1; done
  [ -s "$fdfile" ] || { echo "Xvfb did not start" >&2; exit 1; }
  export DISPLAY=":$(head -n1 "$fdfile")"
  rm -f "$fdfile"
  echo "display $DISPLAY (Xvfb)"
fi

if [ $fresh -eq 1 ]; then rm -rf "$prefix"; fi
new=0
[ -f "$prefix/system.reg" ] || new=1
mkdir -p "$prefix"
# wineserver and Wine's services must not inherit our output pipes.
(wineserver -p; wineboot -i) >/dev/null 2>&1 </dev/null
if [ $new -eq 1 ]; then
  {
    # Crashes end the program instead of waiting in a debugger.
    wine reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f
    wine reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\AeDebug' /v Auto /d 1 /f
    wine reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\AeDebug' /v Debugger /d false /f
    # Without a window manager, hiding or destroying a managed window makes
    # Wine wait for one (about 2 s); unmanaged windows hide at once.
    wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f
    # Windows' Japanese UI font, mapped to the installed IPA font.
    wine reg add 'HKCU\Software\Wine\Fonts\Replacements' /v 'MS UI Gothic' /d 'IPAPGothic' /f
    wine reg add 'HKCU\Software\Wine\Fonts\Replacements' /v 'MS Gothic' /d 'IPAGothic' /f
    wine reg add 'HKCU\Software\Wine\Fonts\Replacements' /v 'MS PGothic' /d 'IPAPGothic' /f
  } >/dev/null 2>&1 </dev/null
fi

"$@"
