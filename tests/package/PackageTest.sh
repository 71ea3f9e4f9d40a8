#!/usr/bin/env bash
# Builds the Debian package from this build, checks it with lintian, unpacks
# it into a temp root and runs the unpacked program offscreen as a user who
# did not install it (nobody, when run as root), with a fresh home folder:
# the first start makes the user's folder with an empty database, a Save
# through the window stores an address there, and the next start still
# shows it. Then the desktop entry and AppStream metadata are validated.
#
#   PackageTest.sh <cpack> <build dir> <window driver> <icon source>
set -euo pipefail
cpack=$1 build=$2 driver=$3 icon_source=$4

fail() {
  echo "FAIL: $*" >&2
  exit 1
}
expect_line() {  # expect_line <output> <line>
  grep -qxF -- "$2" <<<"$1" || fail "expected the line '$2' in:"$'\n'"$1"
}

work=$(mktemp -d /tmp/orvane-package.XXXXXX)
trap 'rm -rf "$work"' EXIT
chmod 755 "$work"
cd "$work"

echo "== Package"
"$cpack" --config "$build/CPackConfig.cmake" -B "$work/dist" >cpack.log 2>&1 || { cat cpack.log; fail "cpack"; }
shopt -s nullglob
debs=("$work"/dist/*.deb)
((${#debs[@]} == 1)) || fail "expected one package, found: ${debs[*]}"
deb=${debs[0]}
version=$(dpkg-deb -f "$deb" Version)
[[ $(basename "$deb") == "orvane_${version}_amd64.deb" ]] || fail "package file name: $(basename "$deb")"
depends=$(dpkg-deb -f "$deb" Depends)
# The names of the packages depended on, one a line (alternatives too).
depended=$(tr ',|' '\n\n' <<<"$depends" | sed 's/^ *//; s/[ (].*//')
grep -qxF 'libqt6widgets6' <<<"$depended" || fail "no dependencies found from the shared libraries"
# Qt's keychain library opens libsecret at run time, where no tool sees it.
grep -qxF 'libsecret-1-0' <<<"$depended" || fail "the package does not depend on libsecret-1-0: $depends"
# Nothing in the package may replace or remove a user's addresses.
if dpkg-deb -c "$deb" | grep -iE 'Database|\.mdb'; then fail "the package holds a database"; fi

echo "== lintian"
lintian_status=0
lintian --fail-on error "$deb" >lintian.log 2>&1 || lintian_status=$?
grep -v 'running with root privileges' lintian.log || true
((lintian_status == 0)) || fail "lintian found errors"
echo "lintian: no errors"

echo "== Unpacked files"
root=$work/root
dpkg-deb -x "$deb" "$root"
chmod 755 "$root"
for program in "$root"/usr/bin/*; do
  name=$(basename "$program")
  if readelf -S --wide "$program" | grep -qE '\.debug_|\.symtab'; then fail "$name is not stripped"; fi
  [[ -f $root/usr/share/man/man1/$name.1.gz ]] || fail "no manual page for $name"
done
# Every shared library a program links comes from a package it depends on
# (the keychain library among them, once a program uses it).
for program in "$root"/usr/bin/*; do
  for soname in $(readelf -d "$program" | sed -n 's/.*(NEEDED).*\[\(.*\)\]/\1/p'); do
    # awk reads to the end: an early exit would kill ldconfig with SIGPIPE,
    # which pipefail turns into a failed assignment that ends the script.
    library=$(ldconfig -p | awk -v name="$soname" '$1 == name && /x86-64/ && !found { print $NF; found = 1 }')
    [[ -n $library ]] || fail "$(basename "$program") needs $soname, which is not installed here"
    # The package lists the file under /usr/lib or /lib, whichever it ships.
    owner=$(dpkg -S "$(readlink -f "$library")" 2>/dev/null | head -n1 | cut -d: -f1) || true
    [[ -n $owner ]] || owner=$(dpkg -S "$library" 2>/dev/null | head -n1 | cut -d: -f1) || true
    [[ -n $owner ]] || fail "no installed package holds $library"
    grep -qxF "$owner" <<<"$depended" ||
      fail "$(basename "$program") needs $soname from $owner, which the package does not depend on: $depends"
  done
done
desktop=$(echo "$root"/usr/share/applications/*.desktop)
metainfo=$(echo "$root"/usr/share/metainfo/*.metainfo.xml)
[[ -f $desktop && -f $metainfo ]] || fail "desktop entry or AppStream metadata missing"
id=$(basename "$desktop" .desktop)
desktop-file-validate "$desktop" || fail "desktop-file-validate"
appstreamcli validate --no-net "$metainfo" || fail "appstreamcli validate"
grep -qxF "Exec=orvane" "$desktop" || fail "the desktop entry does not start orvane"
grep -qxF "Icon=$id" "$desktop" || fail "the desktop entry's icon is not $id"
cmp "$icon_source" "$root/usr/share/icons/hicolor/scalable/apps/$id.svg" || fail "the menu icon is not installed as $id.svg"
grep -qF "<launchable type=\"desktop-id\">$id.desktop</launchable>" "$metainfo" || fail "launchable"
for binary in $(sed -n 's:.*<binary>\(.*\)</binary>.*:\1:p' "$metainfo"); do
  [[ -x $root/usr/bin/$binary ]] || fail "the metadata names $binary, which is not installed"
done
[[ -f $root/usr/share/doc/orvane/copyright && -f $root/usr/share/doc/orvane/changelog.gz ]] || fail "licence or changelog"

echo "== Running the unpacked program as another user"
home=$work/home
mkdir "$home"
cp "$driver" "$work/driver.so"
chmod 644 "$work/driver.so"
# A Database folder beside the installed program that this user cannot
# write (root's) must not become the application folder.
mkdir "$root/usr/bin/Database"
if (($(id -u) == 0)); then
  as_user=(setpriv --reuid=nobody --regid=nogroup --clear-groups --)
  chown nobody:nogroup "$home"
  user=nobody
else
  as_user=()
  chmod 555 "$root/usr/bin/Database"
  user=$(id -un)
fi
start() {  # start <what the driver does>; prints the driver's report
  local status=0
  "${as_user[@]}" env -i HOME="$home" PATH=/usr/bin:/bin QT_QPA_PLATFORM=offscreen \
    LD_PRELOAD="$work/driver.so" ORVANE_DRIVE="$1" "$root/usr/bin/orvane" >"$work/report" 2>>"$work/program.log" ||
    status=$?
  cat "$work/report"
  if ((status != 0)); then
    cat "$work/report" "$work/program.log" >&2
    fail "the program ended with status $status ($1)"
  fi
}

report=$(start list)
echo "$report"
app=$home/.local/share/orvane
[[ -f $app/Database/Addressbook.mdb ]] || fail "no database in $app"
[[ $(stat -c %U "$app/Database/Addressbook.mdb") == "$user" ]] || fail "the database does not belong to $user"
for folder in Lists Documents; do
  [[ -L $app/$folder && $(readlink -f "$app/$folder") == $(readlink -f "$root/usr/share/orvane/$folder") ]] ||
    fail "$app/$folder does not lead to the installed $folder"
done
expect_line "$report" "rows 0"
grep -qxE 'choices [1-9][0-9]* [1-9][0-9]*' <<<"$report" || fail "the choice lists were not filled"

report=$(start "add Ada Lovelace")
echo "$report"
expect_line "$report" "rows 1"
expect_line "$report" "row Ada, Lovelace"

report=$(start list)
echo "$report"
expect_line "$report" "rows 1"
expect_line "$report" "row Ada, Lovelace"
[[ -z $(find "$root" -name '*.mdb') ]] || fail "a database appeared beside the installed program"
echo "== Passed"
