#!/usr/bin/env bash
# Private PostgreSQL 15 server for the ODBC tests, listening on 127.0.0.1 only.
#   eval "$(bash scripts/postgres.sh start)"   starts it (or finds it running) and
#                                               prints the export of BELVORA_PG_ODBC
#   bash scripts/postgres.sh stop               stops it and removes its files
# BELVORA_PG_DIR (default /tmp/belvora-pg) and BELVORA_PG_PORT (default 55432)
# move it elsewhere. Only the export line goes to standard output.
set -euo pipefail

action=${1:-}
base=${BELVORA_PG_DIR:-/tmp/belvora-pg}
port=${BELVORA_PG_PORT:-55432}
bin=/usr/lib/postgresql/15/bin
data=$base/data
# Test-only account of a throwaway server that accepts connections from this machine only.
role=belvora
password=belvora

log() { echo "postgres.sh: $*" >&2; }

if [ ! -x "$bin/pg_ctl" ]; then
  log "PostgreSQL 15 is not installed ($bin/pg_ctl missing); run scripts/setup.sh"
  exit 1
fi

# The server refuses to run as root: as root, run it as the postgres account.
if [ "$(id -u)" -eq 0 ]; then
  owner=postgres
  as_owner() { runuser -u postgres -- "$@"; }
else
  owner=$(id -un)
  as_owner() { "$@"; }
fi

pg_ctl() { as_owner "$bin/pg_ctl" -D "$data" "$@"; }
psql_admin() {
  as_owner /usr/bin/psql -X -q -v ON_ERROR_STOP=1 -h "$base" -p "$port" -U "$owner" -d postgres "$@"
}

print_export() {
  echo "export BELVORA_PG_ODBC='Driver={PostgreSQL Unicode};Server=127.0.0.1;Port=$port;Database=$role;Uid=$role;Pwd=$password;'"
}

start() {
  mkdir -p "$base"
  chmod 0700 "$base"
  [ "$(id -u)" -eq 0 ] && chown "$owner" "$base"

  if [ ! -f "$data/PG_VERSION" ]; then
    log "creating the cluster in $data"
    as_owner "$bin/initdb" -D "$data" -U "$owner" -E UTF8 --locale=C.UTF-8 \
      --auth-local=trust --auth-host=scram-sha-256 >"$base/initdb.log" 2>&1 ||
      { cat "$base/initdb.log" >&2; exit 1; }
    cat >>"$data/postgresql.conf" <<CONF
listen_addresses = '127.0.0.1'
port = $port
unix_socket_directories = '$base'
fsync = off
synchronous_commit = off
full_page_writes = off
CONF
  fi

  if ! pg_ctl status >/dev/null 2>&1; then
    log "starting on 127.0.0.1:$port"
    pg_ctl -l "$base/server.log" -w -t 60 start >/dev/null 9>&- ||
      { tail -n 20 "$base/server.log" >&2; exit 1; }
  fi

  # Waits until connections are accepted (start -w returns once the server is up,
  # a server found running may still be recovering).
  for _ in $(seq 1 60); do
    if as_owner "$bin/pg_isready" -q -h 127.0.0.1 -p "$port"; then break; fi
    sleep 1
  done
  as_owner "$bin/pg_isready" -q -h 127.0.0.1 -p "$port" ||
    { log "the server does not accept connections"; exit 1; }

  if [ "$(psql_admin -tA -c "SELECT 1 FROM pg_roles WHERE rolname = '$role'")" != 1 ]; then
    psql_admin -c "CREATE ROLE $role LOGIN PASSWORD '$password'"
  fi
  if [ "$(psql_admin -tA -c "SELECT 1 FROM pg_database WHERE datname = '$role'")" != 1 ]; then
    psql_admin -c "CREATE DATABASE $role OWNER $role ENCODING 'UTF8'"
  fi
  print_export
}

stop() {
  if [ -f "$data/PG_VERSION" ] && pg_ctl status >/dev/null 2>&1; then
    pg_ctl -m fast -w stop >/dev/null
  fi
  rm -rf "$base"
}

# One caller at a time, so that helpers starting it together do not race in initdb.
exec 9>"/tmp/belvora-pg-$port.lock"
flock 9

case "$action" in
  start) start ;;
  stop) stop ;;
  *)
    echo "usage: $0 start|stop" >&2
    exit 2
    ;;
esac
