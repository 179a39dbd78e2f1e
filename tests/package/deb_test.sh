#!/usr/bin/env bash
# Builds the Debian package from this build tree, unpacks it into a temporary root and uses what it installs:
# plok-cli --version, an anonymisation, and plok started as a user whose settings must land in ~/.config/plok.
# Usage: deb_test.sh BUILD_DIR CPACK PLOK_GEN_CLAIMS VERSION
set -euo pipefail

build=$1
cpack=$2
gen=$3
version=$4

if ! command -v dpkg-deb >/dev/null || ! command -v dpkg-shlibdeps >/dev/null; then
    echo "SKIPPED: dpkg-deb and dpkg-shlibdeps are needed to build and unpack the package"
    exit 77
fi

work=$(mktemp -d "${TMPDIR:-/tmp}/plok-deb-test.XXXXXX")
pid=
cleanup() {
    [[ -n $pid ]] && kill -KILL "$pid" 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT

failures=0
fail() {
    echo "FAILED: $*" >&2
    failures=$((failures + 1))
}

"$cpack" --config "$build/CPackConfig.cmake" -G DEB -B "$work/cpack" >"$work/cpack.log" 2>&1 || {
    cat "$work/cpack.log" >&2
    exit 1
}
deb=$work/cpack/plok_${version}_amd64.deb
[[ -f $deb ]] || {
    ls -l "$work/cpack" >&2
    echo "FAILED: no $deb" >&2
    exit 1
}

depends=$(dpkg-deb -f "$deb" Depends)
for dep in fonts-noto-cjk qt6-qpa-plugins qt6-translations-l10n libqt6widgets6 libnettle8 libc6; do
    [[ $depends == *"$dep"* ]] || fail "Depends lacks $dep: $depends"
done
# The conversion tables are the program's own: no ICU at run time.
[[ $depends != *libicu* ]] || fail "Depends names ICU: $depends"

root=$work/root
dpkg-deb -x "$deb" "$root"
for file in usr/bin/plok usr/bin/plok-cli usr/share/applications/plok.desktop \
    usr/share/icons/hicolor/scalable/apps/plok.svg usr/share/icons/hicolor/256x256/apps/plok.png \
    usr/share/metainfo/jp.plok.plok.metainfo.xml usr/share/man/man1/plok.1.gz usr/share/man/man1/plok-cli.1.gz \
    usr/share/man/ja/man1/plok.1.gz usr/share/man/ja/man1/plok-cli.1.gz usr/share/doc/plok/copyright \
    usr/share/doc/plok/LICENSE usr/share/doc/plok/changelog.gz usr/share/bash-completion/completions/plok-cli; do
    [[ -f $root/$file ]] || fail "missing /$file"
done
if command -v readelf >/dev/null; then
    for program in plok plok-cli; do
        readelf -S "$root/usr/bin/$program" | grep -q '\.symtab' && fail "/usr/bin/$program is not stripped"
    done
fi
if command -v appstreamcli >/dev/null; then
    appstreamcli validate --no-net "$root/usr/share/metainfo/jp.plok.plok.metainfo.xml" >"$work/appstream.log" 2>&1 ||
        fail "appstreamcli validate: $(cat "$work/appstream.log")"
fi
zcat "$root/usr/share/man/man1/plok-cli.1.gz" | grep -q "plok $version" || fail "plok-cli(1) names another version"

# plok-cli as installed.
out=$("$root/usr/bin/plok-cli" --version) || fail "plok-cli --version exited $?"
[[ $out == "plok-cli $version" ]] || fail "plok-cli --version printed '$out'"
mkdir "$work/in" "$work/out"
"$gen" --payer national --receipts 50 --seed 3 --month 50606 "$work/in/RECEIPTC.UKE" >/dev/null
out=$("$root/usr/bin/plok-cli" anonymize --out "$work/out" "$work/in/RECEIPTC.UKE") || fail "anonymize exited $?"
[[ $out == 50606_2.UKE ]] || fail "anonymize printed '$out'"
[[ -s $work/out/50606_2.UKE ]] || fail "no anonymised copy"
cmp -s "$work/in/RECEIPTC.UKE" "$work/out/50606_2.UKE" && fail "the copy equals the original"

# The bash completion as bash-completion loads it.
if [[ -f /usr/share/bash-completion/bash_completion ]]; then
    completions=$(
        bash -c '
            source /usr/share/bash-completion/bash_completion
            source "$1"
            complete_words() {
                COMP_WORDS=("$@"); COMP_CWORD=$((${#COMP_WORDS[@]} - 1)); COMPREPLY=()
                COMP_LINE="$*"; COMP_POINT=${#COMP_LINE}
                _plok_cli plok-cli "${COMP_WORDS[-1]}" "${COMP_WORDS[-2]}"
                echo "${COMPREPLY[*]}"
            }
            complete -p plok-cli
            complete_words plok-cli str
            complete_words plok-cli strip-branch --mode ""
            complete_words plok-cli -
        ' bash "$root/usr/share/bash-completion/completions/plok-cli"
    ) || fail "bash completion failed"
    expected=$'complete -F _plok_cli plok-cli\nstrip-branch\nsymbol position none\n--help -h --version -V'
    [[ $completions == "$expected" ]] || fail "bash completion gave: $completions"
fi

# plok as installed, started by a user with a fresh home: nothing may be written beside the executable.
out=$(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$root/usr/bin/plok" --version) || fail "plok --version"
[[ $out == "plok $version" ]] || fail "plok --version printed '$out'"
home=$work/home
mkdir -p "$home" "$work/runtime"
chmod 700 "$work/runtime"
env -u XDG_CONFIG_HOME -u XDG_DATA_HOME -u DISPLAY -u WAYLAND_DISPLAY HOME="$home" \
    XDG_RUNTIME_DIR="$work/runtime" QT_QPA_PLATFORM=offscreen "$root/usr/bin/plok" 2>"$work/plok.err" &
pid=$!
for ((i = 0; i < 600; i++)); do
    [[ -d $home/.local/share/plok ]] && break
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.1
done
[[ -d $home/.local/share/plok ]] || fail "no work folder ~/.local/share/plok: $(cat "$work/plok.err")"
[[ $(stat -c %a "$home/.local/share/plok") == 700 ]] || fail "the work folder is not private"
kill -TERM "$pid"
for ((i = 0; i < 600; i++)); do
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.1
done
if kill -0 "$pid" 2>/dev/null; then
    fail "plok is still running a minute after SIGTERM"
else
    status=0
    wait "$pid" || status=$?
    pid=
    [[ $status == 0 ]] || fail "plok ended with $status on SIGTERM: $(cat "$work/plok.err")"
fi
grep -q '^CB1=' "$home/.config/plok/user.ini" 2>/dev/null || fail "no CB1 in ~/.config/plok/user.ini"

# The strong anonymisation of plok-cli as installed takes the clinic key from plok's settings folder, made on first use.
mkdir "$work/strong"
out=$(env -u XDG_CONFIG_HOME HOME="$home" "$root/usr/bin/plok-cli" anonymize --strong --audit --out "$work/strong" \
    "$work/in/RECEIPTC.UKE") || fail "anonymize --strong exited $?"
[[ $out == 50606_2_strong.UKE ]] || fail "anonymize --strong printed '$out'"
[[ $(stat -c '%a %s' "$home/.config/plok/plok.key" 2>/dev/null) == "600 32" ]] ||
    fail "no private 32-byte key in ~/.config/plok: $(ls -l "$home/.config/plok")"
cmp -s "$work/out/50606_2.UKE" "$work/strong/50606_2_strong.UKE" && fail "the strong copy equals the default one"
[[ $(ls "$root/usr/bin") == $'plok\nplok-cli' ]] || fail "files beside the executable: $(ls "$root/usr/bin")"

if ((failures > 0)); then
    exit 1
fi
echo "package $(basename "$deb"): $(stat -c %s "$deb") bytes, every check passed"
