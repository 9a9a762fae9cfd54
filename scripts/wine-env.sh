# Sourced with the build tree as $1: the Wine environment of that tree, and the one-time
# preparation of its prefix (32-bit, CJK font substitutes, Marlett, silent audio).
kiv_build=$(cd "$1" && pwd)
export WINEARCH=win32
export WINEPREFIX="$kiv_build/wineprefix"
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
# Wine's processes get a home of their own: its .asoundrc sends sound to a null device.
export HOME="$kiv_build/winehome"
# Wine's user language follows the locale, and the program shows its Chinese texts to a
# Chinese user: runs, demos and tests use zh_CN.UTF-8 (made by scripts/install-deps.sh).
# KIV_LANG=en runs them as an English-speaking user's Windows would (C.UTF-8). Either is
# a UTF-8 locale, or Chinese file names and registry values are mangled.
unset LC_ALL LC_MESSAGES LANGUAGE
if [ "${KIV_LANG:-zh}" != en ] && locale -a 2>/dev/null | grep -qix 'zh_CN.utf-\?8'; then
  export LANG=zh_CN.UTF-8
else
  export LANG=C.UTF-8
fi

kiv_prepare_prefix() {
  kiv_make_prefix
  kiv_quiet_crash_dialog
}

kiv_make_prefix() {
  [ -f "$WINEPREFIX/.kiv-ready" ] && return 0
  mkdir -p "$HOME" "$WINEPREFIX"
  printf 'pcm.!default { type null }\nctl.!default { type hw card 0 }\n' > "$HOME/.asoundrc"
  wine wineboot -i </dev/null >/dev/null 2>&1
  local key='HKCU\Software\Wine\Fonts\Replacements'
  wine reg add "$key" /v SimSun /d "AR PL UMing CN" /f </dev/null >/dev/null 2>&1
  wine reg add "$key" /v "宋体" /d "AR PL UMing CN" /f </dev/null >/dev/null 2>&1
  # The rest screens' digits ask for "Courier New"; without this Wine falls back to a sans face.
  wine reg add "$key" /v "Courier New" /d "Liberation Mono" /f </dev/null >/dev/null 2>&1
  # As on a Chinese Windows, the dialogs' "MS Shell Dlg" is the Song face; Wine's Tahoma has
  # no CJK glyphs and its fallback is too wide for the labels.
  wine reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\FontSubstitutes' \
    /v "MS Shell Dlg" /d SimSun /f </dev/null >/dev/null 2>&1
  local marlett=/usr/share/wine/fonts/marlett.ttf
  [ -f "$marlett" ] && cp "$marlett" "$WINEPREFIX/drive_c/windows/Fonts/" 2>/dev/null
  wineserver -w </dev/null >/dev/null 2>&1 || true
  touch "$WINEPREFIX/.kiv-ready"
}

# A program that crashes ends by itself, as on Windows with no one at the screen: without
# this, Wine's debugger holds it open behind a crash dialog until someone closes the dialog.
# A step of its own, so prefixes made before it get it too.
kiv_quiet_crash_dialog() {
  [ -f "$WINEPREFIX/.kiv-no-crash-dialog" ] && return 0
  wine reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f </dev/null >/dev/null 2>&1
  # A session's persistent server never ends; outside one, the persistent server started
  # next must not find this short-lived one still running.
  [ -f "$kiv_build/wine-session.env" ] || wineserver -w </dev/null >/dev/null 2>&1 || true
  touch "$WINEPREFIX/.kiv-no-crash-dialog"
}
