#!/usr/bin/env bash
# The start command (scripts/run-dovrak.sh) as a new user meets it, run on
# the programs of this build in a Wine prefix of the test's own:
#   start_command_test.sh SOURCE_DIR BUILD_DIR
#
# 1. Without a display (--screenshot): the first run writes the sample bar
#    and the sample menu, runs Wine without window-manager integration, and
#    ends with success after the bar has saved its settings.
# 2. On a display with a real window manager (openbox on a virtual X server
#    of the test's own): the script gives Wine back its default, Wine finds
#    its own fonts, the script writes a new sample bar but keeps the user's
#    own sample menu, whose menu a click on the bar's menu button opens;
#    Ctrl-C closes the bar and the script ends with success.
# 3. On that display again: a program that the bar starts, whose window
#    lies over the bar's place, does not cover the top-most bar.
# Screenshots go to BUILD_DIR/screenshots (start_*.png).
set -uo pipefail
root=$1
build=$2
work=$build/tests/start/work
shots=$build/screenshots
rm -rf "$work"
mkdir -p "$work" "$shots"
prefix=$work/prefix
export KESTOVAR_WINEPREFIX=$prefix DOVRAK_BUILD_DIR=$build
unset WINEPREFIX
xvfb_pid="" wm_pid="" run_pgid=""

cleanup() {
  [ -n "$run_pgid" ] && kill -KILL -- "-$run_pgid" >/dev/null 2>&1
  WINEPREFIX=$prefix wineserver -k >/dev/null 2>&1
  [ -n "$wm_pid" ] && kill "$wm_pid" >/dev/null 2>&1
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" >/dev/null 2>&1
}
trap cleanup EXIT

failures=0
fail() { echo "FAILED: $*"; failures=$((failures + 1)); }
stop() { echo "FAILED: $*"; echo "== the script's output"; cat "$work"/run*.log 2>/dev/null; exit 1; }
check() {  # description command...
  local what=$1; shift
  if "$@"; then echo "ok: $what"; else fail "$what"; fi
}

# Polls a command every 0.1 s until it succeeds or the seconds have passed.
wait_for() {  # seconds command...
  local tries=$(($1 * 10)); shift
  for _ in $(seq "$tries"); do "$@" && return 0; sleep 0.1; done
  return 1
}

# hex, unhex, write_settings, settings_lines
source "$root/scripts/settings-files.sh"

# The value of Wine's X11 driver setting "Managed" in the prefix, or
# "default": read from the registry file after a session, from the running
# session while there is one.
managed_setting() {
  local value
  if [ -n "$run_pgid" ]; then
    value=$(WINEPREFIX=$prefix WINEDEBUG=-all wine reg query 'HKCU\Software\Wine\X11 Driver' /v Managed 2>/dev/null |
            tr -d '\r' | awk '$1 == "Managed" { printf "\"Managed\"=\"%s\"", $3 }')
  else
    value=$(awk '/^\[Software\\\\Wine\\\\X11 Driver\]/ {s=1; next} /^\[/ {s=0} s && /^"Managed"=/ {print}' \
            "$prefix/user.reg" 2>/dev/null)
  fi
  echo "${value:-default}"
}

# Starts the script as a terminal's shell would: in a process group of its
# own, with Ctrl-C not ignored (job control; without it a background job
# ignores SIGINT), its output in the given log and its exit status written
# to run_status_file.
start_script() {  # log args...
  local log=$1; shift
  run_status_file=$work/status.$RANDOM
  set -m
  bash -c 'bash "$@"; echo $? > "'"$run_status_file"'"' run "$root/scripts/run-dovrak.sh" "$@" >"$log" 2>&1 &
  run_pgid=$!
  set +m
}
# Ctrl-C as a terminal sends it: to the script's whole process group. Sets
# status to the script's exit status (124 when it did not end in time).
interrupt_script() {
  kill -INT -- "-$run_pgid" 2>/dev/null
  status=124
  wait_for 60 test -s "$run_status_file" && status=$(cat "$run_status_file")
  run_pgid=""
}

# The geometry "W H X Y" of the first X window named NAME, or nothing.
window_geometry() {
  xwininfo -root -tree 2>/dev/null |
    awk -v name="\"$1\":" '$2 == name { split($(NF-1), a, /[x+]/); split($NF, b, /\+/); print a[1], a[2], b[2], b[3]; exit }'
}
window_id() { xwininfo -root -tree 2>/dev/null | awk -v name="\"$1\":" '$2 == name { print $1; exit }'; }
window_shown() {
  local id
  id=$(window_id "$1")
  [ -n "$id" ] && xwininfo -id "$id" 2>/dev/null | grep -q 'IsViewable'
}

