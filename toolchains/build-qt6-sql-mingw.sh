#!/bin/bash
# Builds qt6-sql-mingw-6.4.2.tar.xz: Qt Sql 6.4.2 and its SQLite driver for MinGW-w64 (x86_64,
# posix threads), with SQLite 3.40.1, from Debian 12's source packages qt6-base and sqlite3. It is
# the part of Qt that the Windows kit (../shared/toolchains/qt6-mingw-6.4.2.tar.xz) leaves out and
# the line history needs; the Windows build unpacks it into the kit's prefix.
#
#   toolchains/build-qt6-sql-mingw.sh [WORK]     (WORK: a scratch folder, default /tmp/qt6-sql-mingw)
#
# Needs what the kit needs (g++-mingw-w64-x86-64-posix, cmake, ninja-build, qt6-base-dev-tools)
# and tclsh (tcl), and the kit's tarball (QUORVANE_WIN_TOOLCHAINS, default ../shared/toolchains).
# About 5 minutes on 2 cores: Qt Core is not built again. Qt is configured exactly as the kit's Qt
# was (its README gives the line), with Sql on, and the build links against the kit's own Qt Core.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
W=${1:-/tmp/qt6-sql-mingw}
toolchains=${QUORVANE_WIN_TOOLCHAINS:-$(cd "$here/../.." && pwd)/shared/toolchains}
HOST=x86_64-w64-mingw32
mkdir -p "$W/apt/etc/sources.list.d" "$W/apt/lists" "$W/srcs" "$W/kit" "$W/deps/bin" "$W/deps/lib" "$W/deps/include"
cd "$W"

# Debian's source packages.
cat > apt/etc/sources.list.d/src.sources <<X
Types: deb-src
URIs: http://deb.debian.org/debian
Suites: bookworm
Components: main
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg
X
A="-o Dir::Etc::SourceList=/dev/null -o Dir::Etc::SourceParts=$W/apt/etc/sources.list.d -o Dir::State::Lists=$W/apt/lists -o Debug::NoLocking=1"
[ -f qt6-base_6.4.2+dfsg.orig.tar.xz ] && [ -f sqlite3_3.40.1.orig.tar.xz ] || {
  apt-get $A update
  apt-get $A source --download-only qt6-base sqlite3
}
[ -d srcs/qtbase-everywhere-src-6.4.2 ] || tar xf qt6-base_6.4.2+dfsg.orig.tar.xz -C srcs
[ -d srcs/sqlite3-3.40.1 ] || tar xf sqlite3_3.40.1.orig.tar.xz -C srcs
[ -d kit/qt6-mingw-toolchain ] || tar -xJf "$toolchains/qt6-mingw-6.4.2.tar.xz" -C kit
K=$W/kit/qt6-mingw-toolchain
QTSRC=$W/srcs/qtbase-everywhere-src-6.4.2
(cd "$QTSRC" && { patch -p1 -N --dry-run < "$K/patches/qtbase-6.4.2-directwrite3-needs-direct2d.patch" > /dev/null &&
                  patch -p1 -N < "$K/patches/qtbase-6.4.2-directwrite3-needs-direct2d.patch" || true; })

# SQLite: the amalgamation made by its own build (native tools through tclsh), compiled as a DLL.
# Debian's tarball carries no bundled SQLite in qtbase, so Qt's driver uses this one.
mkdir -p build-sqlite && cd build-sqlite
../srcs/sqlite3-3.40.1/configure --host=$HOST CC=$HOST-gcc-posix --disable-tcl --disable-readline > configure.log
make mksourceid.exe > /dev/null && ln -sf mksourceid.exe mksourceid  # the Makefile runs it without .exe
make sqlite3.c sqlite3.h > make.log
$HOST-gcc-posix -O2 -shared -DSQLITE_THREADSAFE=1 -DSQLITE_ENABLE_COLUMN_METADATA -DSQLITE_OMIT_LOAD_EXTENSION \
  sqlite3.c -o "$W/deps/bin/sqlite3.dll" -Wl,--out-implib,"$W/deps/lib/libsqlite3.dll.a"
cp sqlite3.h sqlite3ext.h "$W/deps/include/"
cd "$W"
mkdir -p deps/lib/pkgconfig
cp "$K/prefix/include/zlib.h" "$K/prefix/include/zconf.h" deps/include/
cp "$K/prefix/lib/libz.dll.a" deps/lib/ && cp "$K/prefix/lib/pkgconfig/zlib.pc" deps/lib/pkgconfig/

# qtbase configured as the kit's (see its README), Sql and the SQLite driver on.
mkdir -p build-qt && cd build-qt
"$QTSRC/configure" -prefix "$W/qt-install" -xplatform win32-g++ -qt-host-path /usr -release -shared \
  -nomake examples -nomake tests -no-opengl -no-dbus -no-icu \
  -system-zlib -qt-pcre -qt-harfbuzz -qt-freetype -qt-libpng -no-libjpeg -schannel -no-openssl \
  -sql-sqlite -system-sqlite -no-sql-odbc -no-sql-psql -no-sql-mysql -no-sql-ibase -no-sql-oci -no-sql-db2 \
  -no-feature-printsupport -no-feature-concurrent -no-feature-xml \
  -no-feature-tabletevent -no-feature-vulkan -no-feature-direct2d \
  -- -G Ninja -DCMAKE_TOOLCHAIN_FILE="$K/mingw-w64-qt6.cmake" -DQUORVANE_WIN_PREFIX="$W/deps" \
  -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake > configure.log
# Qt Sql links against the kit's Qt Core (same source, same configuration): its link step becomes a
# no-op over the kit's DLL and import library, so that Core is not compiled again.
python3 - build.ninja <<'X'
import sys
p = sys.argv[1]
lines = open(p).read().split('\n')
i = next(k for k, l in enumerate(lines) if l.startswith('build bin/Qt6Core.dll lib/libQt6Core.a:'))
j = i + 1
while j < len(lines) and lines[j].startswith('  '):
    j += 1
lines[i:j] = ['build bin/Qt6Core.dll lib/libQt6Core.a: phony']
open(p, 'w').write('\n'.join(lines))
X
mkdir -p bin lib && cp "$K/prefix/bin/Qt6Core.dll" bin/ && cp "$K/prefix/lib/libQt6Core.a" lib/
ninja -j "${JOBS:-2}" Sql QSQLiteDriverPlugin > build.log

# The Sql part of a prefix, relocatable, DLLs stripped, packed to unpack into the kit's prefix.
rm -rf "$W/sqlkit"
cmake --install src/sql --prefix "$W/sqlkit" > /dev/null
cmake --install src/plugins/sqldrivers --prefix "$W/sqlkit" > /dev/null
cp lib/cmake/Qt6Sql/Qt6SqlDependencies.cmake lib/cmake/Qt6Sql/Qt6SqlPlugins.cmake "$W/sqlkit/lib/cmake/Qt6Sql/"
sed -i 's|^prefix=.*|prefix=${pcfiledir}/../..|' "$W/sqlkit/lib/pkgconfig/Qt6Sql.pc"
cp "$W/deps/bin/sqlite3.dll" "$W/sqlkit/bin/"
find "$W/sqlkit" -name "*.dll" -exec $HOST-strip --strip-unneeded {} +
tar -C "$W/sqlkit" --owner=0 --group=0 --sort=name --mtime=2026-12-09 -cJf "$W/qt6-sql-mingw-6.4.2.tar.xz" .
echo "$W/qt6-sql-mingw-6.4.2.tar.xz"
