#!/usr/bin/env bash
# installer_test.sh <kivTool-...-setup.exe>: installs and uninstalls silently under Wine in a
# scratch prefix, three times, and checks what each step leaves behind:
#   1. /S                         per user, into %LOCALAPPDATA%\Programs\kivTool, HKCU
#   2. /S /AllUsers               per machine, into Program Files, HKLM, everyone's Start menu
#   3. /S /NoStartup /D=<folder>  per user into a folder with a space, no startup shortcut,
#                                 with a portable "profile" folder that must survive
#   1b. the same over a running kivTool, which the installer and the uninstaller close,
#       under the Chinese and under an English locale (the program's windows in either
#       language)
#   2b. per machine: only below Program Files (a folder elsewhere, or one that ".." leads
#       out of, is refused), and the installed copy ignores a "profile" folder beside it
#   2c. an install folder that is a reparse point (a link) is refused
#   2d. the per-machine uninstaller started without rights elevates the installed copy in
#       its own folder, never its copy in %TEMP% (read from the command it would run)
#   1c. a program squatting on the one-copy name does not stop an installation
#   4. per machine and per user side by side: removing one leaves the other whole, also
#      when uninstall.exe is started without telling it the mode
#   5. the installer's language: Chinese under the Chinese locale the other steps run in,
#      English under an English one and when /L=en asks for it
#   6. the zips beside the installer: the portable one writes its settings into its own
#      profile folder, the plain one into %APPDATA%\Kelbrook.Murvel
#   7. the MSI beside it: msiexec /i /qn per machine (with the start-with-Windows value, and
#      without it for AUTOSTART=0), msiexec /x /qn, and a newer package installed over the
#      running program, which keeps AUTOSTART=0; no folder outside Program Files whatever
#      the command line says; the MSI's copy ignores a "profile" folder beside it
# After each uninstall nothing named kivTool may remain in the prefix, and the user's
# settings in %APPDATA%\Kelbrook.Murvel must be untouched. Exits 1 on any failed check.
set -uo pipefail

setup=$(cd "$(dirname "$1")" && pwd)/$(basename "$1")
[ -f "$setup" ] || { echo "no installer: $1" >&2; exit 2; }
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)

scratch=$(mktemp -d "${TMPDIR:-/tmp}/kiv-installer-test.XXXXXX")
# shellcheck source=/dev/null
. "$root/scripts/wine-env.sh" "$scratch"
mkdir -p "$HOME" "$WINEPREFIX"

xvfb_pid=
cleanup() {
  wineserver -k </dev/null >/dev/null 2>&1
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null
  rm -rf "$scratch"
}
trap cleanup EXIT

# A display of our own: the installer makes (hidden) windows even when silent.
fd=$scratch/display
Xvfb -displayfd 5 -screen 0 1024x768x24 -nolisten tcp 5>"$fd" </dev/null >/dev/null 2>&1 &
xvfb_pid=$!
for _ in $(seq 200); do [ -s "$fd" ] && break; sleep 0.05; done
[ -s "$fd" ] || { echo "Xvfb did not start" >&2; exit 2; }
DISPLAY=":$(head -n1 "$fd")"
export DISPLAY

# A persistent server first (Wine's notes: before wineboot), so every later call is quick.
setsid wineserver -p </dev/null >/dev/null 2>&1
wine wineboot -i </dev/null >/dev/null 2>&1
echo "prefix ready after $SECONDS s"

failures=0
pass() { echo "  ok    $*"; }
fail() { echo "  FAIL  $*"; failures=$((failures + 1)); }
expect() {  # <description> <command...>
  local what=$1; shift
  if "$@"; then pass "$what"; else fail "$what"; fi
}
absent() { [ ! -e "$1" ]; }

winvar() { wine cmd /c "echo %$1%" </dev/null 2>/dev/null | tr -d '\r'; }
unixpath() { winepath -u "$1" 2>/dev/null | tr -d '\r'; }

local_appdata=$(winvar LOCALAPPDATA)
appdata_u=$(unixpath "$(winvar APPDATA)")
programfiles=$(winvar ProgramFiles)
programdata_u=$(unixpath "$(winvar ProgramData)")
if [ -z "$local_appdata" ] || [ ! -d "$appdata_u" ] || [ ! -d "$programdata_u" ]; then
  echo "could not read the prefix's folders" >&2; exit 2
fi

user_programs="$appdata_u/Microsoft/Windows/Start Menu/Programs"
common_programs="$programdata_u/Microsoft/Windows/Start Menu/Programs"
uninst_key='Software\Microsoft\Windows\CurrentVersion\Uninstall\kivTool'

