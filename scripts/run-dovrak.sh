#!/usr/bin/env bash
# Starts Dovrak, the launcher bar, under Wine on this machine:
#   scripts/run-dovrak.sh [--screenshot]
#
# Installs what is missing (scripts/install-deps.sh), builds dovrak.exe and
# pelnor.exe with their help files into build-run/ (or $DOVRAK_BUILD_DIR),
# installs them in a Wine prefix of the user's own that is kept between runs
# (~/.local/share/kestovar/wineprefix, or $KESTOVAR_WINEPREFIX) as
#   C:\Program Files\Kestovar\Dovrak\dovrak.exe
#   C:\Program Files\Kestovar\Pelnor\pelnor.exe
# and starts the bar on the display. On the first run a small sample
# settings file gives the bar a few buttons, one of them opening the sample
# menu, which a small menu file fills; existing files are never touched.
#
# Without a display (no DISPLAY) the bar runs in a virtual X server; then a
# screenshot is taken once the bar is shown and its path is printed. The bar
# runs until Ctrl-C, which closes it the ordinary way (it saves its settings).
# --screenshot: take the screenshot (on any display) and end the bar.
#
# On the user's own display Wine works with the desktop's window manager; in
# the virtual X server, where none runs, Wine manages its windows itself.

set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${DOVRAK_BUILD_DIR:-$root/build-run}
prefix=${KESTOVAR_WINEPREFIX:-${XDG_DATA_HOME:-$HOME/.local/share}/kestovar/wineprefix}

screenshot_only=0
for arg in "$@"; do
  case "$arg" in
    --screenshot) screenshot_only=1 ;;
    -h|--help) sed -n '2,/^$/{/^#/s/^# \{0,1\}//p}' "$0"; exit 0 ;;
    *) echo "unknown argument: $arg (see --help)" >&2; exit 2 ;;
  esac
done

"$root/scripts/install-deps.sh" build run
echo "building into $build"
mkdir -p "$build"
log="$build/run-dovrak-build.log"
targets=(dovrak)
if grep -qs 'add_executable(pelnor' "$root/src/menu/CMakeLists.txt"; then targets+=(pelnor); fi
# A build folder made before is built on as it is configured (the build
# itself configures again when the CMake files changed); a new one gets the
# programs and help files only, without the tests.
configure() {
  [ -f "$build/CMakeCache.txt" ] ||
    cmake -S "$root" -B "$build" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64-posix.cmake" -DKESTOVAR_TESTS=OFF
}
if ! { configure && cmake --build "$build" --target "${targets[@]}"; } >"$log" 2>&1; then
  tail -n 30 "$log"
  echo "the build failed (whole log: $log)" >&2
  exit 1
fi

mkdir -p "$(dirname "$prefix")"
export KESTOVAR_ROOT=$root KESTOVAR_BUILD=$build KESTOVAR_SCREENSHOT_ONLY=$screenshot_only
export KESTOVAR_HAD_DISPLAY=${DISPLAY:+1}

# Without a display: a virtual X server of this script's own, in a session of
# its own, so that Ctrl-C does not take the display away from the bar while
# it is still closing (and saving).
xvfb_pid=""
session_options=()
stop_xvfb() { [ -n "$xvfb_pid" ] && kill "$xvfb_pid" >/dev/null 2>&1 || true; }
if [ -z "${DISPLAY:-}" ]; then
  fdfile=$(mktemp)
  setsid Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$fdfile" >/dev/null 2>&1 &
  xvfb_pid=$!
  trap stop_xvfb EXIT
  for _ in $(seq 100); do [ -s "$fdfile" ] && break; sleep 0.1; done
  [ -s "$fdfile" ] || { echo "Xvfb did not start" >&2; exit 1; }
  export DISPLAY=":$(head -n1 "$fdfile")"
  rm -f "$fdfile"
  echo "no display: the bar runs in a virtual X server ($DISPLAY)"
  session_options+=(--no-window-manager)
fi

