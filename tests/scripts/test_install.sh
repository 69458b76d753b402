#!/usr/bin/env bash
# Installs the component from BUILD into a temporary prefix, then builds and runs a small host
# against it twice: through find_package(qrvTavoli) and through pkg-config.
# Usage: test_install.sh SOURCE_DIR BUILD_DIR
set -euo pipefail

src=${1:?source dir}
build=${2:?build dir}

# A sanitizer build's library needs the sanitizer runtime in the host as well; not worth faking.
if grep -q '^QRV_SANITIZE:BOOL=ON' "$build/CMakeCache.txt" 2>/dev/null; then
    echo "skipped: $build is a sanitizer build"
    exit 77
fi

tmp=$(mktemp -d "${TMPDIR:-/tmp}/qrvtavoli-install.XXXXXX")
trap 'rm -rf "$tmp"' EXIT
prefix=$tmp/prefix
expected="Sala=3 OperazioneScelta=3"

fail() {
    echo "FAIL: $*" >&2
    exit 1
}

cmake --install "$build" --prefix "$prefix" >"$tmp/install.log" || { cat "$tmp/install.log"; fail "cmake --install"; }

# No pipe into a reader that quits early (head, grep -q): the writer's SIGPIPE fails it under pipefail.
libdir=$(find "$prefix" -name 'libqrvtavoli.so*' -printf '%h\n' -quit)
[ -n "$libdir" ] || fail "libqrvtavoli.so was not installed"
[ -f "$prefix/include/qrvtavoli/component/clsTavoli.h" ] || fail "clsTavoli.h was not installed"
pcdir=$libdir/pkgconfig
[ -f "$pcdir/qrvtavoli.pc" ] || fail "qrvtavoli.pc was not installed in $pcdir"

export QT_QPA_PLATFORM=offscreen
export LD_LIBRARY_PATH=$libdir${LD_LIBRARY_PATH:+:$LD_LIBRARY_PATH}

# 1. CMake package.
cmake -S "$src/tests/install_host" -B "$tmp/host" -DCMAKE_PREFIX_PATH="$prefix" -DCMAKE_BUILD_TYPE=Release \
    >"$tmp/configure.log" 2>&1 || { cat "$tmp/configure.log"; fail "configuring the host with find_package"; }
cmake --build "$tmp/host" >"$tmp/build.log" 2>&1 || { cat "$tmp/build.log"; fail "building the host"; }
out=$("$tmp/host/host")
[ "$out" = "$expected" ] || fail "find_package host printed '$out', expected '$expected'"
# The host must use the installed library, not the one in the build tree. ldd prints a line at a
# time: read all of it before searching, for the reason above.
libs=$(ldd "$tmp/host/host")
grep -qF "$libdir/libqrvtavoli.so" <<<"$libs" || fail "the host did not load the installed library"

# 2. pkg-config, from the installed file alone (its prefix follows the file).
export PKG_CONFIG_PATH=$pcdir
flags=$(pkg-config --cflags --libs qrvtavoli) || fail "pkg-config does not know qrvtavoli"
case "$flags" in
    *"-I$prefix/"* | *"-I$pcdir/../"*) ;;
    *) fail "pkg-config points outside the install prefix: $flags" ;;
esac
# shellcheck disable=SC2086 # the flags are a word list
c++ -std=c++17 -o "$tmp/host-pc" "$src/tests/install_host/main.cpp" $flags || fail "building the host with pkg-config"
out=$("$tmp/host-pc")
[ "$out" = "$expected" ] || fail "pkg-config host printed '$out', expected '$expected'"

echo "ok: installed package works through find_package and pkg-config"
