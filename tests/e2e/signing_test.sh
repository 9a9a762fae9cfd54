#!/usr/bin/env bash
# signing_test.sh <Windows Release build dir> [<dist dir>]: the release packages with and
# without a key.
#   - without SIGN_PFX make-dist says in one line that nothing is signed, and nothing is;
#     made again later, in another time zone, the packages are the same bytes as those in
#     <dist dir> (when given: `make dist` of the same build);
#   - with a throwaway self-signed code-signing key (openssl): osslsigncode verify accepts
#     kivTool.exe, kivinterface-1.dll (kivctl.exe when built) inside the zip, the installer,
#     the uninstaller it writes and the MSI; SHA256SUMS matches the signed packages;
#   - the signed program from the zip passes the end-to-end smoke test under Wine.
# Uses the build tree's Wine prefix (and a Wine session of its own). Exits 1 on any failed check.
set -uo pipefail

[ $# -ge 1 ] && [ -f "$1/CMakeCache.txt" ] || { echo "usage: signing_test.sh <windows build dir> [<dist dir>]" >&2; exit 2; }
build=$(cd "$1" && pwd)
made=${2:-}
root=$(cd "$(dirname "$0")/../.." && pwd)
scratch=$build/signing-test
rm -rf "$scratch"
mkdir -p "$scratch"
e2e=$build/tests/e2e/e2e_tests.exe
[ -f "$e2e" ] || { echo "no $e2e: build the e2e_tests target first" >&2; exit 2; }

failures=0
expect() {  # <description> <command...>
  local what=$1; shift
  if "$@"; then echo "  ok    $what"; return 0; fi
  echo "  FAIL  $what"
  failures=$((failures + 1))
  return 1
}
verifies() { osslsigncode verify -CAfile "$scratch/cert.pem" -in "$1" >"$scratch/$(basename "$1").verify" 2>&1; }
unsigned() { ! osslsigncode verify -in "$1" >/dev/null 2>&1; }
version=$("$root/scripts/make-dist" --version)
base=kivTool-$version
packages="$base-win32.zip $base-win32-portable.zip $base-setup.exe $base-x86.msi"

echo "-- without a key"
TZ=Pacific/Kiritimati SIGN_PFX= "$root/scripts/make-dist" "$build" "$scratch/unsigned" >"$scratch/unsigned.log" 2>&1
expect "make-dist succeeds" [ $? = 0 ]
expect "it says once that nothing is signed" \
  [ "$(grep -ci 'not signed' "$scratch/unsigned.log")" = 1 ]
expect "the installer is not signed" unsigned "$scratch/unsigned/$base-setup.exe"
expect "the MSI is not signed" unsigned "$scratch/unsigned/$base-x86.msi"
if [ -n "$made" ]; then
  for f in $packages SHA256SUMS; do
    expect "$f made again is the same" cmp "$made/$f" "$scratch/unsigned/$f"
  done
fi

echo "-- with a throwaway self-signed key"
head -c 18 /dev/urandom | base64 >"$scratch/pass"
openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj "/CN=kivTool signing test" \
  -addext "keyUsage=critical,digitalSignature" -addext "extendedKeyUsage=codeSigning" \
  -keyout "$scratch/key.pem" -out "$scratch/cert.pem" >/dev/null 2>&1 &&
openssl pkcs12 -export -inkey "$scratch/key.pem" -in "$scratch/cert.pem" \
  -passout "file:$scratch/pass" -out "$scratch/sign.pfx" || { echo "openssl failed" >&2; exit 2; }
rm -f "$scratch/key.pem"
SIGN_PFX=$scratch/sign.pfx SIGN_PASS_FILE=$scratch/pass \
  "$root/scripts/make-dist" "$build" "$scratch/dist" >"$scratch/signed.log" 2>&1
expect "make-dist with SIGN_PFX succeeds" [ $? = 0 ] || cat "$scratch/signed.log"
expect "it does not say it is unsigned" [ "$(grep -ci 'not signed' "$scratch/signed.log")" = 0 ]

dist=$scratch/dist
expect "SHA256SUMS lists the four packages and matches them" \
  [ "$(cd "$dist" && sha256sum -c SHA256SUMS 2>&1)" = "$(printf '%s: OK\n' $packages)" ]
mkdir -p "$scratch/tree/bin" "$scratch/tree/tests/e2e"
unzip -q "$dist/$base-win32.zip" -d "$scratch/tree/bin"
signed=("$scratch/tree/bin/kivTool.exe" "$scratch/tree/bin/kivinterface-1.dll"
        "$dist/$base-setup.exe" "$dist/$base-x86.msi")
[ -f "$scratch/tree/bin/kivctl.exe" ] && signed+=("$scratch/tree/bin/kivctl.exe")
for f in "${signed[@]}"; do
  expect "osslsigncode verify accepts $(basename "$f")" verifies "$f" || cat "$scratch/$(basename "$f").verify"
done
expect "the signature is SHA-256" grep -qi sha256 "$scratch/$base-setup.exe.verify"

# shellcheck source=/dev/null
. "$root/scripts/wine-env.sh" "$build"
"$root/scripts/wine-session" start "$build"
trap '"$root/scripts/wine-session" stop "$build"' EXIT
export KIV_BUILD_DIR=$build
wine_run() { "$root/scripts/wine-run" "$@" </dev/null >"$scratch/wine.log" 2>&1; }

echo "-- the uninstaller the signed installer writes"
inst_w=$(winepath -w "$scratch/inst" 2>/dev/null | tr -d '\r')
expect "the signed installer installs (/S /NoStartup)" wine_run "$dist/$base-setup.exe" /S /NoStartup "/D=$inst_w"
expect "osslsigncode verify accepts uninstall.exe" verifies "$scratch/inst/uninstall.exe" ||
  cat "$scratch/uninstall.exe.verify"
expect "the signed uninstaller removes it" wine_run "$scratch/inst/uninstall.exe" /S "_?=$inst_w"
expect "nothing but the uninstaller is left" [ "$(ls "$scratch/inst")" = uninstall.exe ]

echo "-- the signed program's smoke test"
cp "$e2e" "$scratch/tree/tests/e2e/"
expect "the end-to-end smoke test passes with the signed kivTool.exe" wine_run \
  "$scratch/tree/tests/e2e/e2e_tests.exe" --gtest_filter=KivToolE2E.StartsHiddenInTheTrayRecordsTheDayAndExitsFromTheMenu ||
  tail -n 20 "$scratch/wine.log"

if [ "$failures" -ne 0 ]; then
  echo "signing_test: $failures check(s) failed"
  exit 1
fi
rm -rf "$scratch"
echo "signing_test: all checks passed"
