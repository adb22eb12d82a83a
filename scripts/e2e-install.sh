#!/usr/bin/env bash
# The program as a user installs it, and its orderly end at the session's
# request:
#   - the desktop entry passes desktop-file-validate;
#   - cpack builds the Debian package; its dependencies name the libraries
#     the binaries link and the fonts, and it holds no file a run writes;
#   - lintian finds no error and no warning that packaging/ does not give a
#     reason for; no installed ELF file has a run path outside the package
#     or a symbol table; the manual pages render without a warning; the
#     software centres' entry validates;
#   - the package is unpacked into a scratch root (dpkg -x); the installed
#     program starts under Xvfb with HOME at a scratch folder, sets up the
#     user's own folder (real folders, links to the installed files), a ZEK
#     minute writes its result file there, and kestrava-results on the PATH
#     reads it without being given a path;
#   - SIGTERM in the menu and during a running test: the program ends within
#     a second with status 0, velomar.INI is written, the aborted test adds
#     no record; SIGINT in the menu likewise;
#   - nothing was written under the install prefix.
# About 90 s. Screenshots stay in BUILD/e2e-install/.
#
#   scripts/e2e-install.sh [build-dir]      (default: build/normal)
# Needs: cpack, dpkg-deb, desktop-file-validate, lintian, appstreamcli, man,
# readelf, Xvfb, xdotool, ImageMagick.
set -euo pipefail

here=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$here/build/normal}" && pwd)
for tool in cpack dpkg-deb dpkg-shlibdeps desktop-file-validate lintian appstreamcli man readelf Xvfb xdotool import; do
  command -v "$tool" >/dev/null || { echo "e2e-install: $tool missing" >&2; exit 2; }
done
export LSAN_OPTIONS="suppressions=$here/tests/sdl/lsan.supp${LSAN_OPTIONS:+:$LSAN_OPTIONS}"

out=$build/e2e-install
rm -rf "$out"
mkdir -p "$out"
fail() { echo "e2e-install: $*" >&2; cat "$out/velomar.log" >&2 2>/dev/null || true; exit 1; }
. "$here/scripts/lib/display.sh"
open_session

# ---------------------------------------------------------------- the entry
desktop-file-validate "$here/packaging/kestrava.desktop" || fail "the desktop entry does not validate"

# -------------------------------------------------------------- the package
(cd "$build" && cpack -G DEB -B "$out/package" >"$out/cpack.log" 2>&1) || { cat "$out/cpack.log" >&2; fail "cpack failed"; }
deb=$(ls "$out/package"/kestrava_*.deb)
depends=$(dpkg-deb -f "$deb" Depends)
echo "e2e-install: $(basename "$deb"), $(stat -c %s "$deb") bytes; Depends: $depends"
for lib in libsdl2 libfreetype6 libfontconfig1 libavcodec libinih fonts-liberation2; do
  [[ $depends == *"$lib"* ]] || fail "the package does not depend on $lib"
done
dpkg-deb -c "$deb" >"$out/contents.txt"
for path in ./usr/lib/kestrava/velomar ./usr/lib/kestrava/kestrava.installed ./usr/lib/kestrava/TESTS/ZEK.TST \
            ./usr/lib/kestrava/TESTS/MFR/MFR.TST ./usr/lib/kestrava/TESTS/MFR/MFRHOCH.WAV \
            ./usr/lib/kestrava/TESTS/LAGE/LAGE.TST \
            ./usr/lib/kestrava/TESTS/RAUM/RAUM.TST ./usr/lib/kestrava/TESTS/RAUM/HELP1.BMP \
            ./usr/lib/kestrava/libvgdi.so ./usr/lib/kestrava/skin/SPLASH.bmp ./usr/lib/kestrava/FLIEGE.AVI \
            ./usr/lib/kestrava/skin/MenueOben@2x.bmp ./usr/lib/kestrava/HAND@1.5x.CUR ./usr/lib/kestrava/HELP1@2x.INI \
            ./usr/share/applications/kestrava.desktop ./usr/share/icons/hicolor/48x48/apps/kestrava.png \
            ./usr/share/icons/hicolor/256x256/apps/kestrava.png; do
  grep -q " $path\$" "$out/contents.txt" || fail "the package lacks $path"
