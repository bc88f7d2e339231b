#!/usr/bin/env bash
# Takes the screenshots of the documentation (docs/screenshots/) from the
# desktop program with the sample project open, on a virtual display of its
# own, so that anyone can take them again after a change:
#
#   cmake --build build --target vandro vandro-shots && scripts/screenshots.sh
#
# BUILD names another build directory. The shots:
#   main-window.png      the main window, maximised, with the sample open
#   records-menu.png     its Records menu, headed by the sample's templates
#   project-manager.png  the project manager (Project, Project Manager)
#   database-browser.png the database browser (Project, Browse Project Database)
#   object-view-group.png the object view of the group CARDIOLOGY with its
#                        members (Records, View Object, chosen in "Select
#                        Object")
#   record-dialog.png    the record dialog of the template VITALS for the
#                        patient BERG_ANNA (Records, VITALS)
# and, taken by vandro-shots (app/tools/window_shots.cpp), which fills the
# windows through their own lists and buttons where keys would have to go
# through many fields:
#   group-table-view.png the group table view of INPATIENTS at its busiest
#                        record, sorted by Weight, heaviest first (Records,
#                        View Group as Table)
#   statistics.png       the Statistics window over the view's Systolic and
#                        Diastolic columns with a t-Test's result, beside
#                        the histogram of the first (the view's Statistics)
#   regression.png       Weight from Height over the group DISCHARGED: the
#                        regression window beside its scatter plot
#                        (Statistics, Data Mining Tools, Linear Regression)
#   cluster-tree.png     the cluster tree of the same series with its
#                        dendrogram, the root's first branch marked
#                        (Data Mining Tools, Cluster Analysis)
#   compare.png          BERG_ANNA's first state beside her latest one, the
#                        changed rows marked (the object view's Compare...)
#   template-editor.png  "Edit Template" on the sample's template VITALS
#                        (Project, Templates, Edit)
#   import-dialog.png    File, Import, Data on a semicolon-separated file
#                        with a Cyrillic header: the preview, the patient
#                        column as object name and the time column chosen
#   chart.png            the sample's chart TemperatureCurve in its window
#                        (Project, Charts, Open)
#   chart-properties.png "Chart Properties" of that chart at the details of
#                        its series
# While Project Manager is still disabled in a build, its shot is left out
# and the script says so.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD:-$root/build}
vandro=$build/app/vandro
shooter=$build/app/vandro-shots
sample=$build/app/sample/healthmonitor.vdp
shots=$root/docs/screenshots
screen=1440x900

if [ ! -x "$vandro" ] || [ ! -x "$shooter" ] || [ ! -f "$sample" ]; then
  echo "screenshots: $vandro, $shooter or the sample is missing; build first:" >&2
  echo "  cmake --build ${build#"$root"/} --target vandro vandro-shots" >&2
  exit 1
fi
for tool in xvfb-run import xdotool xprop xwininfo openbox; do
  if ! command -v "$tool" >/dev/null; then
    echo "screenshots: $tool is missing; run scripts/install-deps.sh" >&2
    exit 1
  fi
done

# The rest runs inside a virtual display of its own.
if [ -z "${VANDRO_SCREENSHOT_DISPLAY:-}" ]; then
  exec xvfb-run -a -s "-screen 0 ${screen}x24" env VANDRO_SCREENSHOT_DISPLAY=1 "$0" "$@"
fi

# The program gets a settings file, data directory and runtime directory of
# its own (so it neither hands its project over to a Vandro running on the
# user's desktop nor takes one from it) and opens a copy of the sample at a
# short fixed path, which its caption shows; the build's sample stays as the
# build wrote it.
work=${TMPDIR:-/tmp}/vandro-screenshots
rm -rf "$work"
mkdir -p "$work/sample" "$work/config" "$work/data" "$work/runtime" "$shots"
chmod 700 "$work/runtime"
cp "$build/app/sample/healthmonitor.vdp" "$build/app/sample/healthmonitor.vdb" "$work/sample/"
export VANDRO_CONFIG_DIR=$work/config XDG_DATA_HOME=$work/data XDG_CONFIG_HOME=$work/config
export XDG_RUNTIME_DIR=$work/runtime

pids=()
finish() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  wait 2>/dev/null || true
}
trap finish EXIT

# A window manager gives the windows their title bars (the caption names the
# open project) and maximises the main window as a user's desktop would.
cat >"$work/openbox.xml" <<'EOF'
<?xml version="1.0" encoding="UTF-8"?>
<openbox_config xmlns="http://openbox.org/3.4/rc">
  <theme><name>Clearlooks</name></theme>
  <applications>
    <application class="Vandro" type="normal"><maximized>yes</maximized></application>
  </applications>
</openbox_config>
EOF
openbox --config-file "$work/openbox.xml" >"$work/openbox.log" 2>&1 &
pids+=($!)
for _ in $(seq 50); do
  xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' && break
  sleep 0.1
done

"$vandro" "$work/sample/healthmonitor.vdp" >"$work/vandro.log" 2>&1 &
pids+=($!)
if ! main=$(timeout 30 xdotool search --sync --onlyvisible --name '^Vandro: .*healthmonitor'); then
  echo "screenshots: the main window with the sample did not appear; see $work/vandro.log" >&2
  exit 1
