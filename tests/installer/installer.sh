#!/usr/bin/env bash
# The setup program that ships (a 32-bit program), silently, in fresh Wine
# prefixes of its own:
#   - 64-bit Windows: a machine-wide install (the 64-bit Vorlan, both widths of
#     Verrick), a per-user install, an upgrade from a 32-bit install of an
#     older version, and the options read across both widths of Vorlan;
#   - 32-bit Windows: a machine-wide install of the 32-bit Vorlan.
# Each install is checked (files, shortcut, the entry in the installed
# programs, Verrick created by the script hosts, Vorlan started from the
# installed place), and each uninstall must leave the registry and the files
# of the prefix as they were before, the user's Vorlan options aside. A
# Vorlan left running is closed by the uninstaller (its options saved); one
# that does not answer stops the uninstaller before it removes anything.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
# The setup program is a 32-bit program: where 32-bit programs cannot run,
# the loader says why and the test is skipped (77).
wine32=$("$root/scripts/wine-loader.sh" 32) || exit $?
wine64=/usr/lib/wine/wine64
for input in "$root/build/bin/Vorlan.exe" "$root/build/bin/Verrick.dll" \
             "$root/build/bin/x64/Vorlan.exe" "$root/build/bin/x64/Verrick.dll"; do
  if [ ! -f "$input" ]; then
    echo "not run: the setup program carries both widths; build both trees ($input is missing)"
    exit 77
  fi
done
. "$here/../checks.sh"
scale=${VORLAN_WAIT_SCALE:-1}

work=$(mktemp -d "$root/build/installer-test.XXXXXX")
export WINEDEBUG=-all VORLAN_TEST_PREFIX=1
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
cleanup() {
  for prefix in "$work"/prefix*; do WINEPREFIX=$prefix wineserver -k 2>/dev/null || true; done
  rm -rf "$work"
}
trap cleanup EXIT
artefacts=$root/build/tests/artefacts
mkdir -p "$artefacts"

version=$(sed -n 's/^#define VORLAN_VERSION_TEXT "\(.*\)"/\1/p' "$root/vorlan/res/version.h")
setup=$work/VorlanSetup.exe
older=$work/VorlanSetup-older.exe
"$root/scripts/make-installer.sh" --out "$setup" >/dev/null
"$root/scripts/make-installer.sh" --out "$older" --version 1.03.0051 --x86-only >/dev/null

to_windows() { printf 'Z:%s' "${1//\//\\}"; }
windows_path() { printf '%s' "${1//\//\\}"; }
uninstall_key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Tollever Vorlan'
options_key='HKCU\Software\Tollever\Vorlan'
clsid='{CBE82211-DD20-43CA-B3AC-41284F562124}'

# use_prefix NAME ARCH: a fresh prefix of that kind (win64 or win32) from here on.
use_prefix() {
  export WINEPREFIX=$work/prefix-$1 WINEARCH=$2
  "$root/scripts/wine-prefix.sh" "$WINEPREFIX"
  drive_c=$WINEPREFIX/drive_c
  user_dir=$(cd "$drive_c/users" && ls -d */ | grep -v -x 'Public/' | head -n 1)
  user_dir=$drive_c/users/${user_dir%/}
  reg=$wine64
  [ "$2" = win64 ] || reg=$wine32
  # Let Wine make its first-run files and keys before the first snapshot: the
  # script hosts register their own type libraries when they first run.
  printf 'WScript.Echo "warm"\r\n' > "$work/warm.vbs"
  "$wine32" cscript //nologo "$(to_windows "$work/warm.vbs")" >/dev/null 2>&1 || true
  [ "$2" = win32 ] || "$wine64" cscript //nologo "$(to_windows "$work/warm.vbs")" >/dev/null 2>&1 || true
  wineserver -w
  # A fresh prefix lacks two keys that a Windows user profile has and that
  # registration and uninstall entries go below; neither setup nor uninstall
  # should create or remove them.
  "$reg" reg add 'HKCU\Software\Classes' /f >/dev/null 2>&1
  "$reg" reg add 'HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall' /f >/dev/null 2>&1
}

