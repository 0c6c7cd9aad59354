#!/usr/bin/env bash
# Build (if needed), start a throwaway PostgreSQL 15 cluster for the database
# tests, run the whole ctest suite, and always tear the cluster down again.
# Extra arguments are passed to ctest (e.g. -R pattern, -j 2).
set -euo pipefail

ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
bash "$ROOT/scripts/bootstrap.sh"

PGBIN=/usr/lib/postgresql/15/bin
for tool in initdb pg_ctl pg_isready; do
    if [[ ! -x "$PGBIN/$tool" ]]; then
        echo "test.sh: $PGBIN/$tool not found (package postgresql-15)" >&2
        exit 1
    fi
done

# PostgreSQL refuses to run as root: as root, the cluster belongs to the
# 'postgres' system user created by the Debian package.
AS_PG=()
if ((EUID == 0)); then
    if ! id -u postgres >/dev/null 2>&1; then
        echo "test.sh: running as root but there is no 'postgres' user" >&2
        exit 1
    fi
    AS_PG=(runuser -u postgres --)
fi

# Data and socket in one fresh folder, so nothing touches a system cluster.
PGTMP="$(mktemp -d)"
PGDATA_DIR="$PGTMP/data"
PGLOG="$PGTMP/log"
CTEST_PID=""

# shellcheck disable=SC2317  # only called from the EXIT trap
cleanup() {
    local rc=$?
    trap - EXIT
    # Interrupted while the tests run: end ctest's whole process group first.
    if [[ -n "${CTEST_PID:-}" ]] && kill -0 "$CTEST_PID" 2>/dev/null; then
        kill -TERM -- "-$CTEST_PID" 2>/dev/null || true
        for _ in 1 2 3 4 5 6 7 8 9 10; do
            kill -0 "$CTEST_PID" 2>/dev/null || break
            sleep 1
        done
        kill -KILL -- "-$CTEST_PID" 2>/dev/null || true
    fi
    # The pid file exists only while a server runs in our folder.
    if [[ -f "$PGDATA_DIR/postmaster.pid" ]]; then
        pg pg_ctl -D "$PGDATA_DIR" -m immediate stop >/dev/null 2>&1 || true
    fi
    rm -rf "$PGTMP"
    exit "$rc"
}
trap cleanup EXIT
# Turn signals into a normal exit so the EXIT trap cleans up.
trap 'exit 129' HUP
trap 'exit 130' INT
trap 'exit 143' TERM

if ((EUID == 0)); then
    chown postgres: "$PGTMP"
fi

# Run the postgres tools from inside the folder: the postgres user may not be
# allowed into the caller's current directory.
pg() {
    local tool=$1
    shift
    (cd "$PGTMP" && "${AS_PG[@]}" "$PGBIN/$tool" "$@")
}

fail_with_log() {
    echo "test.sh: $1" >&2
    if [[ -f "$PGLOG" ]]; then
        echo "----- PostgreSQL log -----" >&2
        cat "$PGLOG" >&2
        echo "--------------------------" >&2
    fi
    exit 1
}

# C.UTF-8 sorts by code point, the same on every machine; systems without
# that locale fall back to no locale at all (same order, encoding UTF8).
if ! pg initdb -D "$PGDATA_DIR" -U postgres --auth=trust -E UTF8 --locale=C.UTF-8 >"$PGTMP/initdb.log" 2>&1; then
    echo "test.sh: initdb with C.UTF-8 failed, retrying with --no-locale" >&2
    rm -rf "$PGDATA_DIR"
    if ! pg initdb -D "$PGDATA_DIR" -U postgres --auth=trust -E UTF8 --no-locale >>"$PGTMP/initdb.log" 2>&1; then
        cat "$PGTMP/initdb.log" >&2
        fail_with_log "initdb failed"
    fi
fi

port_in_use() {
    local port=$1
    if command -v ss >/dev/null 2>&1; then
        [[ -n "$(ss -ltnH "sport = :$port" 2>/dev/null)" ]]
    else
        # Something accepts the connection: the port is taken.
        (exec 3<>"/dev/tcp/127.0.0.1/$port") 2>/dev/null
    fi
}

# Pick a free port from 55432 upward. Another run may grab the same port
# between the check and the start, so a start that fails to bind moves on to
# the next port (a few times); any other failure ends the search at once.
PGPORT_USED=""
attempts=0
for ((port = 55432; port < 55632; port++)); do
    port_in_use "$port" && continue
    attempts=$((attempts + 1))
    logged=0
    [[ -f "$PGLOG" ]] && logged=$(wc -l <"$PGLOG")
    if pg pg_ctl -D "$PGDATA_DIR" -l "$PGLOG" -t 60 -w \
        -o "-c listen_addresses=127.0.0.1 -p $port -k $PGTMP -c fsync=off" \
        start >/dev/null; then
        PGPORT_USED=$port
        break
    fi
    ((attempts >= 5)) && break
    tail -n +"$((logged + 1))" "$PGLOG" 2>/dev/null |
        grep -q -e 'could not bind' -e 'could not create any TCP/IP sockets' || break
done
[[ -n "$PGPORT_USED" ]] || fail_with_log "could not start the PostgreSQL test cluster"

# pg_ctl -w already waited; make sure TCP really answers before the tests.
ready=0
for _ in $(seq 1 30); do
    if "$PGBIN/pg_isready" -q -h 127.0.0.1 -p "$PGPORT_USED"; then
        ready=1
        break
    fi
    sleep 1
done
((ready)) || fail_with_log "PostgreSQL test cluster on port $PGPORT_USED does not answer"

echo "test.sh: PostgreSQL test cluster on 127.0.0.1:$PGPORT_USED" >&2
export QARVEL_TEST_PG="host=127.0.0.1 port=$PGPORT_USED user=postgres dbname=postgres"

# ctest runs in its own session (process group) in the background, so that a
# signal to this script alone (e.g. a CI timeout) still reaches the EXIT trap
# at once; the trap then ends ctest and every test it started.
# ctest's exit status becomes ours.
status=0
QT_QPA_PLATFORM=offscreen setsid ctest --test-dir "$ROOT/build" \
    --no-tests=error --output-on-failure --timeout 600 "$@" &
CTEST_PID=$!
wait "$CTEST_PID" || status=$?
CTEST_PID=""
exit "$status"
