#!/usr/bin/env bash
# Runs a command inside a Wine session of its own:
#   scripts/wine-session.sh PREFIX_DIR [--fresh] [--virtual-display]
#                           [--no-window-manager] -- command args...
# Makes (or with --fresh remakes) the Wine prefix, starts wineserver
# persistent with its output detached, runs the command, and shuts
# everything down again, also on failure or signal. Ends with the command's
# status; interrupted before the command, with 130.
#
# The display: a virtual X server (Xvfb) of the session's own when there is
# no DISPLAY, or always with --virtual-display; otherwise the display given.
# On a virtual display of its own, or with --no-window-manager (the caller's
# own virtual display), no window manager runs, and Wine is told to manage
# its windows itself; on any other display Wine keeps its default and works
# with the desktop's window manager (this is set at every start, so that a
# prefix used both ways follows the display of each session).
set -uo pipefail
prefix=$1; shift
fresh=0 own_display=0 no_wm=0
while [ $# -gt 0 ]; do
  case "$1" in
    --fresh) fresh=1 ;;
    --virtual-display) own_display=1 ;;
    --no-window-manager) no_wm=1 ;;
    --) shift; break ;;
    *) break ;;
  esac
  shift
done

export WINEPREFIX=$prefix
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES="mscoree,mshtml="
xvfb_pid=""
interrupted=0

cleanup() {
  wineserver -k >/dev/null 2>&1 || true
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" >/dev/null 2>&1 || true
}
trap cleanup EXIT
# The command handles its own interruption (the start command closes the bar
# the ordinary way); its status is the session's.
trap 'interrupted=1' INT TERM
stop_if_interrupted() { [ $interrupted -eq 0 ] || exit 130; }

if [ -z "${DISPLAY:-}" ] || [ $own_display -eq 1 ]; then
  fdfile=$(mktemp)
  Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$fdfile" >/dev/null 2>&1 &
  xvfb_pid=$!
  for _ in $(seq 100); do [ -s "$fdfile" ] && break; sleep 0.1; done
  [ -s "$fdfile" ] || { echo "Xvfb did not start" >&2; exit 1; }
  export DISPLAY=":$(head -n1 "$fdfile")"
  rm -f "$fdfile"
  no_wm=1
  echo "display $DISPLAY (Xvfb)"
fi
stop_if_interrupted

if [ $fresh -eq 1 ]; then rm -rf "$prefix"; fi
new=0
[ -f "$prefix/system.reg" ] || new=1
mkdir -p "$prefix"
# wineserver and Wine's services must not inherit our output pipes, nor
# stay in our process group: Ctrl-C in the terminal would end Wine's
# desktop process (explorer.exe) under the running programs.
setsid -w sh -c 'wineserver -p; wineboot -i' >/dev/null 2>&1 </dev/null
stop_if_interrupted
# The prefix's settings, in one registry import.
settings=$(mktemp --suffix=.reg)
{
  echo REGEDIT4
  if [ $new -eq 1 ]; then
    # Crashes end the program instead of waiting in a debugger.
    printf '\n[HKEY_CURRENT_USER\\Software\\Wine\\WineDbg]\n"ShowCrashDialog"=dword:00000000\n'
    printf '\n[HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows NT\\CurrentVersion\\AeDebug]\n'
    printf '"Auto"="1"\n"Debugger"="false"\n'
    # Windows' Japanese UI fonts, mapped to the installed IPA fonts.
    printf '\n[HKEY_CURRENT_USER\\Software\\Wine\\Fonts\\Replacements]\n'
    printf '"MS UI Gothic"="IPAPGothic"\n"MS Gothic"="IPAGothic"\n"MS PGothic"="IPAPGothic"\n'
  fi
  # Wine's own fonts (Tahoma, Marlett, MS Sans Serif, ...), from the package
  # fonts-wine: Debian's Wine does not look for them by itself.
  printf '\n[HKEY_CURRENT_USER\\Software\\Wine\\Fonts]\n"Path"="Z:\\\\usr\\\\share\\\\wine\\\\fonts"\n'
  # Wine links Tahoma to a Japanese font for the characters it lacks, but not
  # Tahoma's bold face, in which Wine draws the title bars it draws itself:
  # "ipagp.ttf,IPAPGothic", as a multi-string of ANSI bytes.
  printf '\n[HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows NT\\CurrentVersion\\FontLink\\SystemLink]\n'
  printf '"Tahoma Bold"=hex(7):%s00,00\n' "$(printf 'ipagp.ttf,IPAPGothic' | od -An -tx1 -v | tr -s ' \n' ',' | sed 's/^,//')"
  printf '\n[HKEY_CURRENT_USER\\Software\\Wine\\X11 Driver]\n'
  if [ $no_wm -eq 1 ]; then
    # Without a window manager, hiding or destroying a managed window makes
    # Wine wait for one (about 2 s); unmanaged windows hide at once.
    printf '"Managed"="N"\n'
  else
    # The desktop's window manager keeps top-most windows above the others
    # and frames the programs' windows: Wine's default.
    printf '"Managed"=-\n'
  fi
} > "$settings"
wine regedit /S "$(winepath -w "$settings")" >/dev/null 2>&1 </dev/null
rm -f "$settings"
stop_if_interrupted

"$@"
