#!/usr/bin/env bash
# Cross-builds Sheetwright for Windows x64 on Debian 12: Sheetwright.exe,
# sheetwright-cli.exe and the installer Sheetwright-<version>-setup.exe.
#
#   scripts/build-windows.sh [--tests] [BUILD_DIR]     (default build-windows)
#
# Installs the Debian packages it needs (MinGW-w64, NSIS, Wine for --tests),
# cross-builds libzip, pugixml, libdeflate and ISA-L from Debian's source
# packages and a static Qt 5.15 from qtbase-opensource-src, all once, into
# ${XDG_CACHE_HOME:-$HOME/.cache}/sheetwright/windows. Qt takes about half an
# hour on two cores; SHEETWRIGHT_QT_TARBALL may name a .tar.zst of a Qt built
# by qt_build below, which is then unpacked instead.
# --tests also builds the tests, which ctest runs through Wine.
set -euo pipefail
cd "$(dirname "$0")/.."
repo=$PWD

tests=OFF
if [[ "${1:-}" == "--tests" ]]; then
    tests=ON
    shift
fi
build_dir=$(realpath -m "${1:-build-windows}")
cache=${XDG_CACHE_HOME:-$HOME/.cache}/sheetwright/windows
jobs=${JOBS:-$(nproc)}
host=x86_64-w64-mingw32
sysroot=/usr/$host
toolchain=$repo/cmake/mingw-w64-x86_64.cmake
deps=$cache/deps
qt=$cache/qt5-static
version=$(sed -n 's/^project(Sheetwright VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
sudo=""
[[ $(id -u) -ne 0 ]] && sudo="sudo"

step() { printf '== %s (%(%T)T)\n' "$1" -1; }

install_packages() {
    local packages=(cmake make pkg-config zstd yasm nsis dpkg-dev
                    g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix
                    binutils-mingw-w64-x86-64 libz-mingw-w64-dev mingw-w64-tools
                    qttools5-dev qttools5-dev-tools)
    [[ $tests == ON ]] && packages+=(wine wine64 xvfb python3-openpyxl fonts-wqy-microhei locales)
    local missing=() p
    for p in "${packages[@]}"; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" ||
            missing+=("$p")
    done
    [[ ${#missing[@]} -eq 0 ]] && return
    step "installing ${missing[*]}"
    export DEBIAN_FRONTEND=noninteractive
    $sudo apt-get update -qq
    $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
}

# A deb-src twin of every deb entry the machine already uses, so that the
# sources come from the same mirrors; removed again when done.
source_entries() {
    local f
    for f in /etc/apt/sources.list.d/*.sources; do
        [[ -e $f ]] || continue
        awk 'BEGIN { RS = ""; ORS = "\n\n" }
             /(^|\n)Types:[^\n]*deb/ && !/(^|\n)Enabled: *no/ {
                 sub(/Types:[^\n]*/, "Types: deb-src"); print }' "$f"
    done >"$1.sources"
    for f in /etc/apt/sources.list /etc/apt/sources.list.d/*.list; do
        if [[ -e $f ]]; then sed -n 's/^deb \(.*\)/deb-src \1/p' "$f"; fi
    done >"$1.list"
}

fetch_sources() {
    local wanted=(libzip pugixml libdeflate libisal xxhash)
    [[ $tests == ON ]] && wanted+=(libxlsxwriter)
    [[ -z ${SHEETWRIGHT_QT_TARBALL:-} ]] && wanted+=(qtbase-opensource-src)
    local missing=() p
    for p in "${wanted[@]}"; do
        [[ -e $cache/src/$p.done ]] || missing+=("$p")
    done
    [[ ${#missing[@]} -eq 0 ]] && return
    step "fetching the source packages ${missing[*]}"
    local entry=/etc/apt/sources.list.d/sheetwright-build-src
    trap "$sudo rm -f $entry.sources $entry.list" EXIT
    local made
    made=$(mktemp -d)
    source_entries "$made/entry"
    $sudo cp "$made/entry.sources" "$entry.sources"
    $sudo cp "$made/entry.list" "$entry.list"
    rm -rf "$made"
    $sudo apt-get update -qq
    mkdir -p "$cache/src"
    for p in "${missing[@]}"; do
        (cd "$cache/src" && apt-get source -qq "$p" >/dev/null 2>&1) && touch "$cache/src/$p.done"
    done
    $sudo rm -f "$entry.sources" "$entry.list"
    trap - EXIT
}

source_of() { find "$cache/src" -maxdepth 1 -type d -name "$1-[0-9]*" | sort | tail -1; }

pc_file() { # name version libs
    cat >"$deps/lib/pkgconfig/$1.pc" <<EOF
prefix=$deps
libdir=\${prefix}/lib
includedir=\${prefix}/include

Name: $1
Description: $1, cross-built for Windows
Version: $2
Libs: -L\${libdir} $3
Cflags: -I\${includedir}
EOF
}

cmake_library() { # source folder, extra options
    local src=$1 name
    name=$(basename "$src")
    shift
    nice cmake -S "$src" -B "$cache/build/$name" -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
        -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$deps" -DBUILD_SHARED_LIBS=OFF \
        "$@" >>"$cache/libraries.log" 2>&1
    nice cmake --build "$cache/build/$name" -j"$jobs" >>"$cache/libraries.log" 2>&1
    cmake --install "$cache/build/$name" >/dev/null
}

build_libraries() {
    local stamp=$deps/.done-xxhash-$tests
    [[ -e $stamp ]] && return
    step "cross-building the libraries"
    rm -rf "$deps" "$cache/build"
    mkdir -p "$deps/include/isa-l" "$deps/lib/pkgconfig" "$cache/build"
    cmake_library "$(source_of libzip)" -DENABLE_BZIP2=OFF -DENABLE_LZMA=OFF -DENABLE_ZSTD=OFF \
        -DENABLE_GNUTLS=OFF -DENABLE_OPENSSL=OFF -DENABLE_MBEDTLS=OFF \
        -DENABLE_COMMONCRYPTO=OFF -DENABLE_WINDOWS_CRYPTO=OFF \
        -DBUILD_TOOLS=OFF -DBUILD_REGRESS=OFF -DBUILD_EXAMPLES=OFF -DBUILD_DOC=OFF
    # Its users do not ask pkg-config for --static, so they need these in Libs.
    sed -i 's/^Libs: .*/& -ladvapi32 -lz/' "$deps/lib/pkgconfig/libzip.pc"
    cmake_library "$(source_of pugixml)" -DPUGIXML_BUILD_TESTS=OFF

    # libdeflate 1.14 and ISA-L have plain Makefiles and install no .pc file.
    local b=$cache/build
    cp -a "$(source_of libdeflate)" "$b/libdeflate"
    nice make -C "$b/libdeflate" -j"$jobs" CC=$host-gcc-posix AR=$host-ar \
        libdeflatestatic.lib >/dev/null
    cp "$b/libdeflate/libdeflate.h" "$deps/include/"
    cp "$b/libdeflate/libdeflatestatic.lib" "$deps/lib/libdeflate.a"
    pc_file libdeflate 1.14 -ldeflate
    # ISA-L's MinGW build wants yasm, which cannot assemble its AVX-512 kernels:
    # those are left out.
    cp -a "$(source_of libisal)" "$b/isal"
    nice make -C "$b/isal" -f Makefile.unx -j"$jobs" arch=mingw CC=$host-gcc-posix \
        AR=$host-ar AS=yasm lib >/dev/null
    cp "$b/isal/include/"*.h "$deps/include/isa-l/"
    cp "$b/isal/bin/isa-l.a" "$deps/lib/libisal.a"
    pc_file libisal 2.30.0 -lisal
    # xxHash is used header-only (XXH_INLINE_ALL): nothing to build.
    cp "$(source_of xxhash)/xxhash.h" "$deps/include/"
    pc_file libxxhash 0.8.1 ""

    if [[ $tests == ON ]]; then
        cmake_library "$(source_of libxlsxwriter)" \
            -DZLIB_INCLUDE_DIR="$sysroot/include" -DZLIB_LIBRARY="$sysroot/lib/libz.a"
    fi
    rm -rf "$cache/build"
    touch "$stamp"
}

# qtbase only, static, for win32-g++. Debian's +dfsg source lacks wintab, which
# the platform plugin's tablet support includes: tablet events are left out.
qt_build() {
    local build=$cache/build/qt
    mkdir -p "$build"
    (cd "$build" && nice "$(source_of qtbase-opensource-src)/configure" -prefix "$qt" \
        -xplatform win32-g++ -device-option CROSS_COMPILE=$host- \
        -static -static-runtime -release -opensource -confirm-license \
        -nomake examples -nomake tests \
        -no-opengl -no-angle -no-vulkan -no-dbus -no-icu -no-openssl -no-zstd \
        -qt-zlib -qt-libpng -no-libjpeg -qt-pcre -qt-harfbuzz -qt-doubleconversion \
        -no-freetype -no-fontconfig \
        -no-feature-sql -no-feature-network -no-feature-xml -no-feature-concurrent \
        -no-feature-printer -no-feature-tabletevent \
        -feature-systemtrayicon -feature-png -silent &&
        nice make -j"$jobs" && nice make install)
    rm -rf "$build"
}

prepare_qt() {
    [[ -e $qt/.done ]] && return
    rm -rf "$qt"
    mkdir -p "$qt"
    if [[ -n ${SHEETWRIGHT_QT_TARBALL:-} ]]; then
        step "unpacking Qt from $SHEETWRIGHT_QT_TARBALL"
        tar -I zstd -xf "$SHEETWRIGHT_QT_TARBALL" -C "$qt" --strip-components=1
    else
        step "building a static Qt for Windows (about 30 minutes)"
        qt_build
    fi
    touch "$qt/.done"
}

build_programs() {
    step "building Sheetwright for Windows"
    local launcher=()
    command -v ccache >/dev/null &&
        launcher=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
    # The window's English texts come from the host's lrelease.
    cmake -S . -B "$build_dir" -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DCMAKE_BUILD_TYPE=Release \
        -DCMAKE_PREFIX_PATH="$deps;$qt" -DBUILD_TESTING="$tests" "${launcher[@]}" \
        -DQt5LinguistTools_DIR=/usr/lib/x86_64-linux-gnu/cmake/Qt5LinguistTools >/dev/null
    nice cmake --build "$build_dir" -j"$jobs"
}

make_installer() {
    step "making the installer"
    local stage=$build_dir/stage
    rm -rf "$stage"
    mkdir -p "$stage"
    cp "$build_dir/src/app/Sheetwright.exe" "$build_dir/src/cli/sheetwright-cli.exe" "$stage/"
    $host-strip "$stage/"*.exe
    makensis -V2 -DSTAGE="$stage" -DVERSION="$version" -DICON="$repo/src/app/resources/images/orv.ico" \
        -DOUTFILE="$build_dir/Sheetwright-$version-setup.exe" packaging/windows/sheetwright.nsi
}

install_packages
fetch_sources
build_libraries
prepare_qt
[[ ${SHEETWRIGHT_PREPARE_ONLY:-} == 1 ]] && exit 0
build_programs
make_installer
step "done: $build_dir/Sheetwright-$version-setup.exe"
