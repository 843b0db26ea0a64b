# shellcheck shell=bash
# Sourced: pelo_start_xvfb starts a virtual display on a number no X server uses and waits until
# it takes connections; it sets PELO_XVFB_DISPLAY (":N") and PELO_XVFB_STARTED_PID.
pelo_start_xvfb() {
  local n
  for n in $(seq 90 160); do
    [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ] && continue
    Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
    PELO_XVFB_STARTED_PID=$!
    PELO_XVFB_DISPLAY=":$n"
    for _ in $(seq 100); do [ -e "/tmp/.X11-unix/X$n" ] && return 0; sleep 0.1; done
    echo "Xvfb :$n did not start" >&2
    return 1
  done
  echo "no free X display number" >&2
  return 1
}
