#!/usr/bin/env bash
# The Debian package unpacked into a temporary root, never installed: the unpacked
# zelvato-convert converts a text as the built one does, and the unpacked zelvato
# opens its main window on the X display with the progress-bar control loaded from
# the unpacked library folder.
# Usage: install_test.sh PACKAGE.deb TEXT BUILT_ZELVATO_CONVERT
set -euo pipefail
deb=$1 text=$2 built_convert=$3
root=$(mktemp -d)
pid=
cleanup() {
  if [ -n "$pid" ]; then kill "$pid" 2>/dev/null || true; wait "$pid" 2>/dev/null || true; fi
  rm -rf "$root"
}
trap cleanup EXIT
dpkg -x "$deb" "$root/pkg"

"$root/pkg/usr/bin/zelvato-convert" --single="$root/unpacked.html" "$text"
"$built_convert" --single="$root/built.html" "$text"
cmp "$root/unpacked.html" "$root/built.html"
grep -q "<PRE>" "$root/unpacked.html"

# A user who has never run the program: no registrations of controls, own lock and
# temporary folders.
export HOME=$root/home XDG_RUNTIME_DIR=$root/run XDG_DATA_HOME=$root/home/.local/share \
       XDG_CONFIG_HOME=$root/home/.config XDG_CACHE_HOME=$root/home/.cache
mkdir -p "$HOME"
mkdir -m 700 "$XDG_RUNTIME_DIR"
export QTWEBENGINE_DISABLE_SANDBOX=1
[ -n "${DISPLAY:-}" ] || { echo "no X display (run under xvfb-run)"; exit 1; }
"$root/pkg/usr/bin/zelvato" >"$root/zelvato.log" 2>&1 &
pid=$!

# The main window: shown, titled Zelvato, wider than the splash window.
main_window_shown() {
  local id
  for id in $(xwininfo -root -tree | awk '/"Zelvato": \(/ {print $1}'); do
    local info
    info=$(xwininfo -id "$id" 2>/dev/null) || continue
    if grep -q "Map State: IsViewable" <<<"$info" && [ "$(awk '/Width:/ {print $2}' <<<"$info")" -ge 500 ]; then
      return 0
    fi
  done
  return 1
}
for _ in $(seq 1 120); do
  main_window_shown && break
  kill -0 "$pid" 2>/dev/null || { echo "zelvato ended before its window was shown:"; cat "$root/zelvato.log"; exit 1; }
  sleep 0.25
done
main_window_shown || { echo "no main window after 30 seconds:"; cat "$root/zelvato.log"; exit 1; }

# The progress window created its bar at start-up from the library in the package.
loaded=$(awk '/libzorbar32\.so/ {print $6}' "/proc/$pid/maps" | sort -u)
if [ "$loaded" != "$root/pkg/usr/lib/zelvato/libzorbar32.so" ]; then
  echo "control library loaded: '${loaded:-none}', expected the unpacked one"
  cat "$root/zelvato.log"
  exit 1
fi
echo "window shown; control library from $loaded"