# The state of the prefix: every key below Software of both hives in each
# registry view, and every file below drive_c. Left out: Wine's own
# bookkeeping, temporary files, and the user's Vorlan options.
snapshot() {
  local name=$1 key view views=(32 64)
  [ "$WINEARCH" = win64 ] || views=(32)
  for key in 'HKLM\Software' 'HKCU\Software'; do
    for view in "${views[@]}"; do
      local file="$work/$name-${key%%\\*}-$view.reg"
      "$reg" reg export "$key" "$(to_windows "$file.raw")" /y "/reg:$view" >/dev/null 2>&1 ||
        { echo "FAIL: reg export $key ($view-bit view) failed" >&2; exit 1; }
      iconv -f UTF-16LE -t UTF-8 "$file.raw" | tr -d '\r' |
        awk '/^\[/ { skip = ($0 ~ /\\Software\\Tollever(\\|\])/ || $0 ~ /\\Software\\Wine(\\|\])/ ||
                            $0 ~ /\\Explorer\\(RecentDocs|UserAssist|MountPoints2)/ ||
                            $0 ~ /\\Windows NT\\CurrentVersion\\(Fonts|Perflib)/ ||
                            $0 ~ /\\ShellNoRoam|\\Shell\\Bag/) }
             !skip' > "$file"
      rm -f "$file.raw"
    done
  done
  (cd "$drive_c" && find . -path ./windows/temp -prune -o -path './users/*/Temp' -prune -o \
      -path './users/*/AppData/Local/Temp' -prune -o -path ./windows/Installer -prune -o \
      -path './windows/logs' -prune -o -type f -print | LC_ALL=C sort) > "$work/$name-files"
}

same_as() {  # before after what
  local part
  for part in "$work/$1"-*.reg "$work/$1-files"; do
    local after=${part/"$work/$1-"/"$work/$2-"}
    if ! cmp -s "$part" "$after"; then
      { diff "$part" "$after" || true; } | head -n 20 >&2
    fi
    expect "$3: $(basename "$after") as before the install" "$(cmp -s "$part" "$after" && echo same)" same
  done
}

reg_value() {  # key value view
  "$reg" reg query "$1" /v "$2" "/reg:$3" 2>/dev/null | tr -d '\r' |
    awk -F '    ' -v name="$2" '$2 == name { print $4 }' | head -n 1
}

run_setup() {  # expected-exit program args...
  local expected=$1 status=0
  shift
  "$wine32" "$@" || status=$?
  # The uninstaller runs a copy of itself from the temporary folder and
  # returns at once (its own status is always 0): wait for everything in
  # the prefix to end (a Vorlan it failed to close would keep it waiting).
  if ! timeout $((300 * scale)) wineserver -w; then
    echo "FAIL: $(basename "$1") ${*:2}: the prefix's programs did not end" >&2
    exit 1
  fi
  expect "exit status of $(basename "$1") ${*:2}" "$status" "$expected"
}

# A script host of the given width creates the library's main object.
creates_tlvmain() {  # width what
  local host=$wine32
  [ "$1" = 64 ] && host=$wine64
  printf 'Set o = CreateObject("Velmora.tlvMain")\r\nWScript.Echo "created " & TypeName(o)\r\n' > "$work/create.vbs"
  expect "$2: the $1-bit script host creates Velmora.tlvMain" \
    "$("$host" cscript //nologo "$(to_windows "$work/create.vbs")" 2>&1 | tr -d '\r' || true)" "created tlvMain"
}

machine_of() { file -b "$1" | sed -n 's/.*\(x86-64\|Intel 80386\).*/\1/p'; }

# Starts a Vorlan.exe and waits for its window; sets vorlan (the loader's
# process, which ends with Vorlan), id (the window) and pid (Vorlan's own
# process: the loader of one width starts a program of the other as a process
# of its own).
start_vorlan() {  # exe
  "$wine32" "$1" &
  vorlan=$! id=
  local i
  for ((i = 0; i < 150 * scale; i++)); do
    id=$(xdotool search --name '^Vorlan ::' 2>/dev/null | head -n 1) && [ -n "$id" ] && break
    sleep 0.2
  done
  [ -n "$id" ] || { echo "FAIL: $1 showed no window" >&2; exit 1; }
  pid=$(xdotool getwindowpid "$id")
  sleep 1
}