done
grep -q " ./usr/bin/kestrava-results -> ../lib/kestrava/kestrava-results\$" "$out/contents.txt" ||
  fail "kestrava-results is not on the PATH"
grep -q " ./usr/bin/kestrava -> ../lib/kestrava/velomar\$" "$out/contents.txt" || fail "kestrava is not on the PATH"
if grep -Eiq '\.rlt$|velomar\.INI$|PROG\.SAV$' "$out/contents.txt"; then
  fail "the package holds files a run writes"
fi

for path in ./usr/share/doc/kestrava/copyright ./usr/share/doc/kestrava/changelog.gz \
            ./usr/share/man/man1/kestrava.1.gz ./usr/share/man/de/man1/kestrava.1.gz \
            ./usr/share/man/man1/kestrava-results.1.gz ./usr/share/man/de/man1/kestrava-results.1.gz \
            ./usr/share/metainfo/org.kestrava.kestrava.metainfo.xml; do
  grep -q " $path\$" "$out/contents.txt" || fail "the package lacks $path"
done
ls "$out/package"/kestrava-dbgsym_*.ddeb >/dev/null 2>&1 || fail "no debug-symbols package beside the package"

# Debian's own checker: no error, and a warning only where the override
# file gives a reason (lintian then shows it as overridden, not as W:).
lintian --display-info --tag-display-limit 0 "$deb" >"$out/lintian.txt" 2>&1 || true
cat "$out/lintian.txt"
if grep -Eq '^[EW]: ' "$out/lintian.txt"; then fail "lintian reports errors or warnings"; fi

root=$work/root
dpkg -x "$deb" "$root"
desktop-file-validate "$root/usr/share/applications/kestrava.desktop" || fail "the installed desktop entry does not validate"
appstreamcli validate --no-net --pedantic --explain "$root/usr/share/metainfo/org.kestrava.kestrava.metainfo.xml" >"$out/appstream.txt" 2>&1 ||
  { cat "$out/appstream.txt" >&2; fail "the software centres' entry does not validate"; }
