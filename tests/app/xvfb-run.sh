#!/usr/bin/env bash
# Runs a command on a private virtual X server with software OpenGL, then
# stops the server. Xvfb picks a free display number itself (-displayfd), so
# any number of these can run at once.
#   xvfb-run.sh command [args...]
set -u
numberFile="$(mktemp)"
trap 'rm -f "$numberFile"' EXIT
Xvfb -displayfd 3 -screen 0 640x480x24 -nolisten tcp 3>"$numberFile" 2>/dev/null &
server=$!
for _ in $(seq 200); do
  [ -s "$numberFile" ] && break
  kill -0 "$server" 2>/dev/null || { echo "xvfb-run.sh: Xvfb did not start" >&2; exit 1; }
  sleep 0.05
done
if [ ! -s "$numberFile" ]; then
  echo "xvfb-run.sh: Xvfb gave no display number" >&2
  kill "$server" 2>/dev/null
  exit 1
fi
export DISPLAY=":$(head -n1 "$numberFile")"
export LIBGL_ALWAYS_SOFTWARE=1
# Under AddressSanitizer: the OpenGL driver is loaded and unloaded at run time
# and keeps memory LeakSanitizer can then only report as unnamed indirect
# leaks. Leak checking stays on for every test that needs no display.
export ASAN_OPTIONS="${ASAN_OPTIONS:+$ASAN_OPTIONS:}detect_leaks=0"
"$@"
status=$?
kill "$server" 2>/dev/null
wait "$server" 2>/dev/null
exit $status
