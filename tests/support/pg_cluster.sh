#!/bin/bash
# A throwaway PostgreSQL cluster for the tests, reachable only through a Unix socket.
#   pg_cluster.sh start DIR [PID]
#                             initialise a cluster in DIR and start it; the socket lives in DIR.
#                             With PID, a watcher stops and removes the cluster once that process
#                             has ended, however it ended.
#   pg_cluster.sh stop DIR    stop it at once and remove DIR
#   pg_cluster.sh restart DIR fast|immediate
#                             restart the server of DIR with that shutdown mode, keeping the data
#   pg_cluster.sh stop-server DIR [fast|immediate]
#                             stop the server of DIR (fast unless told), keeping the data
#   pg_cluster.sh start-server DIR
#                             start the server of DIR again, as start did
# Superuser "postgres", trust authentication. Run as root, the server runs as the postgres user;
# when DIR is not reachable for that user (or its path is too long for a socket) the cluster lives
# in /tmp/qrvpg-* and DIR becomes a symbolic link to it.
set -euo pipefail

action=${1:-}
dir=${2:-}
owner=${3:-}
usage="usage: $0 start|stop|restart|stop-server|start-server DIR [PID|MODE]"
if [[ -z "$action" || -z "$dir" ]]; then
    echo "$usage" >&2
    exit 2
fi

bindir=$(ls -d /usr/lib/postgresql/*/bin 2>/dev/null | sort -V | tail -n 1 || true)
if [[ -z "$bindir" || ! -x "$bindir/initdb" ]]; then
    echo "pg_cluster.sh: no PostgreSQL server found under /usr/lib/postgresql/*/bin" >&2
    exit 1
fi

as_server() {
    if [[ $(id -u) -eq 0 ]]; then
        runuser -u postgres -- "$@"
    else
        "$@"
    fi
}

# Only a Unix socket, no TCP port; fsync off: the cluster is thrown away after the run.
start_server() {
    as_server "$bindir/pg_ctl" -D "$1/data" -l "$1/server.log" -w -t 60 \
        -o "-c listen_addresses='' -c unix_socket_directories='$1' -c fsync=off -c full_page_writes=off -c max_connections=200" \
        start >/dev/null
}

# The folder a cluster really lives in, as an absolute path (DIR may be a link to /tmp/qrvpg-*).
real_dir() {
    readlink -f "$1"
}

shutdown_mode() {
    case "${1:-fast}" in
    fast | immediate) echo "${1:-fast}" ;;
    *)
        echo "pg_cluster.sh: shutdown mode must be fast or immediate" >&2
        exit 2
        ;;
    esac
}

case "$action" in
start)
    if [[ -e "$dir" || -L "$dir" ]]; then
        # A cluster left behind by an interrupted run: remove it first.
        "$0" stop "$dir" >/dev/null 2>&1 || true
    fi
    mkdir -p "$(dirname "$dir")"
    parent=$(cd "$(dirname "$dir")" && pwd)
    dir="$parent/$(basename "$dir")"
    real="$dir"
    needs_tmp=0
    if [[ ${#dir} -gt 80 ]]; then
        needs_tmp=1
    elif [[ $(id -u) -eq 0 ]] && ! runuser -u postgres -- test -x "$parent"; then
        needs_tmp=1
    fi
    if [[ $needs_tmp -eq 1 ]]; then
        real=$(mktemp -d /tmp/qrvpg-XXXXXX)
        ln -s "$real" "$dir"
    else
        mkdir -p "$real"
    fi
    chmod 755 "$real"
    if [[ $(id -u) -eq 0 ]]; then
        chown postgres:postgres "$real"
    fi
    if ! as_server "$bindir/initdb" -D "$real/data" -U postgres -A trust -E UTF8 --locale=C.UTF-8 \
            --no-sync >"$real/initdb.log" 2>&1; then
        cat "$real/initdb.log" >&2
        exit 1
    fi
    if ! start_server "$real"; then
        cat "$real/server.log" >&2 || true
        exit 1
    fi
    for _ in $(seq 1 100); do
        if "$bindir/pg_isready" -q -h "$real" -U postgres; then
            if [[ -n "$owner" ]]; then
                script=$(readlink -f "$0")
                setsid bash -c 'while kill -0 "$1" 2>/dev/null; do sleep 1; done; exec "$2" stop "$3"' \
                    watcher "$owner" "$script" "$dir" </dev/null >/dev/null 2>&1 &
            fi
            echo "$real"
            exit 0
        fi
        sleep 0.1
    done
    echo "pg_cluster.sh: the server in $real does not answer" >&2
    cat "$real/server.log" >&2 || true
    exit 1
    ;;
stop)
    real="$dir"
    if [[ -L "$dir" ]]; then
        real=$(readlink -f "$dir")
    fi
    if [[ -f "$real/data/postmaster.pid" ]]; then
        as_server "$bindir/pg_ctl" -D "$real/data" stop -m immediate -w >/dev/null 2>&1 || true
    fi
    # Remove only what this script made: a cluster folder, or an empty one.
    if [[ -d "$real" ]]; then
        if [[ -e "$real/data/PG_VERSION" || -e "$real/initdb.log" || -z "$(ls -A "$real")" ]]; then
            rm -rf "$real"
        else
            echo "pg_cluster.sh: $real does not look like a test cluster; left in place" >&2
        fi
    fi
    if [[ -L "$dir" ]]; then
        rm -f "$dir"
    fi
    exit 0
    ;;
restart)
    real=$(real_dir "$dir")
    mode=$(shutdown_mode "${3:-}")
    # pg_ctl restart starts the server again with the options of its last start.
    if ! as_server "$bindir/pg_ctl" -D "$real/data" -l "$real/server.log" -w -t 60 -m "$mode" \
            restart >/dev/null; then
        cat "$real/server.log" >&2 || true
        exit 1
    fi
    exit 0
    ;;
stop-server)
    real=$(real_dir "$dir")
    mode=$(shutdown_mode "${3:-}")
    as_server "$bindir/pg_ctl" -D "$real/data" -w -t 60 -m "$mode" stop >/dev/null
    exit 0
    ;;
start-server)
    real=$(real_dir "$dir")
    if ! start_server "$real"; then
        cat "$real/server.log" >&2 || true
        exit 1
    fi
    exit 0
    ;;
*)
    echo "$usage" >&2
    exit 2
    ;;
esac