# Presses keys in Vorlan's window through the X server's input queue, as a
# person would; on a loaded machine the window may not have the focus yet.
press() {  # keys...
  xdotool windowfocus --sync "$id" 2>/dev/null || true
  xdotool key --delay 100 "$@"
}

caption() { xdotool getwindowname "$id" 2>/dev/null || true; }

wait_caption() {  # text: until the caption is that text (or the time is up)
  local i
  for ((i = 0; i < 50 * scale; i++)); do [ "$(caption)" = "$1" ] && break; sleep 0.2; done
  caption
}

ended() {  # seconds: whether the started Vorlan ends within them
  local i
  for ((i = 0; i < $1 * 5 * scale; i++)); do kill -0 "$vorlan" 2>/dev/null || { echo ended; return; }; sleep 0.2; done
  echo running
}

# Vorlan starts from where it was installed, of the system's width, and shows
# a window with its bars; Esc closes it.
starts_vorlan() {  # folder what width
  expect "$2: Vorlan.exe's machine" "$(machine_of "$1/Vorlan.exe")" "$([ "$3" = 64 ] && echo x86-64 || echo 'Intel 80386')"
  start_vorlan "$1/Vorlan.exe"
  import -window "$id" "$artefacts/installed-vorlan-$2.png" 2>/dev/null || true
  # One row per qualifying drive of the test prefix (C:, E:) makes the
  # window taller than an empty one.
  local height
  height=$(xdotool getwindowgeometry "$id" | awk '/Geometry/ { split($2, s, "x"); print s[2] }')
  expect "$2: Vorlan's window has its bars" "$([ "${height:-0}" -ge 60 ] && echo yes)" yes
  press Escape
  expect "$2: Vorlan closes on Esc" "$(ended 30)" ended
  wineserver -w
}

installed_files() {  # folder what width
  local file files=(Vorlan.exe ReadMe.txt Verrick.dll Uninstall.exe)
  [ "$3" = 64 ] && files+=(x64/Verrick.dll)
  for file in "${files[@]}"; do
    expect "$2: $file installed" "$([ -f "$1/$file" ] && echo yes)" yes
  done
  expect "$2: x64 folder only on 64-bit Windows" "$([ -d "$1/x64" ] && echo 64 || echo 32)" "$3"
  expect "$2: Vorlan.exe without debug information" \
    "$(x86_64-w64-mingw32-objdump -h "$1/Vorlan.exe" 2>/dev/null | grep -c '\.debug_info' || true)" 0
}

# ==== 64-bit Windows =========================================================
use_prefix win64 win64
snapshot clean

# --- machine-wide: the 64-bit Vorlan in the 64-bit program folder -----------------
folder=$drive_c/Program\ Files/Vorlan
run_setup 0 "$setup" /S /AllUsers
installed_files "$folder" machine 64
expect "machine: Start-menu shortcut for all users" \
  "$([ -f "$drive_c/ProgramData/Microsoft/Windows/Start Menu/Programs/Vorlan.lnk" ] && echo yes)" yes
