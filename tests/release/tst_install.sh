#!/bin/bash
# Installs the build into a scratch prefix and checks the installed tree, that
# a second install keeps the user's settings and libraries, and where the
# launcher runs the program: in place when the program folder is writable,
# otherwise in a per-user folder that it fills without overwriting anything.
set -euo pipefail
build=$1
src=$2
id=org.kelvaro.Lexivane

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
chmod 755 "$scratch"
prefix=$scratch/usr
fail() { echo "FAIL: $*"; exit 1; }
install_tree() { cmake --install "$build" --prefix "$prefix" >/dev/null; }

install_tree
program_dir=$prefix/lib/lexivane
for f in "$program_dir/lexivane" "$prefix/bin/lexivane"; do
    [ -x "$f" ] || fail "$f missing or not executable"
done
cmp -s "$program_dir/lexvan.ini" "$src/data/lexvan.ini.template" || fail "lexvan.ini is not the template"
for library in "$src"/data/*.txt; do
    cmp -s "$library" "$program_dir/data/$(basename "$library")" || fail "sample $(basename "$library") missing"
done
[ -f "$prefix/share/applications/$id.desktop" ] || fail "desktop entry missing"
[ -f "$prefix/share/metainfo/$id.metainfo.xml" ] || fail "metainfo missing"
for size in 16 22 24 32 48 64 128 256; do
    [ -f "$prefix/share/icons/hicolor/${size}x$size/apps/$id.png" ] || fail "icon $size missing"
done

# A second install: the user's edits stay, a removed sample comes back.
printf '[Form1LastData]\r\nWordGroup=7\r\n' >"$program_dir/lexvan.ini"
printf 'mine\r\n我的\r\n' >"$program_dir/data/basic.txt"
rm "$program_dir/data/fruit.txt"
install_tree
grep -q "WordGroup=7" "$program_dir/lexvan.ini" || fail "reinstall replaced lexvan.ini"
grep -q "^mine" "$program_dir/data/basic.txt" || fail "reinstall replaced a user's library"
[ -f "$program_dir/data/fruit.txt" ] || fail "reinstall did not restore a missing sample"

# From here the program is a stand-in that reports where it was started.
stand_in() {
    printf '#!/bin/sh\necho "%s ran in $PWD"\n' "$1" >"$program_dir/lexivane"
    chmod 755 "$program_dir/lexivane"
}
stand_in v1

out=$("$prefix/bin/lexivane")
[ "$out" = "v1 ran in $program_dir" ] || fail "writable folder: $out"
mkdir "$scratch/elsewhere"
ln -s "$prefix/bin/lexivane" "$scratch/elsewhere/lexivane"
out=$("$scratch/elsewhere/lexivane")
[ "$out" = "v1 ran in $program_dir" ] || fail "through a symbolic link: $out"

# A program folder the user cannot write to, as after a system-wide install.
home=$scratch/home
mkdir -p "$home"
if [ "$(id -u)" -eq 0 ]; then
    command -v setpriv >/dev/null || { echo "SKIP: running as root without setpriv"; exit 77; }
    chown nobody "$home"
    as_user() { setpriv --reuid=nobody --regid=nogroup --clear-groups env -u XDG_DATA_HOME HOME="$home" "$@"; }
else
    chmod -R a-w "$program_dir"
    as_user() { env -u XDG_DATA_HOME HOME="$home" "$@"; }
fi
user_dir=$home/.local/share/lexivane

out=$(as_user "$prefix/bin/lexivane")
[ "$out" = "v1 ran in $user_dir" ] || fail "read-only folder: $out"
cmp -s "$program_dir/lexvan.ini" "$user_dir/lexvan.ini" || fail "per-user lexvan.ini not copied"
cmp -s "$program_dir/data/fruit.txt" "$user_dir/data/fruit.txt" || fail "per-user sample not copied"

# The user's own changes survive the next start; a new program is picked up.
as_user sh -c "printf 'user\r\n' >'$user_dir/lexvan.ini'; printf 'own\r\n' >'$user_dir/data/fruit.txt'"
[ "$(id -u)" -eq 0 ] || chmod -R u+w "$program_dir"
stand_in v2
[ "$(id -u)" -eq 0 ] || chmod -R a-w "$program_dir"
out=$(as_user "$prefix/bin/lexivane")
[ "$out" = "v2 ran in $user_dir" ] || fail "updated program not picked up: $out"
grep -q "^user" "$user_dir/lexvan.ini" || fail "launcher overwrote the user's lexvan.ini"
grep -q "^own" "$user_dir/data/fruit.txt" || fail "launcher overwrote the user's library"
[ "$(id -u)" -eq 0 ] || chmod -R u+w "$program_dir"

echo "install tree and launcher: passed"