fi
main=$(head -n 1 <<<"$main")

# Lets the window settle and paint before a shot.
settle() { sleep "${1:-1.5}"; }

shoot() {
  import -window root "$shots/$1"
  echo "screenshots: docs/screenshots/$1"
}

settle 2
xdotool windowactivate --sync "$main" 2>/dev/null || true
settle
shoot main-window.png

xdotool key --window "$main" alt+r
settle
shoot records-menu.png
xdotool key --window "$main" Escape
settle 0.5

# Project, Project Manager: the menu's own keys, as a user would press them.
# A disabled item leaves its menu open, and the menu is a window of its own.
windows() { xdotool search --onlyvisible --class Vandro 2>/dev/null | sort; }
shown=$(windows)
xdotool key --window "$main" alt+p
settle
menu=$(comm -13 <(echo "$shown") <(windows) | head -n 1)
xdotool key m
settle 2
if [ -z "$menu" ]; then
  echo "screenshots: the Project menu did not open; project-manager.png not taken" >&2
  exit 1
elif xwininfo -id "$menu" 2>/dev/null | grep -q IsViewable; then
  xdotool key Escape
  rm -f "$shots/project-manager.png"
  echo "screenshots: Project Manager is still disabled in this build; project-manager.png not taken"
else
  # The manager is a window inside the main one and has the keyboard: Tab
  # reaches its page tabs, Right turns to Explore, Tab again reaches the
  # tree and "*" opens every branch.
  for key in Tab Right Tab Home asterisk; do
    xdotool key "$key"
    settle 0.4
  done
  settle
  shoot project-manager.png
fi

# Project, Browse Project Database: a dialog of its own over the main window.
xdotool key --window "$main" alt+p
settle 0.5
xdotool key b
settle 2
browser=$(xdotool search --onlyvisible --name '^Browse Database' 2>/dev/null | head -n 1 || true)
if [ -z "$browser" ]; then
  echo "screenshots: Browse Database did not open; database-browser.png not taken" >&2
  exit 1
fi
# The objects have the keyboard: Down selects the first, whose first state
# shows its values.
xdotool key --window "$browser" Down
settle
shoot database-browser.png
xdotool key Escape
settle

# Records, View Object: "Select Object" (captioned as the command), the ward
# CARDIOLOGY chosen in it, then its view, a window of the same caption.
xdotool key --window "$main" alt+r
settle 0.5
xdotool key v
settle 2
picker=$(xdotool search --onlyvisible --name '^View Object' 2>/dev/null | head -n 1 || true)
if [ -z "$picker" ]; then
  echo "screenshots: Select Object did not open; object-view-group.png not taken" >&2
  exit 1
fi
# The page tabs have the keyboard; Tab reaches the object list, sorted by
# name: Down marks its first row, BERG_ANNA, Down again CARDIOLOGY; Return
# is OK.
xdotool key Tab
settle 0.5
xdotool key Down Down
settle 0.5
xdotool key Return
settle 2
view=$(xdotool search --onlyvisible --name '^View Object' 2>/dev/null | grep -vx "$picker" | head -n 1 || true)
if [ -z "$view" ]; then
  echo "screenshots: the object view did not open; object-view-group.png not taken" >&2
  exit 1
fi
shoot object-view-group.png
xdotool key Escape
settle

# Records, VITALS: the template's record dialog for an existing patient.
# Opened by the keyboard, the menu marks its first item, ADMISSION; VITALS
# is the third.
xdotool key --window "$main" alt+r
settle 0.5
xdotool key Down Down Return
settle 2
picker=$(xdotool search --onlyvisible --name '^Select Object' 2>/dev/null | head -n 1 || true)
if [ -z "$picker" ]; then
  echo "screenshots: Select Object did not open for VITALS; record-dialog.png not taken" >&2
  exit 1
fi
# As above, Tab and Down mark BERG_ANNA; OK turns to her states, with the
# one current now marked, and OK again opens the dialog.
xdotool key Tab
settle 0.5
xdotool key Down Return
settle 1
xdotool key Return
settle 2
# The dialog is a window inside the main one, not one of its own.
if xdotool search --onlyvisible --name '^Select Object' >/dev/null 2>&1; then
  echo "screenshots: Select Object stayed open; record-dialog.png not taken" >&2
  exit 1
fi
shoot record-dialog.png
xdotool key Escape
settle

# The windows vandro-shots fills, on a copy of the sample of their own (the
# program above still holds its copy open).
mkdir -p "$work/shots-sample"
cp "$build/app/sample/healthmonitor.vdp" "$build/app/sample/healthmonitor.vdb" "$work/shots-sample/"
if ! "$shooter" "$work/shots-sample/healthmonitor.vdp" "$shots" >"$work/shots.log" 2>&1; then
  cat "$work/shots.log" >&2
  echo "screenshots: vandro-shots failed; see the messages above" >&2
  exit 1
fi
sed "s|^$shots/|screenshots: docs/screenshots/|" "$work/shots.log"