# Wine names the startup folder "StartUp"; find it case-blind so a rename does not hide a fault.
startup_dir() { find "$1" -maxdepth 1 -iname startup -type d | head -n1; }

regvalue() {  # <hive> <value>: the data of a value of the uninstall key, empty when missing
  wine reg query "$1\\$uninst_key" /v "$2" </dev/null 2>/dev/null | tr -d '\r' |
    sed -n "s/^ *$2 *REG_[A-Z_]* *//p"
}
has_key() { wine reg query "$1\\$uninst_key" </dev/null >/dev/null 2>&1; }
no_key() { ! has_key "$1"; }

# A shortcut's target path is in the file as 8- or 16-bit text; dropping the NULs finds both.
links_to() { [ -f "$1" ] && tr -d '\0' <"$1" | grep -qiF -- "$2"; }

# The user's settings, as kivTool would have left them; the uninstaller must not touch them.
settings_u="$appdata_u/Kelbrook.Murvel"
mkdir -p "$settings_u"
printf '<?xml version="1.0"?>\n<profile><workTime>3000</workTime></profile>\n' >"$settings_u/Murvel.xml"
settings_sum=$(sha256sum "$settings_u/Murvel.xml")
settings_kept() { [ "$(sha256sum "$settings_u/Murvel.xml" 2>/dev/null)" = "$settings_sum" ]; }

# Anything named kivTool in the prefix, except our settings folder (not matched by the name).
leftovers() { find "$WINEPREFIX/drive_c" -iname '*kivtool*' 2>/dev/null; }

# The running program: its process in this prefix, and its (hidden) status window.
program_pids() {
  local p
  for p in $(pgrep -f 'kivTool\.exe'); do
    tr '\0' '\n' 2>/dev/null <"/proc/$p/environ" | grep -qxF "WINEPREFIX=$WINEPREFIX" && echo "$p"
  done
  return 0
}
not_running() { [ -z "$(program_pids)" ]; }
is_running() { [ -n "$(program_pids)" ]; }
start_program() {  # <install folder> [title]: starts the installed kivTool.exe, true once
                   # its window (with that exact title) is up
  wine "$1\\kivTool.exe" </dev/null >/dev/null 2>&1 &
  local pattern='^Vanto'
  [ -n "${2:-}" ] && pattern="^$2\$"
  for _ in $(seq 150); do
    # xdotool rather than xwininfo -tree, which fails when a window goes away mid-walk.
    xdotool search --name "$pattern" >/dev/null 2>&1 && return 0
    sleep 0.1
  done
  return 1
}

installed_files="kivTool.exe kivinterface-1.dll README.txt README.zh.txt uninstall.exe
  resource/relax.mp3 resource/relaxNotice.mp3 resource/relaxEnd.mp3"

# run_setup <installer arguments...>: the installer's exit code.
run_setup() {
  # Through a batch file, as typed at a prompt: /D= takes the rest of the line unquoted,
  # and wine would quote an argument that holds a space.
  printf '@"%s" %s\r\n@exit /b %%errorlevel%%\r\n' "$(winepath -w "$setup" 2>/dev/null | tr -d '\r')" "$*" \
    >"$WINEPREFIX/drive_c/kiv-setup.bat"
  wine cmd /c 'C:\kiv-setup.bat' </dev/null >/dev/null 2>&1
  local rc=$?
  rm -f "$WINEPREFIX/drive_c/kiv-setup.bat"
  return $rc
}

# refused <what> <installer arguments...>: the installer refuses and leaves nothing behind.
refused() {
  local what=$1 rc
  shift
  echo "-- setup.exe $* (refused: $what)"
  run_setup "$@"
  rc=$?
  expect "installer refuses $what (exit $rc)" [ $rc -ne 0 ]
  expect "no uninstall key" no_key HKLM
  expect "no uninstall key" no_key HKCU
  local left
  left=$(leftovers)
  expect "nothing named kivTool in the prefix${left:+: $left}" [ -z "$left" ]
}

# The manifest NSIS writes into the exe: which rights Windows starts it with.
execution_level() { grep -ao 'requestedExecutionLevel level="[a-zA-Z]*"' "$1" | head -n1 | cut -d'"' -f2; }