# The colour of one screen pixel as "r,g,b" (0 to 255 each).
pixel() {  # x y
  import -window root -crop "1x1+$1+$2" -depth 8 txt:- 2>/dev/null |
    sed -n 's/.*(\([0-9]*\),\([0-9]*\),\([0-9]*\).*/\1,\2,\3/p' | head -n1
}
crop() { import -window root -crop "$1" +repage "$2" 2>/dev/null; }  # geometry file
same_picture() { [ "$(compare -metric AE "$1" "$2" null: 2>&1)" = 0 ]; }

appdata() { ls -d "$prefix"/drive_c/users/*/AppData/Roaming 2>/dev/null | grep -v /Public/ | head -n1; }

# --- 1. without a display ---------------------------------------------------
echo "== the first run, without a display (--screenshot)"
env -u DISPLAY timeout 300 bash "$root/scripts/run-dovrak.sh" --screenshot >"$work/run1.log" 2>&1
status=$?
[ $status -eq 0 ] || stop "the first run ended with status $status"
echo "ok: the first run ended with status 0"
roaming=$(appdata)
[ -n "$roaming" ] || stop "no application-data folder in the prefix"
bar_ini=$roaming/Kestovar/Dovrak/dovrak.ini
menu_ini=$roaming/Kestovar/Pelnor/sample.ini
check "a screenshot of the bar was taken" test -s "$build/dovrak-screenshot.png"
cp "$build/dovrak-screenshot.png" "$shots/start_first_run.png" 2>/dev/null
check "Wine manages its windows itself on the virtual display" test "$(managed_setting)" = '"Managed"="N"'
# The bar wrote its file back at its close: the sample holds no "Top" key.
check "the bar saved its settings at its close" grep -q '^Top=' <(settings_lines "$bar_ini")
check "the sample bar has a button that opens the menu named sample" \
  grep -q "$(hex 'C:\Program Files\Kestovar\Pelnor\pelnor.exe sample')" <(settings_lines "$bar_ini")

mapfile -t menu < <(settings_lines "$menu_ini")
expected_keys="Pelnor B0 B1 B2 B3 ColorMode ButtonColor TextColor FontName FontSize ButtonWidth"
check "the sample menu file has the menu's keys in the menu's order" \
  test "$(printf '%s\n' "${menu[@]}" | cut -d= -f1 | tr '\n' ' ')" = "$expected_keys "
check "the sample menu file starts with the menu's version" test "${menu[0]:-}" = "Pelnor=0.02"
items=""
for line in "${menu[@]:1:4}"; do
  # \1 hex-coded title, \2 hex-coded target
  record=${line#*=}
  title=${record#\\1}; title=${title%%\\2*}
  target=${record##*\\2}
  items+="$(unhex "$title") -> $(unhex "$target");"
done
check "the sample menu holds Notepad, the C: folder, winecfg and regedit" test "$items" = \
  'Notepad -> C:\windows\notepad.exe;C:\ -> C:\;Wine configuration -> C:\windows\system32\winecfg.exe;Registry Editor -> C:\windows\regedit.exe;'

# --- a display with a window manager ----------------------------------------
fdfile=$work/display
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$fdfile" >/dev/null 2>&1 &
xvfb_pid=$!
wait_for 10 test -s "$fdfile" || stop "Xvfb did not start"
export DISPLAY=":$(head -n1 "$fdfile")"
openbox >/dev/null 2>&1 &
wm_pid=$!
wait_for 20 bash -c 'xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q "window id"' ||
  stop "openbox does not manage the display $DISPLAY"
echo "== display $DISPLAY with openbox"

# --- 2. the user's display: settings kept, the menu opens -------------------
echo "== a first run on the user's display, with a menu named sample of the user's own"
rm -f "$bar_ini"
write_settings "$menu_ini" "B0=\\1$(hex 'My own item')\\2$(hex 'C:\windows\notepad.exe')" "ButtonWidth=222"
start_script "$work/run2.log"
wait_for 120 window_shown Dovrak || stop "the bar did not show"
check "Wine's default window management on a display with a window manager" test "$(managed_setting)" = default
faces=$(WINEPREFIX=$prefix WINEDEBUG=-all wine "$build/tests/helpers/fontfaces.exe" Tahoma Marlett 2>/dev/null | tr -d '\r' | tr '\n' ' ')
check "Wine's own fonts are there: Tahoma and Marlett ($faces)" test "$faces" = "Tahoma=Tahoma Marlett=Marlett "
check "the script wrote a new sample bar" test -s "$bar_ini"
check "the user's own menu file was kept" grep -q "ButtonWidth=222" <(settings_lines "$menu_ini")

# The menu button is the bar's last button: its middle lies 11 pixels left
# of the bar's right edge, 11 below its top.
read -r bw bh bx by <<<"$(window_geometry Dovrak)"
echo "the bar: ${bw}x${bh} at $bx,$by"
wait_for 10 test "$(pixel $((bx + 2)) $((by + bh / 2)))" = "0,78,152" || fail "the bar's left edge does not show the bar's colour"
xdotool mousemove $((bx + bw - 11)) $((by + bh / 2)) click 1
if wait_for 30 window_shown KMenu; then
  read -r mw mh mx my <<<"$(window_geometry KMenu)"
  echo "the menu: ${mw}x${mh} at $mx,$my"
  check "the menu is the user's own (its width 222)" test "$mw" = 222
  check "the menu opens right under the bar" test "$my" = $((by + bh))
  menu_painted() { test "$(pixel $((mx + mw / 2)) $((my + mh - 1)))" != "0,0,0"; }
  wait_for 10 menu_painted
  crop "$((mx + mw + 50))x$((my + mh + 30))+0+0" "$shots/start_sample_menu.png"
  # A click elsewhere closes the menu, which writes its file back.
  xdotool mousemove 900 700 click 1
  menu_gone() { [ -z "$(window_geometry Pelnor)" ]; }
  wait_for 20 menu_gone || fail "the menu did not close at a click elsewhere"
  check "the menu wrote the user's own menu back" grep -q "ButtonWidth=222" <(settings_lines "$menu_ini")
  check "the menu kept the user's own item" grep -q "^B0=\\\\1$(hex 'My own item')" <(settings_lines "$menu_ini")
else
  fail "no menu opened under the bar's menu button"
fi
interrupt_script
check "Ctrl-C closes the bar and the script ends with status 0 (it ended with $status)" test "$status" = 0
check "the bar saved its settings at the Ctrl-C" grep -q '^Top=' <(settings_lines "$bar_ini")

# --- 3. the bar stays above a program that it starts over its place --------
echo "== a program started by the bar over the bar's place"
helper_path=$build/tests/helpers/winhelper.exe
helper="Z:${helper_path//\//\\}"
# One icon button that starts the helper when the bar starts (flag 2); the
# helper's window, over the whole top left, appears once the test has seen
# the bar alone: when a file appears in the helper's folder, where the bar
# starts it (a parameter holds no path: it would be taken for part of the
# program's).
shown_file=$(dirname "$helper_path")/start-command-test-show
rm -f "$shown_file"
write_settings "$bar_ini" "Dovrak=0.06" \
  "B1=\\1$(hex "$helper --title Cover --show-when start-command-test-show --rect 0,0,1000,300 --exit-after 120000")\\4001" \
  "Top=0" "Left=400"
start_script "$work/run3.log"
wait_for 120 window_shown Dovrak || stop "the bar did not show"
read -r bw bh bx by <<<"$(window_geometry Dovrak)"
wait_for 10 test "$(pixel $((bx + 2)) $((by + bh / 2)))" = "0,78,152" || fail "the bar's left edge does not show the bar's colour"
crop "${bw}x${bh}+$bx+$by" "$work/bar_before.png"
beside_before=$(pixel $((bx + bw + 5)) $((by + bh / 2)))
touch "$shown_file"
if wait_for 30 window_shown Cover; then
  read -r cw ch cx cy <<<"$(window_geometry Cover)"
  echo "the program's window: ${cw}x${ch} at $cx,$cy"
  # The window was asked for at 0,0, 1000 wide: the desktop puts its frame
  # there and the window's client area below the frame's title bar.
  check "the program's window spans the bar's columns" test "$cx" -le "$bx" -a $((cx + cw)) -ge $((bx + bw))
  painted() { test "$(pixel $((bx + bw + 40)) $((cy + 40)))" = "255,255,255"; }
  check "the program's window is drawn on the screen" wait_for 10 painted
  # Beside the bar, where the desktop showed, the program's frame shows now:
  # the program lies over the bar's row.
  beside_after=$(pixel $((bx + bw + 5)) $((by + bh / 2)))
  check "the program's window lies over the bar's row ($beside_before, then $beside_after)" \
    test "$beside_after" != "$beside_before"
  crop "${bw}x${bh}+$bx+$by" "$work/bar_after.png"
  check "the bar is not covered: its pixels are as before" same_picture "$work/bar_before.png" "$work/bar_after.png"
  check "the bar's left edge shows the bar's colour" test "$(pixel $((bx + 2)) $((by + bh / 2)))" = "0,78,152"
  crop "1100x340+0+0" "$shots/start_bar_over_program.png"
else
  fail "the program that the bar starts did not show a window"
fi
interrupt_script
rm -f "$shown_file"
check "the script ends with status 0 after Ctrl-C (it ended with $status)" test "$status" = 0

if [ $failures -gt 0 ]; then
  echo "== $failures checks failed; the script's output:"
  for log in "$work"/run*.log; do echo "-- $log"; cat "$log"; done
  exit 1
fi
echo "all checks passed"
