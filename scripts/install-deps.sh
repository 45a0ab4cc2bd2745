#!/usr/bin/env bash
# Installs the Debian packages Zelvato needs to build, run and test.
# This is the one place that lists them; it installs only what is missing.
set -euo pipefail

packages=(
  g++ cmake ninja-build pkg-config
  # the include rules are checked by a script of ours
  python3
  qt6-base-dev qt6-base-dev-tools qt6-webengine-dev qt6-svg-dev
  # the window previews and prints the manuscript PDF's own pages
  qt6-pdf-dev
  qt6-qpa-plugins libqt6svg6 libgl-dev qt6-translations-l10n
  libgtest-dev libgmock-dev libbenchmark-dev
  # the tests open the books the converter zips (with libdeflate) through libzip
  libuchardet-dev libzip-dev
  # the PDF backend and the book: shaping and subsetting (HarfBuzz), faces (fontconfig), deflate;
  # the tests read the PDFs it writes with poppler, mupdf and qpdf
  libharfbuzz-dev libfontconfig-dev libdeflate-dev zlib1g-dev poppler-utils mupdf-tools qpdf
  # the manuscript PDF benchmark sets the same novel with upLaTeX and dvipdfmx
  texlive-lang-japanese texlive-latex-base
  # EPUB validation in the tests
  epubcheck default-jre-headless
  clang libclang-rt-14-dev
  xvfb xauth x11-utils
  librsvg2-bin dpkg-dev desktop-file-utils appstream lintian file
  # The converter test delivers signals at chosen renames through strace.
  strace
  # The save tests give files a POSIX ACL and an extended attribute, and save
  # them as a user other than root (setpriv from util-linux).
  acl attr util-linux
  # scripts/aozora_corpus_check.py, run by its test (standard library only)
  python3
  fonts-ipafont-gothic fonts-ipafont-mincho
  # Japanese fixed-pitch faces the pages name (the browser test measures them),
  # and the faces a Debian desktop falls back to, which must not win.
  fonts-morisawa-bizud-gothic fonts-takao-gothic fonts-noto-cjk fonts-vlgothic
  chromium
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

echo "Installing: ${missing[*]}"
sudo_cmd=()
if [ "$(id -u)" -ne 0 ]; then sudo_cmd=(sudo); fi
export DEBIAN_FRONTEND=noninteractive
"${sudo_cmd[@]}" apt-get update -qq
"${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
