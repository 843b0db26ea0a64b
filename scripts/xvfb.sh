# Sourced: makes sure DISPLAY names an X display, starting Xvfb on a free number if needed.
# Sets PELO_XVFB_PID when it started one.
if [ -z "${DISPLAY:-}" ]; then
  for n in $(seq 90 140); do
    [ -e /tmp/.X11-unix/X$n ] || [ -e /tmp/.X$n-lock ] && continue
    Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
    PELO_XVFB_PID=$!
    for _ in $(seq 50); do [ -e /tmp/.X11-unix/X$n ] && break; sleep 0.1; done
    export DISPLAY=":$n"
    break
  done
  trap '[ -n "${PELO_XVFB_PID:-}" ] && kill "$PELO_XVFB_PID" 2>/dev/null || true' EXIT
fi
