#!/usr/bin/env bash
# Build (if needed) and start qarvel-hr; arguments are passed to the program.
set -euo pipefail

ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"

# Build output goes to stderr so the program's own stdout stays clean.
bash "$ROOT/scripts/bootstrap.sh" >&2

# Absolute path, so the caller's current directory (and relative file
# arguments) are kept.
PROGRAM="$ROOT/build/bin/qarvel-hr"

if [[ -z "${DISPLAY:-}" && -z "${WAYLAND_DISPLAY:-}" ]]; then
    # No screen (e.g. ssh or CI): give the program a virtual X server.
    echo "run.sh: no DISPLAY or WAYLAND_DISPLAY; running under xvfb-run" >&2
    exec xvfb-run -a -s "-screen 0 1920x1080x24" "$PROGRAM" "$@"
fi

exec "$PROGRAM" "$@"
