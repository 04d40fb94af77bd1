#!/usr/bin/env bash
# Builds the Debian package (scripts/package.sh) and checks it: lintian (no
# errors), desktop-file-validate, appstreamcli validate, the manual pages;
# then installs it for real, starts the installed /usr/bin/quoran under Xvfb
# as a normal user, closes it by its menu (Datei -> Exit) and checks that its
# settings went to that user's ~/.config/quoran/quoran.ini and that nothing
# was written in /usr/bin. Removes the package and the user again at the end.
# Needs root (CI runs as root) or sudo.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
export DEBIAN_FRONTEND=noninteractive

"$root/scripts/setup.sh" --packages

bash "$root/scripts/package.sh"
debs=("$root"/dist/quoran_*_*.deb)
deb=${debs[0]}
echo "== $deb"

fail() {
    echo "check-package: $*" >&2
    exit 1
}

echo "== lintian"
lintian --fail-on error --display-info "$deb" || fail "lintian reports errors"

contents=$(mktemp -d)
user=quoran-ci
cleanup() {
    rm -rf "$contents"
    if dpkg-query -W -f='${Status}' quoran 2>/dev/null | grep -q 'install ok installed'; then
        $sudo apt-get remove -y quoran > /dev/null
    fi
    if id "$user" > /dev/null 2>&1; then
        $sudo userdel -r "$user" 2> /dev/null || true
    fi
}
trap cleanup EXIT
dpkg-deb -x "$deb" "$contents"

echo "== version"
version=$(dpkg-deb -f "$deb" Version)
[ "$(basename "$deb")" = "quoran_${version}_$(dpkg-deb -f "$deb" Architecture).deb" ] ||
    fail "$(basename "$deb") does not carry the package's version $version"
case $version in *-*) ;; *) fail "version $version has no Debian revision" ;; esac
changelog=$(zcat "$contents/usr/share/doc/quoran/changelog.Debian.gz" | sed -n '1s/^quoran (\([^)]*\)).*/\1/p')
[ "$changelog" = "$version" ] || fail "the changelog's last entry is $changelog, the package $version"
echo "$version"

echo "== desktop-file-validate"
desktop-file-validate "$contents"/usr/share/applications/*.desktop || fail "desktop entry invalid"

echo "== appstreamcli validate --no-net"
appstreamcli validate --no-net "$contents"/usr/share/metainfo/*.metainfo.xml || fail "AppStream metadata invalid"

echo "== manual pages"
for page in "$contents"/usr/share/man/man1/*.1.gz; do
    warnings=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -E UTF-8 -l -Tutf8 -Z "$page" 2>&1 > /dev/null)
    [ -z "$warnings" ] || fail "$(basename "$page"): $warnings"
    echo "$(basename "$page"): ok"
done

echo "== install"
$sudo apt-get install -y --reinstall "$deb"
for program in quoran quoran-sim; do
    [ -x "/usr/bin/$program" ] || fail "/usr/bin/$program missing"
done

echo "== start as a normal user under Xvfb, close by Datei -> Exit"
id "$user" > /dev/null 2>&1 || $sudo useradd --create-home --shell /bin/bash "$user"
home=$(getent passwd "$user" | cut -d: -f6)
$sudo rm -rf "$home/.config/quoran"
marker=$(mktemp)
sleep 1 # a clear second between the marker and anything written after it

# Waits for the main window (the start window is smaller), clicks into it,
# opens "Datei" with Alt+D and takes its first item, "Exit", with Return.
# shellcheck disable=SC2016
driver='
/usr/bin/quoran & pid=$!
main=
for _ in $(seq 150); do
    for w in $(xdotool search --onlyvisible --name "^Quoran$" 2>/dev/null); do
        width=$(xdotool getwindowgeometry --shell "$w" 2>/dev/null | sed -n "s/^WIDTH=//p")
        [ "${width:-0}" -ge 1000 ] && main=$w
    done
    [ -n "$main" ] && break
    sleep 0.2
done
if [ -z "$main" ]; then echo "no main window" >&2; kill "$pid"; exit 1; fi
sleep 1
xdotool mousemove --window "$main" 600 500 click 1
sleep 0.5
xdotool key alt+d
sleep 0.5
xdotool key Return
for _ in $(seq 100); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
if kill -0 "$pid" 2>/dev/null; then echo "still running after Datei -> Exit" >&2; kill "$pid"; exit 1; fi
wait "$pid"
'
status=0
timeout 120 $sudo runuser -u "$user" -- env -i HOME="$home" USER="$user" LOGNAME="$user" \
    PATH=/usr/bin:/bin LANG=C.UTF-8 \
    xvfb-run -a -s "-screen 0 1280x1024x24" bash -c "$driver" || status=$?
[ "$status" -eq 0 ] || fail "the installed program did not start and close normally (status $status)"

ini="$home/.config/quoran/quoran.ini"
$sudo test -f "$ini" || fail "$ini was not written"
$sudo grep -q '^\[Rotorlage\]' "$ini" || fail "$ini holds no settings"
echo "$ini:"
$sudo cat "$ini" | tr -d '\r'
[ ! -e /usr/bin/quoran.ini ] || fail "/usr/bin/quoran.ini was written"
written=$(find /usr/bin -newer "$marker" -print)
rm -f "$marker"
[ -z "$written" ] || fail "written in /usr/bin: $written"

if [ -x /usr/bin/quoran-read ]; then
    echo "== quoran-read --help names the settings file"
    $sudo runuser -u "$user" -- env -i HOME="$home" PATH=/usr/bin:/bin LANG=C.UTF-8 \
        /usr/bin/quoran-read --help | grep -F "$ini" || fail "quoran-read --help does not name $ini"
fi

echo "check-package: package $(basename "$deb") passed"
