#!/usr/bin/env bash
# Checks Dawnbell as a desktop program: builds it in Release (build-install/), installs it into a temporary folder
# as a package would (prefix /usr under DESTDIR), validates the installed desktop entry and AppStream metainfo,
# starts the installed program offscreen and checks that it keeps running, then builds the Debian package and
# checks what it depends on. On Debian 12; as root it installs the validators when they are missing.
set -euo pipefail
cd "$(dirname "$0")/.."

app_id=org.dawnbell.Dawnbell
build=build-install

# desktop-file-validate, appstreamcli, and dpkg-shlibdeps for the package's dependencies come with the set-up.
scripts/setup-debian.sh

failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

echo "== Release build in $build"
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX=/usr -DDAWNBELL_TESTS=OFF >/dev/null
cmake --build "$build"

work=$(mktemp -d)
program_pid=
cleanup() {
  if [ -n "$program_pid" ]; then kill "$program_pid" 2>/dev/null || true; fi
  rm -rf "$work"
}
trap cleanup EXIT
stage=$work/stage

echo "== Installed into a temporary folder (DESTDIR, prefix /usr)"
DESTDIR=$stage cmake --install "$build" >/dev/null
(cd "$stage" && find . \( -type f -o -type l \) -printf '%s\t%P\n' | sort -k2 | awk -F'\t' '{printf "%9d  %s\n", $1, $2}')

expected=(
  usr/bin/dawnbell
  usr/libexec/dawnbell/mcish
  "usr/share/applications/$app_id.desktop"
  "usr/share/metainfo/$app_id.metainfo.xml"
  "usr/share/icons/hicolor/scalable/apps/$app_id.svg"
  usr/share/dawnbell/help.txt
  usr/share/dawnbell/pages/dawnbell/dawnbell.css
)
for size in 16 22 24 32 48 64 128 256; do
  expected+=("usr/share/icons/hicolor/${size}x${size}/apps/$app_id.png")
done
for page in index qa addins updates bug suggest mail_list; do
  expected+=("usr/share/dawnbell/pages/dawnbell/$page.html")
done
for file in "${expected[@]}"; do
  [ -s "$stage/$file" ] || fail "not installed: $file"
done
# The program finds its data by the path from its own folder: ../share/dawnbell.
[ -f "$stage/usr/bin/../share/dawnbell/help.txt" ] || fail "help.txt is not at ../share/dawnbell from the program"

echo "== desktop-file-validate"
if desktop-file-validate "$stage/usr/share/applications/$app_id.desktop"; then echo "valid"; else fail "desktop entry"; fi

echo "== appstreamcli validate --no-net"
if appstreamcli validate --no-net "$stage/usr/share/metainfo/$app_id.metainfo.xml"; then :; else fail "metainfo"; fi

echo "== The installed program, offscreen, for 3 s"
home=$work/home
mkdir -p "$home/run" && chmod 700 "$home/run"
(
  unset DAWNBELL_DATA_DIR
  export HOME=$home XDG_CONFIG_HOME=$home/.config XDG_DATA_HOME=$home/.local/share XDG_RUNTIME_DIR=$home/run
  export QT_QPA_PLATFORM=offscreen SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE=$home/audio.raw SDL_DISKAUDIODELAY=0
  exec "$stage/usr/bin/dawnbell"
) >"$work/program.log" 2>&1 &
program_pid=$!
sleep 3
if kill -0 "$program_pid" 2>/dev/null; then
  echo "still running after 3 s"
  kill "$program_pid"
  wait "$program_pid" 2>/dev/null || true
else
  wait "$program_pid" && status=0 || status=$?
  fail "the installed program ended within 3 s (exit status $status)"
fi
program_pid=
if [ -s "$work/program.log" ]; then
  echo "-- what it printed:"
  cat "$work/program.log"
fi

echo "== Debian package"
rm -rf "$build/packages"
(cd "$build" && cpack -G DEB -B "$PWD/packages" >/dev/null)
deb=$(find "$build/packages" -maxdepth 1 -name 'dawnbell_*.deb' | head -n 1)
if [ -z "$deb" ]; then
  fail "cpack made no dawnbell_*.deb"
else
  echo "$deb ($(stat -c %s "$deb") bytes)"
  dpkg-deb -f "$deb" Package Version Architecture Installed-Size Depends
  depends=$(dpkg-deb -f "$deb" Depends)
  for needed in fluid-soundfont-gm shared-mime-info qt6-qpa-plugins libqt6svg6 libqt6widgets6 libcdio; do
    grep -q "$needed" <<<"$depends" || fail "the package does not depend on $needed"
  done
  contents=$(dpkg-deb -c "$deb")
  grep -q "\./usr/bin/dawnbell$" <<<"$contents" || fail "the package holds no usr/bin/dawnbell"
  echo "$(grep -c -v '/$' <<<"$contents") files in the package"
fi

if [ "$failures" -gt 0 ]; then
  echo "check-install: $failures check(s) failed"
  exit 1
fi
echo "check-install: everything installed, valid and running"