run_bar() {
  set -uo pipefail
  local progfiles appdata_win appdata dovrak_dir pelnor_dir ini shot pid
  progfiles="$WINEPREFIX/drive_c/Program Files/Kestovar"
  dovrak_dir="$progfiles/Dovrak"
  pelnor_dir="$progfiles/Pelnor"
  mkdir -p "$dovrak_dir"
  # Installed as the package ships them, without debugging information
  # (under Wine a start reads the whole image).
  x86_64-w64-mingw32-strip -o "$dovrak_dir/dovrak.exe" "$KESTOVAR_BUILD/src/bar/dovrak.exe"
  if [ -f "$KESTOVAR_BUILD/src/menu/pelnor.exe" ]; then
    mkdir -p "$pelnor_dir"
    x86_64-w64-mingw32-strip -o "$pelnor_dir/pelnor.exe" "$KESTOVAR_BUILD/src/menu/pelnor.exe"
  fi
  # The help files lie beside the programs when they are built.
  [ -f "$KESTOVAR_BUILD/src/bar/dovrak.chm" ] && cp "$KESTOVAR_BUILD/src/bar/dovrak.chm" "$dovrak_dir/"
  [ -f "$KESTOVAR_BUILD/src/menu/pelnor.chm" ] && [ -d "$pelnor_dir" ] && cp "$KESTOVAR_BUILD/src/menu/pelnor.chm" "$pelnor_dir/"

  appdata_win=$(wine cmd /c 'echo %APPDATA%' 2>/dev/null | tr -d '\r')
  appdata=$(winepath -u "$appdata_win" 2>/dev/null)
  ini="$appdata/Kestovar/Dovrak/dovrak.ini"
  if [ -n "$appdata" ] && [ ! -e "$ini" ]; then
    seed_settings "$ini" "$([ -f "$pelnor_dir/pelnor.exe" ] && echo 1)"
    echo "first run: sample buttons written to $ini"
    menu="$appdata/Kestovar/Pelnor/sample.ini"
    if [ -f "$pelnor_dir/pelnor.exe" ] && [ ! -e "$menu" ]; then
      seed_menu "$menu"
      echo "first run: the sample menu written to $menu"
    fi
  fi

  # A session of its own, so that Ctrl-C reaches this script and not the bar.
  (cd "$dovrak_dir" && exec setsid wine dovrak.exe >/dev/null 2>&1) &
  pid=$!
  for _ in $(seq 300); do
    xwininfo -root -tree 2>/dev/null | grep -q '"Dovrak"' && break
    kill -0 "$pid" 2>/dev/null || { echo "dovrak.exe ended at once (is another bar running?)"; return 1; }
    sleep 0.1
  done
  echo "Dovrak runs on display $DISPLAY (C:\\Program Files\\Kestovar\\Dovrak\\dovrak.exe)"

  if [ -z "${KESTOVAR_HAD_DISPLAY:-}" ] || [ "$KESTOVAR_SCREENSHOT_ONLY" = 1 ]; then
    sleep 1  # the first paint
    shot="$KESTOVAR_BUILD/dovrak-screenshot.png"
    import -window root "$shot" && echo "screenshot: $shot"
  fi
  if [ "$KESTOVAR_SCREENSHOT_ONLY" = 1 ]; then
    close_bar "$pid"
    return 0
  fi
  echo "press Ctrl-C to end the bar"
  trap 'close_bar "$pid"; exit 0' INT TERM
  while kill -0 "$pid" 2>/dev/null; do wait "$pid" 2>/dev/null || true; done
  echo "the bar has ended"
}

# Asks the bar to close as the user would; it saves its settings on the way.
close_bar() {
  echo "closing the bar"
  wine taskkill /im dovrak.exe >/dev/null 2>&1 || true
  for _ in $(seq 100); do kill -0 "$1" 2>/dev/null || return 0; sleep 0.1; done
  kill "$1" 2>/dev/null || true
}

# hex, write_settings, ...
source "$root/scripts/settings-files.sh"

# The sample settings file: one record line per button, the target
# (field 1) hex-coded.
seed_settings() {
  local ini=$1 with_pelnor=$2 n=0
  lines=()
  button() {  # target [flags caption]
    n=$((n + 1))
    local line="B$n=\\1$(hex "$1")"
    [ -n "${2:-}" ] && line+="\\4$2"
    [ -n "${3:-}" ] && line+="\\5$3"
    lines+=("$line")
  }
  button 'C:\windows\notepad.exe'
  button 'C:\'
  button 'C:\windows\system32\winecfg.exe'
  button 'C:\windows\regedit.exe'
  button 'C:\windows\notepad.exe' 00001 'Notepad'
  [ -n "$with_pelnor" ] && button 'C:\Program Files\Kestovar\Pelnor\pelnor.exe sample'
  write_settings "$ini" "Dovrak=0.06" "${lines[@]}"
}

# The sample menu, as the menu program writes its file: one item per line,
# its title (field 1) and target (field 2) hex-coded, then the look of the
# menu (the menu program's defaults).
seed_menu() {
  local n=0
  lines=()
  item() { lines+=("B$n=\\1$(hex "$1")\\2$(hex "$2")"); n=$((n + 1)); }
  item 'Notepad' 'C:\windows\notepad.exe'
  item 'C:\' 'C:\'
  item 'Wine configuration' 'C:\windows\system32\winecfg.exe'
  item 'Registry Editor' 'C:\windows\regedit.exe'
  write_settings "$1" "Pelnor=0.02" "${lines[@]}" ColorMode=3 ButtonColor=14215660 TextColor=0 \
    FontName=Tahoma FontSize=9 ButtonWidth=150
}

export -f run_bar close_bar hex write_settings seed_settings seed_menu
# Ctrl-C is handled inside the session (the bar is closed the ordinary way);
# this script only waits for that to finish.
trap true INT TERM
"$root/scripts/wine-session.sh" "$prefix" "${session_options[@]}" -- bash -c run_bar
