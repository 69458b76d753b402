#!/usr/bin/env bash
# Builds the Debian packages from BUILD with cpack, unpacks both into a scratch root with dpkg -x,
# checks that the development package carries exactly the public headers, then builds and runs a
# small host against that root alone, twice: through find_package(qrvTavoli) and through pkg-config.
# Usage: test_install.sh SOURCE_DIR BUILD_DIR
set -euo pipefail

src=${1:?source dir}
build=${2:?build dir}

tmp=$(mktemp -d "${TMPDIR:-/tmp}/qrvtavoli-install.XXXXXX")
trap 'rm -rf "$tmp"' EXIT
root=$tmp/root
prefix=$root/usr

fail() {
    echo "FAIL: $*" >&2
    exit 1
}

# A sanitizer build's library needs the sanitizer runtime loaded first: the host is built with
# the same sanitizers.
hostflags=""
if grep -q '^QRV_SANITIZE:BOOL=ON' "$build/CMakeCache.txt"; then
    hostflags="-fsanitize=address,undefined -fno-omit-frame-pointer"
    export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=0}
fi

# 1. The packages, made in the scratch folder so that the build folder stays as it was.
cpack -G DEB --config "$build/CPackConfig.cmake" -B "$tmp/pkg" >"$tmp/cpack.log" 2>&1 ||
    { cat "$tmp/cpack.log"; fail "cpack -G DEB"; }
runtime=$(find "$tmp/pkg" -maxdepth 1 -name 'libqrvtavoli2_*.deb')
dev=$(find "$tmp/pkg" -maxdepth 1 -name 'libqrvtavoli-dev_*.deb')
if [ -z "$runtime" ] || [ -z "$dev" ]; then
    ls "$tmp/pkg"
    fail "cpack did not make libqrvtavoli2 and libqrvtavoli-dev"
fi
version=$(dpkg-deb -f "$runtime" Version)
runtime_depends=$(dpkg-deb -f "$runtime" Depends)
dev_depends=$(dpkg-deb -f "$dev" Depends)
[[ $runtime_depends == *libqt6widgets6* ]] || fail "libqrvtavoli2 does not depend on Qt: $runtime_depends"
[[ $dev_depends == *"libqrvtavoli2 (= $version)"* ]] || fail "libqrvtavoli-dev does not depend on libqrvtavoli2 (= $version): $dev_depends"

dpkg -x "$runtime" "$root"
dpkg -x "$dev" "$root"
# Read whole listings before searching them: a reader that quits early (head, grep -q) would
# fail the writer with SIGPIPE under pipefail.
runtime_files=$(dpkg-deb -c "$runtime")
grep -qE '\.so\.2(\.[0-9]+)*$' <<<"$runtime_files" || fail "libqrvtavoli2 holds no shared library"
if grep -qE '\.(h|a|pc|cmake)$' <<<"$runtime_files"; then fail "libqrvtavoli2 holds development files"; fi
all_files=$(find "$root" -type f -o -type l)
if grep -q 'libqrvcore' <<<"$all_files"; then fail "the static core was packaged"; fi
libdir=$(find "$prefix" -name 'libqrvtavoli.so.2' -printf '%h\n' -quit)
[ -n "$libdir" ] || fail "libqrvtavoli.so.2 was not packaged"
[ -e "$libdir/libqrvtavoli.so" ] || fail "the link name libqrvtavoli.so was not packaged"
pcdir=$libdir/pkgconfig
[ -f "$pcdir/qrvtavoli.pc" ] || fail "qrvtavoli.pc was not packaged in $pcdir"
schema=$prefix/share/qrvtavoli/schema
[ -f "$schema/sqlite.sql" ] || fail "the schema scripts were not packaged"

# 2. The headers: exactly what the component class, the database and the workspace include,
# transitively, from the source tree; no more (internals) and no less (a host could not compile).
declare -A wanted=()
queue=(component/clsTavoli.h core/data/dao/Database.h core/data/dao/Workspace.h)
while [ ${#queue[@]} -gt 0 ]; do
    header=${queue[0]}
    queue=("${queue[@]:1}")
    [ -n "${wanted[$header]:-}" ] && continue
    [ -f "$src/src/$header" ] || fail "$header is included but is not in src/"
    wanted[$header]=1
    includes=$(sed -n 's/^#include "\(.*\)"/\1/p' "$src/src/$header")
    for inc in $includes; do queue+=("$inc"); done
done
expected_headers=$(printf '%s\n' "${!wanted[@]}" | sort)
installed_headers=$(cd "$prefix/include/qrvtavoli" && find . -type f | sed 's|^\./||' | sort)
[ "$installed_headers" = "$expected_headers" ] ||
    fail "installed headers differ from the public ones:$(diff <(echo "$expected_headers") <(echo "$installed_headers") || true)"

export QT_QPA_PLATFORM=offscreen
export LD_LIBRARY_PATH=$libdir${LD_LIBRARY_PATH:+:$LD_LIBRARY_PATH}
expected="map=frmTavoli OperazioneScelta=3 Sala=4 late=4/3 ComError=80020003 DaoError=3044"

run_host() { # name binary
    mkdir -p "$tmp/work-$1"
    out=$("$2" "$schema" "$tmp/work-$1") || fail "the $1 host failed: $out"
    [ "$out" = "$expected" ] || fail "the $1 host printed '$out', expected '$expected'"
    # It must load the packaged library, not the one in the build tree.
    libs=$(ldd "$2")
    grep -qF "$libdir/libqrvtavoli.so.2" <<<"$libs" || fail "the $1 host did not load the packaged library: $libs"
}

# 3. CMake package, found in the scratch root only.
cmake -S "$src/tests/install_host" -B "$tmp/host" -DCMAKE_PREFIX_PATH="$prefix" -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_FIND_USE_PACKAGE_REGISTRY=OFF -DCMAKE_CXX_FLAGS="$hostflags" \
    >"$tmp/configure.log" 2>&1 || { cat "$tmp/configure.log"; fail "configuring the host with find_package"; }
grep -qF "qrvTavoli_DIR:PATH=$libdir/cmake/qrvTavoli" "$tmp/host/CMakeCache.txt" ||
    fail "find_package did not take the packaged qrvTavoli"
cmake --build "$tmp/host" >"$tmp/build.log" 2>&1 || { cat "$tmp/build.log"; fail "building the host"; }
run_host cmake "$tmp/host/host"

# 4. pkg-config, from the packaged file alone (its prefix follows the file).
export PKG_CONFIG_PATH=$pcdir
flags=$(pkg-config --cflags --libs qrvtavoli) || fail "pkg-config does not know qrvtavoli"
case "$flags" in
    *"-I$prefix/"* | *"-I$pcdir/../"*) ;;
    *) fail "pkg-config points outside the scratch root: $flags" ;;
esac
# shellcheck disable=SC2086 # the flags are word lists
c++ -std=c++17 $hostflags -o "$tmp/host-pc" "$src/tests/install_host/main.cpp" $flags ||
    fail "building the host with pkg-config"
run_host pkg-config "$tmp/host-pc"

echo "ok: $(basename "$runtime") and $(basename "$dev") work through find_package and pkg-config"