# do_install <hive> <start-menu dir> <expected install folder> <startup expected 0/1>
#         <the only installation 0/1> <installer arguments...>
do_install() {
  local hive=$1 programs=$2 instdir=$3 want_startup=$4 alone=$5
  shift 5
  echo "-- setup.exe $*"
  local inst_u
  inst_u=$(unixpath "$instdir")

  run_setup "$@"
  expect "installer exits with 0" [ $? -eq 0 ]

  local f
  for f in $installed_files; do
    expect "installed $f" [ -s "$inst_u/$f" ]
  done
  expect "no profile folder made by the installer" absent "$inst_u/profile"

  local menu="$programs/kivTool"
  expect "Start-menu shortcut to kivTool.exe" links_to "$menu/kivTool.lnk" "$instdir\\kivTool.exe"
  # Named in the installer's language.
  expect "Start-menu shortcut \"$uninst_name\" to the uninstaller" \
    links_to "$menu/$uninst_name.lnk" "$instdir\\uninstall.exe"

  local startup
  startup=$(startup_dir "$programs")
  if [ "$want_startup" = 1 ]; then
    expect "startup shortcut to kivTool.exe" links_to "$startup/kivTool.lnk" "$instdir\\kivTool.exe"
  else
    expect "no startup shortcut" absent "$startup/kivTool.lnk"
  fi

  local other=HKLM
  [ "$hive" = HKLM ] && other=HKCU
  expect "uninstall key under $hive" has_key "$hive"
  if [ "$alone" = 1 ]; then
    expect "no uninstall key under $other" no_key "$other"
  fi
  expect "DisplayVersion is the package version" \
    [ "$(regvalue "$hive" DisplayVersion)" = "$version" ]
  expect "InstallLocation is $instdir" [ "$(regvalue "$hive" InstallLocation)" = "$instdir" ]
  local quiet
  quiet=$(regvalue "$hive" QuietUninstallString)
  local mode=CurrentUser
  [ "$hive" = HKLM ] && mode=AllUsers
  expect "QuietUninstallString runs the uninstaller in its mode ($quiet)" \
    [ "$quiet" = "\"$instdir\\uninstall.exe\" /$mode /S" ]
}

