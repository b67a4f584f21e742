#!/usr/bin/env bash
# Builds the Debian package (`make package`) and checks it: the versions agree, lintian finds
# no error (its warnings are listed), the menu entry and the AppStream data validate, the
# icons have their sizes, the manual page names every command. As root (CI) it then installs
# the package, runs quillmark-cli and the window from /usr/bin for a user without a data
# folder, removes the package and checks that the user's data stayed.
#
#   packaging/check-package.sh [BUILD-FOLDER]    (default: build, the folder `make test` uses)
set -euo pipefail
cd "$(dirname "$0")/.."
BUILD=${1:-build}
start=$(date +%s)
fail() { echo "check-package: FAILED: $*" >&2; exit 1; }
step() { echo "== check-package: $*"; }

scratch=$(mktemp -d /tmp/quillmark-package-XXXXXX)
trap 'rm -rf "$scratch"' EXIT

step "building the package in $BUILD"
make --no-print-directory package BUILD="$BUILD"
debs=("$BUILD"/quillmark_*_amd64.deb)
[ ${#debs[@]} -eq 1 ] && [ -f "${debs[0]}" ] || fail "expected one quillmark_*_amd64.deb in $BUILD"
deb=$(realpath "${debs[0]}")

step "versions"
version=$(dpkg-deb -f "$deb" Version)
project_version=$(sed -n 's/^project(Quillmark VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
[ "$version" = "$project_version" ] || fail "package version $version, project version $project_version"
[ "$(basename "$deb")" = "quillmark_${version}_amd64.deb" ] || fail "package file named $(basename "$deb")"
head -n 1 packaging/changelog | grep -q "^quillmark ($version) " ||
  fail "packaging/changelog has no entry for $version on top"
grep -q "<release version=\"$version\"" packaging/io.github.quillmark.Quillmark.metainfo.xml ||
  fail "the metainfo's releases do not name $version"
for field in Maintainer Description Section Homepage Depends; do
  [ -n "$(dpkg-deb -f "$deb" "$field")" ] || fail "control field $field is empty"
done
dpkg-deb -f "$deb" Depends | grep -q 'libqt6widgets6' || fail "Depends lacks the libraries read from the programs"
dpkg-deb -f "$deb" Depends | grep -q 'fonts-noto-cjk' || fail "Depends lacks fonts-noto-cjk"

step "lintian"
# Exit status non-zero on an error; warnings and notes are listed.
lintian --allow-root --display-info --fail-on error "$deb" | tee "$scratch/lintian.txt" || fail "lintian found errors"
echo "lintian: $(grep -c '^E:' "$scratch/lintian.txt" || true) errors, $(grep -c '^W:' "$scratch/lintian.txt" || true) warnings, $(grep -c '^I:' "$scratch/lintian.txt" || true) notes"

step "contents: menu entry, AppStream data, icons, manual pages"
tree="$scratch/tree"
dpkg-deb -x "$deb" "$tree"
desktop-file-validate "$tree/usr/share/applications/quillmark.desktop"
appstreamcli validate --no-net "$tree/usr/share/metainfo/io.github.quillmark.Quillmark.metainfo.xml"
for size in 16 24 32 48 64 128 256; do
  icon="$tree/usr/share/icons/hicolor/${size}x${size}/apps/quillmark.png"
  file "$icon" | grep -q "PNG image data, $size x $size," || fail "icon $icon: $(file -b "$icon")"
done
[ -f "$tree/usr/share/icons/hicolor/scalable/apps/quillmark.svg" ] || fail "no scalable icon"
for sub in DaTiKa sys help sample ShiJuan MingCe ChengJi; do
  [ -d "$tree/usr/share/quillmark/$sub" ] || fail "the template lacks $sub"
done
man_text=$(zcat "$tree/usr/share/man/man1/quillmark-cli.1.gz")
zcat "$tree/usr/share/man/man1/quillmark.1.gz" | grep -q '^\.TH QUILLMARK 1' || fail "quillmark.1 is not a manual page"
for command in $("$BUILD/bin/quillmark-cli" --help | sed -n '/^Subcommands:/,$s/^  \([a-z][a-z-]*\) .*/\1/p'); do
  grep -q "^\\\\fB$command" <<<"$man_text" || fail "quillmark-cli.1 does not describe the command $command"
done

if [ "$(id -u)" -ne 0 ]; then
  step "not root: the package is not installed (run as root to check installing it)"
  echo "check-package: passed without the install check in $(( $(date +%s) - start )) s"
  exit 0
fi

step "installing $deb"
export DEBIAN_FRONTEND=noninteractive
# Recommends left out: what the programs need is in Depends, and CI may have no network.
apt-get install -y -q --no-install-recommends "$deb" >"$scratch/apt-install.txt" 2>&1 || { cat "$scratch/apt-install.txt"; fail "apt-get install"; }
removed=0
cleanup_package() { [ "$removed" = 1 ] || apt-get remove -y -q quillmark >/dev/null 2>&1 || true; rm -rf "$scratch"; }
trap cleanup_package EXIT
[ -x /usr/bin/quillmark ] && [ -x /usr/bin/quillmark-cli ] || fail "the programs are not in /usr/bin"

# A user without a data folder: HOME in a fresh folder, nothing in the environment naming one.
run_as_new_user() {
  local home=$1; shift
  env -u QUILLMARK_HOME -u XDG_DATA_HOME HOME="$home" "$@"
}

step "quillmark-cli from /usr/bin makes the user's data folder"
user1="$scratch/user1"
mkdir -p "$user1"
data1="$user1/.local/share/Quillmark"
(cd "$user1" && run_as_new_user "$user1" /usr/bin/quillmark-cli info) >"$scratch/info.txt" || fail "quillmark-cli info"
head -n 1 "$scratch/info.txt"
tail -n 1 "$scratch/info.txt"
grep -qx "程序文件夹: $data1" "$scratch/info.txt" || fail "info does not name $data1"
grep -q '^程序文件夹来源: 用户数据文件夹' "$scratch/info.txt" || fail "info does not say the folder is the user's"
for path in DaTiKa/1000111001.CAR sys/sys.cho help/index.html help/en/index.html sample/sheet-0101.jpg ShiJuan/示例试卷.CHO MingCe/示例名册.TXT; do
  [ -f "$data1/$path" ] || fail "$data1/$path was not made"
done
[ -d "$data1/ChengJi" ] || fail "$data1/ChengJi was not made"

step "marking the sample sheets with the installed quillmark-cli"
run_as_new_user "$user1" /usr/bin/quillmark-cli mark --paper 示例试卷.CHO --roster 示例名册.TXT \
  --on-unknown-type skip --on-unknown-number add --save 安装检查 "$data1/sample" | tail -n 3 || true
ls "$data1/ChengJi" | grep -qi '^安装检查\.txt$' || fail "the results set 安装检查 was not saved"

step "the window from /usr/bin on a virtual display (5 s)"
user2="$scratch/user2"
mkdir -p "$user2"
cat >"$scratch/window.sh" <<'EOF'
/usr/bin/quillmark >"$1" 2>&1 &
pid=$!
sleep 5
if ! kill -0 "$pid" 2>/dev/null; then
  wait "$pid"; echo "quillmark ended by itself within 5 s (status $?)"; exit 1
fi
kill -TERM "$pid"
wait "$pid" || true
exit 0
EOF
run_as_new_user "$user2" QT_QPA_PLATFORM=xcb timeout 60 xvfb-run -a bash "$scratch/window.sh" "$scratch/window.txt" ||
  { cat "$scratch/window.txt"; fail "the window did not keep running"; }
echo "quillmark kept running for 5 s; its output:"
sed 's/^/  /' "$scratch/window.txt"
[ -f "$user2/.local/share/Quillmark/sys/sys.cho" ] || fail "the window did not make the user's data folder"

step "removing the package leaves the user's data"
apt-get remove -y -q quillmark >"$scratch/apt-remove.txt" 2>&1 || { cat "$scratch/apt-remove.txt"; fail "apt-get remove"; }
removed=1
[ ! -e /usr/bin/quillmark ] || fail "/usr/bin/quillmark is still there"
ls "$data1/ChengJi" | grep -qi '^安装检查\.txt$' || fail "the user's results went with the package"
[ -f "$data1/ShiJuan/示例试卷.CHO" ] || fail "the user's exam paper went with the package"

echo "check-package: passed in $(( $(date +%s) - start )) s"
