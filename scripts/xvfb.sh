# Sourced: makes sure DISPLAY names an X display, starting Xvfb on a free number if needed.
# Sets PELO_XVFB_PID when it started one.
if [ -z "${DISPLAY:-}" ]; then
  source "$(dirname "${BASH_SOURCE[0]}")/xvfb-start.sh"
  pelo_start_xvfb
  PELO_XVFB_PID=$PELO_XVFB_STARTED_PID
  export DISPLAY=$PELO_XVFB_DISPLAY
  trap '[ -n "${PELO_XVFB_PID:-}" ] && kill "$PELO_XVFB_PID" 2>/dev/null || true' EXIT
fi
