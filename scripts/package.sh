#!/usr/bin/env bash
# Builds the Debian package of both programs from a release build in build-package/:
# build-package/quarnby_<version>_amd64.deb. Its dependencies are the Debian packages of
# the shared libraries the programs load (dpkg-shlibdeps). The desktop entry and the
# AppStream metadata are validated first.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh dpkg-dev file desktop-file-utils appstream
cmake -S . -B build-package -G Ninja -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX=/usr \
  -DQUARNBY_TESTS=OFF -DQUARNBY_BENCH=OFF
cmake --build build-package --parallel
desktop-file-validate packaging/org.quarnby.Quarnby.desktop
appstreamcli validate --no-net --explain build-package/packaging/org.quarnby.Quarnby.metainfo.xml
(cd build-package && cpack -G DEB)
deb=$(ls build-package/quarnby_*.deb)
dpkg-deb --field "$deb" Package Version Depends
echo "wrote $deb"
