#!/usr/bin/env bash
# Installs the Debian package that scripts/package.sh made, runs the installed programs
# (the demo pipeline with /usr/bin/quarnby-batch, the window from its desktop entry under
# a virtual display) and removes the package again, also when a check fails. As root.
set -euo pipefail
cd "$(dirname "$0")/.."
top=$PWD
deb=$(ls "$top"/build-package/quarnby_*.deb)
export DEBIAN_FRONTEND=noninteractive
apt-get install -y -q "$deb"
work=$(mktemp -d)
trap 'apt-get remove -y -q quarnby >/dev/null; rm -rf "$work"' EXIT

/usr/bin/quarnby-batch --version
/usr/bin/quarnby --version
bash scripts/demo-pipeline.sh "$work/run" /usr/bin/quarnby-batch
for suffix in .elv .typ .SYP .tra _elv.bmp; do
  test -s "$work/run/Demo/Demo$suffix" || { echo "the pipeline made no Demo$suffix" >&2; exit 1; }
done
# The installed program finds its geographic module: import-dem gets as far as its sources.
dem_said=$(/usr/bin/quarnby-batch --config "$work/none.cfg" "$work/run/Demo" import-dem 2>&1 || true)
case "$dem_said" in
  *"needs at least one elevation source"*) ;;
  *) echo "the installed import-dem did not load the geographic module: $dem_said" >&2; exit 1 ;;
esac
for f in share/applications/org.quarnby.Quarnby.desktop share/metainfo/org.quarnby.Quarnby.metainfo.xml \
         share/icons/hicolor/scalable/apps/org.quarnby.Quarnby.svg share/man/man1/quarnby-batch.1.gz; do
  test -s "/usr/$f" || { echo "the package installs no /usr/$f" >&2; exit 1; }
done

# The window as the desktop starts it: the entry's Exec line, field codes dropped. It is
# still running after five seconds when it started.
exec_line=$(sed -n 's/^Exec=//p' /usr/share/applications/org.quarnby.Quarnby.desktop | sed 's/ %[fFuU]//g')
status=0
(cd "$work/run" && timeout 5 xvfb-run -a $exec_line) || status=$?
if [ "$status" -ne 124 ]; then
  echo "the window from the desktop entry ($exec_line) ended with status $status" >&2
  exit 1
fi
echo "installed package: pipeline and window OK"
