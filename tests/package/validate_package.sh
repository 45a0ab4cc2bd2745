#!/usr/bin/env bash
# The Debian package as a desktop and Debian's tools see it: the menu entry, the
# AppStream metadata and lintian (no errors), and every file in its place.
# Usage: validate_package.sh PACKAGE.deb
set -euo pipefail
deb=$1
id=io.github.zelvato.Zelvato
root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT
dpkg -x "$deb" "$root"

for file in usr/bin/zelvato usr/bin/zelvato-convert usr/lib/zelvato/libzorbar32.so \
            usr/lib/zelvato/zorbar32.control usr/share/zelvato/help/index.html \
            usr/share/applications/$id.desktop usr/share/metainfo/$id.metainfo.xml \
            usr/share/icons/hicolor/scalable/apps/$id.svg \
            usr/share/man/man1/zelvato-convert.1.gz usr/share/doc/zelvato/copyright; do
  [ -f "$root/$file" ] || { echo "missing from the package: /$file"; exit 1; }
done
for size in 48 256; do
  icon=usr/share/icons/hicolor/${size}x${size}/apps/$id.png
  file "$root/$icon" | grep -q "PNG image data, $size x $size," || { echo "not a ${size}x${size} PNG: /$icon"; exit 1; }
done
# The package's version is the project's one version.
[ "$(dpkg-deb -f "$deb" Version)" = "$(sed -n 's/.*release version="\([^"]*\)".*/\1/p' "$root/usr/share/metainfo/$id.metainfo.xml")" ]

# The manual page names every option the converter's own help names.
manual=$(zcat "$root/usr/share/man/man1/zelvato-convert.1.gz" | sed 's/\\-/-/g')
for option in $("$root/usr/bin/zelvato-convert" --help | grep -o -- '--[a-z][a-z-]*' | sort -u); do
  grep -q -- "$option" <<<"$manual" || { echo "zelvato-convert.1 does not name $option"; exit 1; }
done

desktop-file-validate "$root/usr/share/applications/$id.desktop"
appstreamcli validate --no-net "$root/usr/share/metainfo/$id.metainfo.xml"
lintian --fail-on error "$deb"
