#!/usr/bin/env bash
# posdb backup and restore killed (SIGKILL) at random moments: the database always opens and
# checks clean with either its old rows or the restored ones, and the previous backup survives.
set -euo pipefail
posdb=$1
rounds=${2:-8}
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT

counts() { "$posdb" check "$1" | grep -v '^schema' | tr '\n' ' '; }
now_ms() { date +%s%3N; }

"$posdb" synth "$dir/data.mdb" --products 20000 --sales 8000 --lines-per-sale 5 --seed 1 >/dev/null 2>&1
"$posdb" synth "$dir/other.mdb" --products 3000 --sales 500 --lines-per-sale 2 --seed 2 >/dev/null 2>&1
"$posdb" backup "$dir/data.mdb" "$dir/beifen.mdb" >/dev/null 2>&1
"$posdb" backup "$dir/other.mdb" "$dir/restore-me.mdb" >/dev/null 2>&1
cp "$dir/data.mdb" "$dir/pristine.mdb"
old=$(counts "$dir/data.mdb")

# Refusals: a non-zero exit, the reason on standard error, nothing touched.
if "$posdb" backup "$dir/data.mdb" "$dir/data.mdb" 2>"$dir/err"; then echo "backup onto itself succeeded"; exit 1; fi
grep -q '正在使用的数据库' "$dir/err" || { echo "no reason given: $(cat "$dir/err")"; exit 1; }
head -c 100000 /dev/urandom >"$dir/junk.mdb"
if "$posdb" restore "$dir/junk.mdb" "$dir/data.mdb" 2>"$dir/err"; then echo "junk was restored"; exit 1; fi
grep -q 'restore failed' "$dir/err" || { echo "no reason given: $(cat "$dir/err")"; exit 1; }
[ "$(counts "$dir/data.mdb")" = "$old" ] || { echo "a refused restore changed the database"; exit 1; }
restored=$(counts "$dir/restore-me.mdb")
good=$(sha256sum <"$dir/beifen.mdb")

# How long one full run takes, so the kills spread over the whole of it.
start=$(now_ms); "$posdb" backup "$dir/data.mdb" "$dir/timing.mdb" >/dev/null 2>&1; backup_ms=$(( $(now_ms) - start ))
start=$(now_ms); "$posdb" restore "$dir/restore-me.mdb" "$dir/pristine.mdb" >/dev/null 2>&1; restore_ms=$(( $(now_ms) - start ))
cp "$dir/data.mdb" "$dir/pristine.mdb"; rm -f "$dir"/pristine-恢复前-*

kill_after() {  # kill_after MS command...: SIGKILL at MS milliseconds, unless it ended first
  local ms=$1; shift
  "$@" >/dev/null 2>&1 & local pid=$!
  sleep "$(awk -v m="$ms" 'BEGIN { printf "%.3f", m / 1000 }')"
  kill -9 "$pid" 2>/dev/null || true
  wait "$pid" 2>/dev/null || true
}

for ((i = 0; i < rounds; i++)); do
  at=$(( RANDOM % (backup_ms * 12 / 10 + 1) ))
  kill_after "$at" "$posdb" backup "$dir/data.mdb" "$dir/beifen.mdb"
  [ "$(counts "$dir/data.mdb")" = "$old" ] || { echo "backup killed at ${at} ms changed the database"; exit 1; }
  if [ "$(sha256sum <"$dir/beifen.mdb")" != "$good" ]; then
    # Replaced: then only by a whole, checked backup.
    [ "$(counts "$dir/beifen.mdb")" = "$old" ] || { echo "backup killed at ${at} ms left a broken backup"; exit 1; }
    good=$(sha256sum <"$dir/beifen.mdb")
  fi

  at=$(( RANDOM % (restore_ms * 12 / 10 + 1) ))
  kill_after "$at" "$posdb" restore "$dir/restore-me.mdb" "$dir/data.mdb"
  now=$(counts "$dir/data.mdb")
  if [ "$now" = "$restored" ]; then
    cp "$dir/pristine.mdb" "$dir/data.mdb"; rm -f "$dir/data.mdb-wal" "$dir/data.mdb-shm"
  elif [ "$now" != "$old" ]; then
    echo "restore killed at ${at} ms left: $now"; exit 1
  fi
  rm -f "$dir"/data-恢复前-*
done
echo "kill ok: $rounds rounds, backup ${backup_ms} ms, restore ${restore_ms} ms"
