#!/usr/bin/env bash
# A throwaway PostgreSQL cluster for the ODBC tests, listening only on a unix socket.
#   pg_server.sh start DIR   creates the cluster in DIR and starts it; prints the
#                            environment the tests read (VERANTH_TEST_PG_*), one per line
#   pg_server.sh stop DIR    stops it (DIR is left for the caller to remove)
# DIR is made open to the server's account; its parent must be traversable (as /tmp is).
# As root the server runs as the "postgres" account, since PostgreSQL refuses to run as root.
# Exits 0 without printing anything when PostgreSQL is not installed, so the tests skip.
set -euo pipefail

command_name="${1:-}"
dir="${2:-}"
[ -n "$command_name" ] && [ -n "$dir" ] || { echo "usage: $0 start|stop DIR" >&2; exit 2; }

bindir=""
for candidate in /usr/lib/postgresql/*/bin; do
  [ -x "$candidate/pg_ctl" ] && bindir="$candidate"
done
if [ -z "$bindir" ]; then
  command -v pg_ctl >/dev/null 2>&1 && bindir="$(dirname "$(command -v pg_ctl)")"
fi

as_owner() {
  if [ "$(id -u)" -eq 0 ]; then
    runuser -u postgres -- "$@"
  else
    "$@"
  fi
}

case "$command_name" in
  start)
    [ -n "$bindir" ] || exit 0
    if [ "$(id -u)" -eq 0 ] && ! id postgres >/dev/null 2>&1; then
      echo "pg_server.sh: no postgres account to run the server as" >&2
      exit 0
    fi
    mkdir -p "$dir"
    chmod 755 "$dir"
    [ "$(id -u)" -eq 0 ] && chown postgres: "$dir"
    password="veranth-test"
    printf '%s\n' "$password" >"$dir/pwfile"
    [ "$(id -u)" -eq 0 ] && chown postgres: "$dir/pwfile"
    # Password logins, so a wrong password is refused as on a real server.
    as_owner "$bindir/initdb" -D "$dir/data" -U postgres --pwfile="$dir/pwfile" \
      --auth=scram-sha-256 -E UTF8 --locale=C.UTF-8 >"$dir/initdb.log" 2>&1 ||
      as_owner "$bindir/initdb" -D "$dir/data" -U postgres --pwfile="$dir/pwfile" \
        --auth=scram-sha-256 -E UTF8 --no-locale >"$dir/initdb.log" 2>&1
    as_owner "$bindir/pg_ctl" -D "$dir/data" -l "$dir/server.log" -w -t 60 \
      -o "-k $dir -c listen_addresses='' -p 5432 -c fsync=off -c max_connections=60" start >/dev/null
    echo "VERANTH_TEST_PG_SOCKET=$dir"
    echo "VERANTH_TEST_PG_PORT=5432"
    echo "VERANTH_TEST_PG_USER=postgres"
    echo "VERANTH_TEST_PG_PASSWORD=$password"
    ;;
  stop)
    [ -n "$bindir" ] && [ -d "$dir/data" ] || exit 0
    as_owner "$bindir/pg_ctl" -D "$dir/data" -m immediate -w stop >/dev/null 2>&1 || true
    ;;
  *)
    echo "usage: $0 start|stop DIR" >&2
    exit 2
    ;;
esac