expect "machine: DisplayVersion (64-bit view)" "$(reg_value "$uninstall_key" DisplayVersion 64)" "$version"
expect "machine: no entry in the 32-bit view" "$(reg_value "$uninstall_key" DisplayVersion 32)" ""
expect "machine: Publisher" "$(reg_value "$uninstall_key" Publisher 64)" "Tollever"
expect "machine: QuietUninstallString" "$(reg_value "$uninstall_key" QuietUninstallString 64)" \
  "\"C:\\$(windows_path "${folder#"$drive_c/"}")\\Uninstall.exe\" /AllUsers /S"
size=$(reg_value "$uninstall_key" EstimatedSize 64)
expect "machine: EstimatedSize above 100 KB" "$([ $((size)) -gt 100 ] && echo yes)" yes
creates_tlvmain 64 machine
creates_tlvmain 32 machine
starts_vorlan "$folder" machine 64

# A Vorlan that does not answer stops the uninstaller before it changes
# anything. The uninstaller runs in place, so that its exit code is its own,
# and alone (the stopped Vorlan keeps the prefix busy). The folder goes as its
# short name: the in-place option must stand unquoted at the end of the
# command line, and Wine quotes an argument with spaces.
printf '@for %%%%I in ("C:\\%s") do @echo %%%%~sI\r\n' "$(windows_path "${folder#"$drive_c/"}")" > "$work/short.cmd"
short=$("$wine64" cmd /c "$(to_windows "$work/short.cmd")" | tr -d '\r')
start_vorlan "$folder/Vorlan.exe"
kill -STOP "$pid"
status=0
timeout $((300 * scale)) "$wine32" "$folder/Uninstall.exe" /S /AllUsers "_?=$short" || status=$?
expect "hung Vorlan: the uninstaller fails" "$status" 2
expect "hung Vorlan: its files stay" "$([ -f "$folder/Vorlan.exe" ] && [ -f "$folder/x64/Verrick.dll" ] && echo yes)" yes
expect "hung Vorlan: Verrick stays registered" \
  "$("$reg" reg query "HKLM\\Software\\Classes\\CLSID\\$clsid\\InprocServer32" /reg:64 >/dev/null 2>&1 && echo yes)" yes
kill -CONT "$pid"
# It then reads the close the uninstaller sent.
expect "hung Vorlan: ends once it answers" "$(ended 30)" ended
wineserver -w

# A Vorlan left running is closed by the uninstaller, which waits for it: its
# options are saved and everything goes.
"$reg" reg delete "$options_key" /f >/dev/null 2>&1 || true
start_vorlan "$folder/Vorlan.exe"
run_setup 0 "$folder/Uninstall.exe" /S /AllUsers
expect "running Vorlan: closed by the uninstaller" "$(ended 5)" ended
expect "running Vorlan: its options saved" "$("$reg" reg query "$options_key" >/dev/null 2>&1 && echo yes)" yes
expect "machine: folder removed" "$([ -e "$folder" ] && echo present || echo gone)" gone
snapshot machine-removed
same_as clean machine-removed machine

# --- per user -------------------------------------------------------------------
folder=$user_dir/AppData/Local/Programs/Vorlan
user_key='HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\Tollever Vorlan'
run_setup 0 "$setup" /S /CurrentUser
installed_files "$folder" per-user 64
expect "per-user: Start-menu shortcut for the user" \
  "$([ -f "$user_dir/AppData/Roaming/Microsoft/Windows/Start Menu/Programs/Vorlan.lnk" ] && echo yes)" yes
expect "per-user: DisplayVersion" "$(reg_value "$user_key" DisplayVersion 64)" "$version"
expect_contains "per-user: Verrick registered below HKEY_CURRENT_USER" \
  "$("$reg" reg query 'HKCU\Software\Classes\Velmora.tlvMain\CLSID' 2>/dev/null)" "$clsid"
snapshot per-user-installed
for view in 32 64; do
  expect "per-user: nothing written below HKEY_LOCAL_MACHINE ($view-bit view)" \
    "$(cmp -s "$work/clean-HKLM-$view.reg" "$work/per-user-installed-HKLM-$view.reg" && echo same)" same
done
# Wine 8's COM reads classes from HKLM\Software\Classes only (a ProgID
# registered below HKCU\Software\Classes is not found), so under Wine an
# object of a per-user registration cannot be created, nor Vorlan started
# from it; the registration itself is checked above.
run_setup 0 "$folder/Uninstall.exe" /S /CurrentUser
snapshot per-user-removed
same_as clean per-user-removed per-user

# --- upgrade from a 32-bit install; the options across both widths -----------
folder32=$drive_c/Program\ Files\ \(x86\)/Vorlan
folder=$drive_c/Program\ Files/Vorlan
"$reg" reg delete "$options_key" /f >/dev/null 2>&1 || true
run_setup 0 "$older" /S /AllUsers
expect "older: DisplayVersion (32-bit view)" "$(reg_value "$uninstall_key" DisplayVersion 32)" "1.03.0051"
expect "older: Vorlan.exe's machine" "$(machine_of "$folder32/Vorlan.exe")" "Intel 80386"
# The 32-bit Vorlan turns its refresh timer off (the caption drops "F5 / ")
# and saves that as it closes.
start_vorlan "$folder32/Vorlan.exe"
press r
expect "32-bit Vorlan: timer off" "$(wait_caption 'Vorlan :: Tab / 0aANPRST :: занято / всего')" \
  'Vorlan :: Tab / 0aANPRST :: занято / всего'
press Escape
expect "32-bit Vorlan: closes" "$(ended 30)" ended
wineserver -w

run_setup 0 "$setup" /S /AllUsers
expect "upgrade: DisplayVersion (64-bit view)" "$(reg_value "$uninstall_key" DisplayVersion 64)" "$version"
expect "upgrade: one entry (none left in the 32-bit view)" "$(reg_value "$uninstall_key" DisplayVersion 32)" ""
expect "upgrade: the 32-bit folder removed" "$([ -e "$folder32" ] && echo present || echo gone)" gone
expect "upgrade: Vorlan.exe's machine" "$(machine_of "$folder/Vorlan.exe")" x86-64
creates_tlvmain 32 upgrade
# The 64-bit Vorlan reads what the 32-bit one stored, turns the timer on
# again and stores that; the 32-bit one (of the build) reads it back.
start_vorlan "$folder/Vorlan.exe"
expect "64-bit Vorlan: reads the 32-bit one's options" "$(caption)" 'Vorlan :: Tab / 0aANPRST :: занято / всего'
press r
expect "64-bit Vorlan: timer on" "$(wait_caption 'Vorlan :: F5 / Tab / 0aANPRST :: занято / всего')" \
  'Vorlan :: F5 / Tab / 0aANPRST :: занято / всего'
press Escape
expect "64-bit Vorlan: closes" "$(ended 30)" ended
wineserver -w
start_vorlan "$root/build/bin/Vorlan.exe"
expect "32-bit Vorlan: reads the 64-bit one's options" "$(caption)" 'Vorlan :: F5 / Tab / 0aANPRST :: занято / всего'
press Escape
expect "32-bit Vorlan: closes again" "$(ended 30)" ended
wineserver -w
# Each start registers the program's path for the user; the installed one's
# goes with its uninstaller.
starts_vorlan "$folder" upgrade 64

"$reg" reg add "$options_key" /v InstallerProbe /t REG_SZ /d kept /f >/dev/null
run_setup 0 "$folder/Uninstall.exe" /S /AllUsers
expect "uninstall keeps the options" "$(reg_value "$options_key" InstallerProbe 64)" "kept"
run_setup 0 "$older" /S /AllUsers
run_setup 0 "$folder32/Uninstall.exe" /S /AllUsers /RemoveOptions
expect "/RemoveOptions removes the options" "$("$reg" reg query "$options_key" >/dev/null 2>&1 && echo left || echo gone)" gone
snapshot upgrade-removed
same_as clean upgrade-removed upgrade

# ==== 32-bit Windows ===========================================================
use_prefix win32 win32
snapshot clean32
folder=$drive_c/Program\ Files/Vorlan
run_setup 0 "$setup" /S /AllUsers
installed_files "$folder" machine-32 32
expect "machine-32: DisplayVersion" "$(reg_value "$uninstall_key" DisplayVersion 32)" "$version"
creates_tlvmain 32 machine-32
starts_vorlan "$folder" machine-32 32
run_setup 0 "$folder/Uninstall.exe" /S /AllUsers
expect "machine-32: folder removed" "$([ -e "$folder" ] && echo present || echo gone)" gone
snapshot machine-32-removed
same_as clean32 machine-32-removed machine-32

checks_done 97