# do_uninstall <hive> <start-menu dir> <install folder> <a portable profile folder 0/1>
#              <the last installation 0/1> [bare]
# With "bare", uninstall.exe is started with /S alone, as by a double click in its folder:
# it must find its own mode from where it lives.
do_uninstall() {
  local hive=$1 programs=$2 instdir=$3 portable=$4 last=$5 bare=${6:-}
  local inst_u quiet menu="$programs/kivTool" startup
  inst_u=$(unixpath "$instdir")
  quiet=$(regvalue "$hive" QuietUninstallString)
  [ -n "$bare" ] && quiet="\"$instdir\\uninstall.exe\" /S"
  startup=$(startup_dir "$programs")
  echo "-- $quiet"

  if [ "$portable" = 1 ]; then
    mkdir -p "$inst_u/profile"
    echo '<profile/>' >"$inst_u/profile/Murvel.xml"
  fi

  # Run the uninstaller the way Windows does: the registered quiet command line.
  local exe args
  exe=${quiet#\"}; exe=${exe%%\"*}; args=${quiet#\""$exe"\"}
  # shellcheck disable=SC2086
  wine "$exe" $args </dev/null >/dev/null 2>&1
  expect "uninstaller exits with 0" [ $? -eq 0 ]
  # The uninstaller works from a copy of itself in %TEMP%: give it time to finish. Only the
  # files are polled (each registry query starts a Wine program).
  local gone=0
  for _ in $(seq 300); do
    if absent "$inst_u/uninstall.exe" && absent "$menu"; then gone=1; break; fi
    sleep 0.1
  done
  expect "uninstaller and Start-menu folder gone within 30 s" [ $gone = 1 ]
  # The key goes last, a moment after the files.
  for _ in $(seq 10); do has_key "$hive" || break; sleep 0.2; done

  expect "uninstall key under $hive removed" no_key "$hive"
  expect "Start-menu folder removed" absent "$menu"
  expect "startup shortcut removed" absent "$startup/kivTool.lnk"
  if [ "$portable" = 1 ]; then
    expect "portable profile kept" [ -s "$inst_u/profile/Murvel.xml" ]
    expect "only the profile folder is left" \
      [ "$(cd "$inst_u" 2>/dev/null && find . -mindepth 1 | sort | tr '\n' ' ')" = "./profile ./profile/Murvel.xml " ]
    rm -rf "$inst_u"
  else
    expect "install folder removed" absent "$inst_u"
  fi
  if [ "$last" = 1 ]; then
    local left
    left=$(leftovers)
    expect "nothing named kivTool left in the prefix${left:+: $left}" [ -z "$left" ]
  fi
  expect "settings in %APPDATA%\\Kelbrook.Murvel untouched" \
    settings_kept
}

# intact <hive> <start-menu dir> <install folder>: an installation is still whole.
intact() {
  local inst_u f
  inst_u=$(unixpath "$3")
  for f in $installed_files; do
    expect "still installed: $f" [ -s "$inst_u/$f" ]
  done
  expect "still there: Start-menu shortcut" links_to "$2/kivTool/kivTool.lnk" "$3\\kivTool.exe"
  expect "still there: startup shortcut" links_to "$(startup_dir "$2")/kivTool.lnk" "$3\\kivTool.exe"
  expect "still there: uninstall key under $1" has_key "$1"
}

version=$(basename "$setup" | sed -n 's/^kivTool-\(.*\)-setup\.exe$/\1/p')
[ -n "$version" ] || { echo "cannot read the version from $(basename "$setup")" >&2; exit 2; }

user_dir="$local_appdata\\Programs\\kivTool"
machine_dir="$programfiles\\kivTool"
own_dir='C:\Kiv Apps\kivTool'

step() { echo "== $1 (at $SECONDS s)"; }
# The uninstaller's shortcut in the language the installer should pick.
uninst_name_zh='卸载 kivTool'
uninst_name_en='Uninstall kivTool'
uninst_name=$uninst_name_zh
[ "$LANG" = zh_CN.UTF-8 ] || uninst_name=$uninst_name_en
step "1. per user, default folder"
do_install HKCU "$user_programs" "$user_dir" 1 1 /S
do_uninstall HKCU "$user_programs" "$user_dir" 0 1

# over_running_copy <title>: an upgrade and an uninstall while the program runs, the
# program, the installer and the uninstaller all in the locale the caller gave.
over_running_copy() {
  do_install HKCU "$user_programs" "$user_dir" 1 1 /S
  expect "the installed program starts, titled \"$1\"" start_program "$user_dir" "$1"
  expect "it is running" is_running
  do_install HKCU "$user_programs" "$user_dir" 1 1 /S
  expect "the installer closed the running copy" not_running
  expect "the program starts again" start_program "$user_dir" "$1"
  do_uninstall HKCU "$user_programs" "$user_dir" 0 1
  expect "the uninstaller closed the running copy" not_running
}

step "0. rights"
expect "the installer asks Windows for no rights (asInvoker): a per-user install never elevates" \
  [ "$(execution_level "$setup")" = asInvoker ]

step "1b. over a running copy, and removed while it runs (Chinese)"
over_running_copy 'Vanto定时休息工具'
step "1b. over a running copy, and removed while it runs (English)"
uninst_name=$uninst_name_en
LANG=C.UTF-8 over_running_copy 'Vanto Break Timer'
uninst_name=$uninst_name_zh
[ "$LANG" = zh_CN.UTF-8 ] || uninst_name=$uninst_name_en

step "1c. a program squatting on the one-copy name"
# Another program holds the name with rights the user can open: with no kivTool.exe in the
# session the installer and the uninstaller go on instead of waiting and failing (exit 4).
cat >"$scratch/squatter.c" <<'C'
#include <windows.h>
int main(void) {
    CreateMutexW(NULL, FALSE, L"Local\\Kelbrook.Murvel.kivTool.running");
    Sleep(120000);
    return 0;
}
C
if i686-w64-mingw32-gcc -O1 -o "$scratch/squatter.exe" "$scratch/squatter.c" 2>/dev/null; then
  wine "$scratch/squatter.exe" </dev/null >/dev/null 2>&1 &
  squatter_pid=$!
  sleep 1
  started=$SECONDS
  run_setup /S
  rc=$? took=$((SECONDS - started))
  # Before, it waited twice 10 s for the name to go and stopped with exit code 4.
  expect "the installer went on (exit $rc after $took s)" [ "$rc" = 0 ]
  intact HKCU "$user_programs" "$user_dir"
  do_uninstall HKCU "$user_programs" "$user_dir" 0 1
  kill "$squatter_pid" 2>/dev/null
  wait "$squatter_pid" 2>/dev/null
else
  fail "the squatter program could not be built"
fi

step "2. per machine"
do_install HKLM "$common_programs" "$machine_dir" 1 1 /S /AllUsers
do_uninstall HKLM "$common_programs" "$machine_dir" 0 1

step "2b. per machine: only below Program Files; the installed copy ignores a profile folder"
refused "a per-machine folder outside Program Files" /S /AllUsers '/D=C:\Kiv Machine\kivTool'
refused "a per-machine folder that leads out of Program Files" /S /AllUsers "/D=$programfiles\\..\\kivTool"
refused "Program Files itself" /S /AllUsers "/D=$programfiles"
do_install HKLM "$common_programs" "$machine_dir" 1 1 /S /AllUsers
expect "the uninstaller asks Windows for no rights by itself (it asks when per machine)" \
  [ "$(execution_level "$(unixpath "$machine_dir")/uninstall.exe")" = asInvoker ]
machine_u=$(unixpath "$machine_dir")
rm -f "$settings_u"/[0-9]*.xml
mkdir -p "$machine_u/profile"
expect "the per-machine copy starts" start_program "$machine_dir"
has_daily_file() { compgen -G "$1/[0-9][0-9][0-9][0-9]-[0-9][0-9]-[0-9][0-9].xml" >/dev/null; }
expect "its daily file is in the user's %APPDATA%\\Kelbrook.Murvel" has_daily_file "$settings_u"
expect "nothing in the profile folder beside it" [ -z "$(ls -A "$machine_u/profile" 2>/dev/null)" ]
rmdir "$machine_u/profile"
do_uninstall HKLM "$common_programs" "$machine_dir" 0 1
expect "the uninstaller closed the per-machine copy" not_running
rm -f "$settings_u"/[0-9]*.xml

step "2c. an install folder that is a reparse point"
# Wine 8 cannot make a junction (mklink /j fails), but it shows a Unix symbolic link to a
# folder as a reparse point, which is what the installer looks at.
junction_target_u=$WINEPREFIX/drive_c/kiv-link-target
mkdir -p "$junction_target_u"
ln -s kiv-link-target "$WINEPREFIX/drive_c/kiv-link"
refused "a reparse point as the install folder" /S '/D=C:\kiv-link'
refused "a folder to be made inside a reparse point" /S '/D=C:\kiv-link\kivTool'
expect "nothing written through the link" [ -z "$(ls -A "$junction_target_u")" ]
rm -rf "$WINEPREFIX/drive_c/kiv-link" "$junction_target_u"

step "2d. the per-machine uninstaller's elevation"
# Wine gives every program administrator rights, so the relaunch is never needed here: the
# uninstaller writes the command it would run into the probe file instead.
do_install HKLM "$common_programs" "$machine_dir" 1 1 /S /AllUsers
probe_u=$WINEPREFIX/drive_c/kiv-elevation.txt
rm -f "$probe_u"
KIVTOOL_ELEVATION_PROBE='C:\kiv-elevation.txt' wine "$machine_dir\\uninstall.exe" /S </dev/null >/dev/null 2>&1
for _ in $(seq 100); do [ -s "$probe_u" ] && break; sleep 0.1; done
mapfile -t relaunch < <(tr -d '\r' <"$probe_u" 2>/dev/null)
expect "it asks for rights (runas): '${relaunch[0]:-}'" [ "${relaunch[0]:-}" = runas ]
expect "for the installed uninstaller: '${relaunch[1]:-}'" [ "${relaunch[1]:-}" = "$machine_dir\\uninstall.exe" ]
expect "run in place (_?=): '${relaunch[2]:-}'" [ "${relaunch[2]:-}" = "/S _?=$machine_dir" ]
differs() { [ -n "$1" ] && [ "$1" != "$2" ]; }
expect "not the copy it runs from: '${relaunch[3]:-}'" differs "${relaunch[3]:-}" "${relaunch[1]:-}"
rm -f "$probe_u"
intact HKLM "$common_programs" "$machine_dir"
do_uninstall HKLM "$common_programs" "$machine_dir" 0 1

step "3. per user, own folder, no startup, portable profile"
do_install HKCU "$user_programs" "$own_dir" 0 1 /S /NoStartup "/D=$own_dir"
do_uninstall HKCU "$user_programs" "$own_dir" 1 1

step "4. per machine and per user side by side"
do_install HKLM "$common_programs" "$machine_dir" 1 1 /S /AllUsers
do_install HKCU "$user_programs" "$user_dir" 1 0 /S
do_uninstall HKCU "$user_programs" "$user_dir" 0 0
intact HKLM "$common_programs" "$machine_dir"
do_install HKCU "$user_programs" "$user_dir" 1 0 /S
do_uninstall HKLM "$common_programs" "$machine_dir" 0 0 bare
intact HKCU "$user_programs" "$user_dir"
do_uninstall HKCU "$user_programs" "$user_dir" 0 1 bare

step "5. the installer's language"
# Wine takes the user's UI language from the locale of each process it starts.
uninst_name=$uninst_name_en
LANG=C.UTF-8 do_install HKCU "$user_programs" "$user_dir" 1 1 /S
LANG=C.UTF-8 do_uninstall HKCU "$user_programs" "$user_dir" 0 1
if [ "$LANG" = zh_CN.UTF-8 ]; then
  do_install HKCU "$user_programs" "$user_dir" 1 1 /S /L=en
  do_uninstall HKCU "$user_programs" "$user_dir" 0 1
fi

# The zips beside the installer: the portable one keeps the settings in its profile folder,
# the plain one uses %APPDATA%\Kelbrook.Murvel.
has_daily() { compgen -G "$1/[0-9][0-9][0-9][0-9]-[0-9][0-9]-[0-9][0-9].xml" >/dev/null; }
no_daily() { ! has_daily "$1"; }
stop_program() {
  local p
  for p in $(program_pids); do kill "$p" 2>/dev/null; done
  for _ in $(seq 50); do not_running && return 0; sleep 0.1; done
  return 1
}
unpack() {  # <zip> <Windows folder>: prints the folder's Unix path
  local dir
  dir=$(unixpath "$2")
  mkdir -p "$dir" && unzip -q "$1" -d "$dir" && echo "$dir"
}

step "6. the zip packages"
dist_dir=$(dirname "$setup")
rm -f "$settings_u"/[0-9]*.xml
echo "-- kivTool-$version-win32-portable.zip"
portable_u=$(unpack "$dist_dir/kivTool-$version-win32-portable.zip" 'C:\Portable kivTool')
expect "portable zip unpacks" [ -n "$portable_u" ]
expect "it has an empty profile folder" [ -d "$portable_u/profile" ]
expect "the profile folder is empty" [ -z "$(ls -A "$portable_u/profile" 2>/dev/null)" ]
expect "the portable copy starts" start_program 'C:\Portable kivTool'
expect "its daily file is in its profile folder" has_daily "$portable_u/profile"
expect "nothing in %APPDATA%\\Kelbrook.Murvel" no_daily "$settings_u"
expect "it stops" stop_program

echo "-- kivTool-$version-win32.zip"
plain_u=$(unpack "$dist_dir/kivTool-$version-win32.zip" 'C:\Plain kivTool')
expect "plain zip unpacks" [ -n "$plain_u" ]
expect "it has no profile folder" absent "$plain_u/profile"
for f in kivTool.exe kivinterface-1.dll README.txt README.zh.txt \
         resource/relax.mp3 resource/relaxNotice.mp3 resource/relaxEnd.mp3 \
         policy/kivTool.admx policy/en-US/kivTool.adml policy/zh-CN/kivTool.adml; do
  expect "plain and portable zips hold the same $f" cmp -s "$plain_u/$f" "$portable_u/$f"
done
for f in README.txt README.zh.txt; do
  expect "$f has CR LF line ends" \
    [ "$(grep -c $'\r$' "$plain_u/$f")" = "$(wc -l <"$plain_u/$f")" ]
done
# Notepad before Windows 10 takes UTF-8 for the ANSI code page without its mark.
expect "README.zh.txt is UTF-8 with a byte order mark" \
  [ "$(head -c3 "$plain_u/README.zh.txt" | od -An -tx1 | tr -d ' ')" = efbbbf ]
expect "the plain copy starts" start_program 'C:\Plain kivTool'
expect "its daily file is in %APPDATA%\\Kelbrook.Murvel" has_daily "$settings_u"
expect "it stops" stop_program
expect "settings in %APPDATA%\\Kelbrook.Murvel untouched" settings_kept

# The MSI: per machine into Program Files, a Start-menu shortcut, HKLM Run unless AUTOSTART=0,
# the templates under policy\; msiexec /x removes all of it and leaves the user's settings.
msi=$dist_dir/kivTool-$version-x86.msi
msi_w=$(winepath -w "$msi" 2>/dev/null | tr -d '\r')
machine_u=$(unixpath "$machine_dir")
run_key='HKLM\Software\Microsoft\Windows\CurrentVersion\Run'
msi_files="kivTool.exe kivinterface-1.dll README.txt README.zh.txt resource/relax.mp3 resource/relaxNotice.mp3
  resource/relaxEnd.mp3 policy/kivTool.admx policy/en-US/kivTool.adml policy/zh-CN/kivTool.adml"
run_value() {  # the data of HKLM Run's kivTool value, empty when missing
  wine reg query "$run_key" /v kivTool </dev/null 2>/dev/null | tr -d '\r' | sed -n 's/^ *kivTool *REG_SZ *//p'
}
# The MSI's products in Add/Remove Programs: one "<DisplayName> <DisplayVersion>" line each.
msi_products() {
  wine reg query 'HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall' /s </dev/null 2>/dev/null |
    tr -d '\r' | awk '/^HKEY/ { name = ""; ver = "" }
      $1 == "DisplayName" { name = $3 } $1 == "DisplayVersion" { ver = $3 }
      name == "kivTool" && ver != "" { print name " " ver; name = "" }'
}
msiexec_rc() {  # <msiexec arguments...>: its exit code
  wine msiexec "$@" </dev/null >/dev/null 2>&1
  echo $?
}
# The shortcut goes into everyone's Start menu on Windows; Wine's msiexec puts a per-machine
# package's ProgramMenuFolder into the installing user's.
msi_shortcut_to() {
  links_to "$common_programs/kivTool.lnk" "$1" || links_to "$user_programs/kivTool.lnk" "$1"
}
msi_installed() {  # <want autostart 0/1> <version>
  local f
  for f in $msi_files; do
    expect "MSI installed $f" [ -s "$machine_u/$f" ]
  done
  expect "MSI: Start-menu shortcut to kivTool.exe" msi_shortcut_to "$machine_dir\\kivTool.exe"
  if [ "$1" = 1 ]; then
    expect "MSI: HKLM Run starts kivTool.exe ($(run_value))" [ "$(run_value)" = "\"$machine_dir\\kivTool.exe\"" ]
  else
    expect "MSI with AUTOSTART=0: no HKLM Run value" [ -z "$(run_value)" ]
  fi
  expect "MSI: one product in Add/Remove Programs, version $2 ($(msi_products | tr '\n' ';'))" \
    [ "$(msi_products)" = "kivTool $2" ]
}
msi_removed() {
  expect "MSI: install folder removed" absent "$machine_u"
  expect "MSI: Start-menu shortcut removed" absent "$common_programs/kivTool.lnk"
  expect "MSI: no Start-menu shortcut in the user's menu either" absent "$user_programs/kivTool.lnk"
  expect "MSI: HKLM Run value removed" [ -z "$(run_value)" ]
  expect "MSI: no product left in Add/Remove Programs" [ -z "$(msi_products)" ]
  local left
  left=$(leftovers)
  expect "nothing named kivTool left in the prefix${left:+: $left}" [ -z "$left" ]
  expect "settings in %APPDATA%\\Kelbrook.Murvel untouched" settings_kept
}

step "7. the MSI"
# A newer package of the same files, for the upgrade below (Windows Installer compares the
# first three parts of a version); then the unpacked zips go, so
# that nothing named kivTool is left in the prefix but what the MSI puts there.
IFS=. read -r v1 v2 v3 _ <<<"$version"
newer=$v1.$v2.$((v3 + 1))
newer_msi=$scratch/kivTool-$newer.0-x86.msi
"$root/scripts/make-msi" "$plain_u" "$newer.0" "$newer_msi" >/dev/null 2>&1
expect "a newer package $newer builds" [ -s "$newer_msi" ]
newest=$v1.$v2.$((v3 + 2))
newest_msi=$scratch/kivTool-$newest.0-x86.msi
"$root/scripts/make-msi" "$plain_u" "$newest.0" "$newest_msi" >/dev/null 2>&1
rm -rf "$plain_u" "$portable_u"
echo "-- msiexec /i $(basename "$msi") /qn"
expect "msiexec /i exits with 0" [ "$(msiexec_rc /i "$msi_w" /qn)" = 0 ]
msi_installed 1 "$version"
echo "-- msiexec /x $(basename "$msi") /qn"
expect "msiexec /x exits with 0" [ "$(msiexec_rc /x "$msi_w" /qn)" = 0 ]
msi_removed
echo "-- msiexec /i $(basename "$msi") /qn INSTALLDIR=C:\\kiv\\"
# A folder that inherits C:\'s rights would let any user replace what every logon starts.
kiv_u=$WINEPREFIX/drive_c/kiv
outside_rc=$(msiexec_rc /i "$msi_w" /qn 'INSTALLDIR=C:\kiv\')
expect "msiexec /i INSTALLDIR=C:\\kiv\\ installs below Program Files ($outside_rc)" [ "$outside_rc" = 0 ]
expect "nothing in C:\\kiv" absent "$kiv_u"
msi_installed 1 "$version"
# The MSI's copy is a per-machine copy: a profile folder beside it is not its settings folder.
rm -f "$settings_u"/[0-9]*.xml
mkdir -p "$machine_u/profile"
expect "the MSI's copy starts" start_program "$machine_dir"
expect "its daily file is in the user's %APPDATA%\\Kelbrook.Murvel" has_daily "$settings_u"
expect "nothing in the profile folder beside it" [ -z "$(ls -A "$machine_u/profile" 2>/dev/null)" ]
stop_program
rmdir "$machine_u/profile"
rm -f "$settings_u"/[0-9]*.xml
expect "msiexec /x exits with 0" [ "$(msiexec_rc /x "$msi_w" /qn)" = 0 ]
msi_removed
# The folder's own property is private: the command line cannot set it either.
echo "-- msiexec /i $(basename "$msi") /qn InstallFolder=C:\\kiv\\"
expect "msiexec /i InstallFolder=C:\\kiv\\ exits with 0" [ "$(msiexec_rc /i "$msi_w" /qn 'InstallFolder=C:\kiv\')" = 0 ]
expect "nothing in C:\\kiv" absent "$kiv_u"
msi_installed 1 "$version"
expect "msiexec /x exits with 0" [ "$(msiexec_rc /x "$msi_w" /qn)" = 0 ]
msi_removed
# Should the folder resolve elsewhere all the same (here: a copy of the package that names
# it in its own property table), the installation stops with 1603 and leaves nothing.
moved_msi=$scratch/moved.msi
cp "$msi" "$moved_msi"
msibuild "$moved_msi" -q "INSERT INTO \`Property\` (\`Property\`, \`Value\`) VALUES ('InstallFolder', 'C:\\kiv\\')"
echo "-- msiexec /i moved.msi /qn (its folder C:\\kiv\\)"
moved_rc=$(msiexec_rc /i "$(winepath -w "$moved_msi" 2>/dev/null | tr -d '\r')" /qn)
# 1603 (ERROR_INSTALL_FAILURE) reaches a Unix shell as its low byte, 67.
expect "refused with 1603 ($moved_rc)" [ "$moved_rc" = $((1603 % 256)) ]
expect "nothing in C:\\kiv" absent "$kiv_u"
expect "nothing in Program Files" absent "$machine_u"
expect "no product in Add/Remove Programs" [ -z "$(msi_products)" ]
echo "-- msiexec /i $(basename "$msi") /qn AUTOSTART=0"
expect "msiexec /i AUTOSTART=0 exits with 0" [ "$(msiexec_rc /i "$msi_w" /qn AUTOSTART=0)" = 0 ]
msi_installed 0 "$version"

# A newer package of the same files over the running program: the upgrade code finds the
# installed one, which goes first. On Windows the Restart Manager asks the running copy to
# close (WM_QUERYENDSESSION, then WM_ENDSESSION with ENDSESSION_CLOSEAPP); Wine's msiexec has
# no Restart Manager and overwrites the running program's files, so here the check is that
# the upgrade goes through with the program running and leaves one product behind.
expect "the installed program starts" start_program "$machine_dir"
echo "-- msiexec /i $(basename "$newer_msi") /qn, over the running program"
upgrade_rc=$(msiexec_rc /i "$(winepath -w "$newer_msi" 2>/dev/null | tr -d '\r')" /qn)
# 3010: done, but a file in use is replaced at the next start of Windows.
done_rc() { [ "$1" = 0 ] || [ "$1" = 3010 ]; }
expect "the upgrade exits with 0 or 3010 ($upgrade_rc)" done_rc "$upgrade_rc"
# The administrator's AUTOSTART=0 is remembered: the upgrade adds no logon start.
msi_installed 0 "$newer.0"
if is_running; then echo "  note  the old copy still runs (no Restart Manager under Wine)"; fi
stop_program
# The next upgrade's own command line overrides what was remembered.
echo "-- msiexec /i $(basename "$newest_msi") /qn AUTOSTART=1"
expect "the upgrade with AUTOSTART=1 exits with 0" \
  [ "$(msiexec_rc /i "$(winepath -w "$newest_msi" 2>/dev/null | tr -d '\r')" /qn AUTOSTART=1)" = 0 ]
msi_installed 1 "$newest.0"
echo "-- msiexec /x $(basename "$newest_msi") /qn"
expect "msiexec /x of the newest package exits with 0" \
  [ "$(msiexec_rc /x "$(winepath -w "$newest_msi" 2>/dev/null | tr -d '\r')" /qn)" = 0 ]
msi_removed

echo "== done at $SECONDS s"

if [ "$failures" -ne 0 ]; then
  echo "installer_test: $failures check(s) failed"
  exit 1
fi
echo "installer_test: all checks passed"