if grep -Eq '^[EWIP]: ' "$out/appstream.txt"; then cat "$out/appstream.txt" >&2; fail "the software centres' entry has remarks"; fi
# Every ELF file finds its libraries in the system or, through $ORIGIN, in
# the package's own folder, and carries no symbol table or debug sections.
elves=0
while IFS= read -r -d '' file; do
  [[ $(head -c 4 "$file" | od -An -c | tr -d ' ') == 177ELF ]] || continue
  elves=$((elves + 1))
  dynamic=$(readelf -d "$file")
  while read -r runpath; do
    for entry in ${runpath//:/ }; do
      [[ $entry == '$ORIGIN' || $entry == '$ORIGIN/'* ]] || fail "$file searches $entry for libraries"
      resolved=$(realpath -m "$(dirname "$file")/${entry#\$ORIGIN}")
      [[ $resolved == "$root/usr/lib/kestrava"* ]] || fail "$file searches $resolved, outside the package"
    done
  done < <(sed -n 's/.*(R\(UN\)\?PATH).*\[\(.*\)\]$/\2/p' <<<"$dynamic")
  readelf -S "$file" | grep -Eq ' \.(symtab|debug_info) ' && fail "$file is not stripped"
done < <(find "$root" -type f -print0)
(( elves >= 6 )) || fail "only $elves ELF files found in the package"
echo "e2e-install: $elves ELF files, run paths only within the package, stripped"
for page in "$root"/usr/share/man/man1/*.1.gz "$root"/usr/share/man/de/man1/*.1.gz; do
  warnings=$(LC_ALL=C.UTF-8 man --warnings -E UTF-8 -l -Tutf8 -Z "$page" 2>&1 >/dev/null)
  [[ -z $warnings ]] || fail "$page: $warnings"
done
MANWIDTH=80 LC_ALL=C.UTF-8 man -l "$root/usr/share/man/de/man1/kestrava.1.gz" >"$out/kestrava.1.txt" 2>/dev/null
grep -q "BESCHREIBUNG" "$out/kestrava.1.txt" || fail "the German manual page does not render"
prefix=$root/usr
snapshot() { (cd "$prefix" && find . -printf '%p %y %s %T@\n' | sort); }
snapshot >"$work/prefix-before"

# ---------------------------------------------------------- the installed run
home=$work/home
mkdir -p "$home"
user=$home/.local/share/kestrava
start_display 1024 768
menu_places 1024 768

shot() { import -window root "$out/$1.png"; }
# Starts the installed program through its command on the PATH and waits
# for the menu (the start button's place is black until then).
start() {
  (cd "$work" && HOME=$home PATH=$prefix/bin:$PATH exec env -u XDG_DATA_HOME kestrava) >>"$out/velomar.log" 2>&1 &
  app_pid=$!
  wait_for_menu
}
# ZEK selected by its title, started for one minute; returns when its
# ticks run.
start_zek() {
  choose_test_titled "ZEK-Test" 01
  xdotool key Return
  sleep 5
  xdotool mousemove 900 700
}
# Sends a signal and checks the end: within a second, status 0.
end_with() {
  local signal=$1 what=$2 t0 t1 status=0
  t0=$(date +%s%N)
  kill "-$signal" "$app_pid"
  for _ in $(seq 300); do kill -0 "$app_pid" 2>/dev/null || break; sleep 0.01; done
  t1=$(date +%s%N)
  kill -0 "$app_pid" 2>/dev/null && fail "SIGTERM $what: still running after 3 s"
  wait "$app_pid" || status=$?
  app_pid=""
  local ms=$(( (t1 - t0) / 1000000 ))
  echo "e2e-install: SIG$signal $what: ended after $ms ms with status $status"
  (( status == 0 )) || fail "SIG$signal $what: status $status"
  (( ms < 1000 )) || fail "SIG$signal $what: took $ms ms"
}

start
shot installed-menu
[[ -d $user/TESTS && ! -L $user/TESTS ]] || fail "no real TESTS folder in $user"
[[ -L $user/TESTS/ZEK.TST && $(readlink "$user/TESTS/ZEK.TST") == "$prefix/lib/kestrava/TESTS/ZEK.TST" ]] ||
  fail "ZEK.TST is not linked into the user's folder"
[[ -d $user/TESTS/graphics && ! -L $user/TESTS/graphics ]] || fail "no real graphics folder in $user"
[[ -d $user/TESTS/MFR && ! -L $user/TESTS/MFR && -L $user/TESTS/MFR/MFR.TST ]] ||
  fail "Mehrfachreaktion's folder is not mirrored in $user"

# A whole minute: the result file appears in the user's folder.
start_zek
rlt=$user/TESTS/ZEK.RLT
for _ in $(seq 700); do [[ -s $rlt ]] && break; sleep 0.1; done
[[ -s $rlt ]] || fail "the run wrote no result file in the user's folder"
[[ -f $rlt && ! -L $rlt ]] || fail "ZEK.RLT is not the user's own file"
sleep 1
shot installed-end-screen
xdotool key Return
sleep 1

# SIGTERM in the menu.
rm -f "$user/velomar.INI"
end_with TERM "in the menu"
[[ -s $user/velomar.INI ]] || fail "SIGTERM in the menu: velomar.INI not written"

# SIGTERM during a running test: no record for it.
start
rm -f "$user/velomar.INI"
size=$(stat -c %s "$rlt")
start_zek
sleep 3
shot installed-running
end_with TERM "during a test"
[[ -s $user/velomar.INI ]] || fail "SIGTERM during a test: velomar.INI not written"
(( $(stat -c %s "$rlt") == size )) || fail "SIGTERM during a test: a record was added"

# SIGINT (Ctrl+C) in the menu.
start
rm -f "$user/velomar.INI"
end_with INT "in the menu"
[[ -s $user/velomar.INI ]] || fail "SIGINT in the menu: velomar.INI not written"

# The results tool on the PATH reads the user's folder by itself.
HOME=$home PATH=$prefix/bin:$PATH env -u XDG_DATA_HOME kestrava-results --what records >"$out/results.csv" ||
  fail "kestrava-results failed"
(( $(grep -c '^[0-9]' "$out/results.csv") == 1 )) || { cat "$out/results.csv" >&2; fail "kestrava-results does not show the one record"; }

snapshot >"$work/prefix-after"
diff "$work/prefix-before" "$work/prefix-after" >&2 || fail "something was written under the install prefix"
echo "e2e-install: ok (screenshots in $out)"
