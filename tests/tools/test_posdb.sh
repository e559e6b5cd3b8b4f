#!/usr/bin/env bash
# posdb end to end: the files it makes are encrypted, open with the key, and check clean.
set -euo pipefail
posdb=$1
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT

"$posdb" create "$dir/x.mdb" >/dev/null
if sqlite3 "$dir/x.mdb" 'select count(*) from sqlite_master' >/dev/null 2>&1; then
  echo "plain sqlite3 could read the database"; exit 1
fi
tables=$(printf "PRAGMA key='pelmok.zqa';\nselect group_concat(name) from (select name from sqlite_master where type='table' and name not like 'sqlite_%%' order by name);\n" |
  sqlcipher "$dir/x.mdb" | tail -n 1)
[ "$tables" = "data,data1,data3,deleted_lines,rz,sp,userdb" ] || { echo "tables: $tables"; exit 1; }

if "$posdb" create "$dir/x.mdb" 2>/dev/null; then echo "create overwrote a file"; exit 1; fi
if "$posdb" check "$dir/none.mdb" 2>/dev/null; then echo "check of a missing file succeeded"; exit 1; fi
[ ! -e "$dir/none.mdb" ] || { echo "check created a file"; exit 1; }

"$posdb" demo "$dir/demo.mdb" >/dev/null
out=$("$posdb" check "$dir/demo.mdb")
echo "$out" | grep -q '^integrity: ok$'
sp=$(echo "$out" | sed -n 's/^sp: //p')
[ "$sp" -ge 40 ] || { echo "demo has $sp products"; exit 1; }
sales=$(echo "$out" | sed -n 's/^data3: //p')
[ "$sales" -ge 100 ] || { echo "demo has $sales sales"; exit 1; }
# pinyin: codes of older rows filled once; a code already stored is kept; a second run changes nothing.
sql() { printf "PRAGMA key='pelmok.zqa';\n%s\n" "$1" | sqlcipher "$dir/x.mdb" | tail -n 1; }
sql "insert into sp (商品编码,商品名称,供货商,商品类别,销售单价) values ('P1','可口可乐','康师傅','饮料',3);
insert into sp (商品编码,商品名称,供货商,商品类别,sppy,销售单价) values ('P2','面包','',null,'keep',2);" >/dev/null
out=$("$posdb" pinyin "$dir/x.mdb")
[ "$out" = "filled the pinyin codes of 1 products" ] || { echo "pinyin: $out"; exit 1; }
codes=$(sql "select group_concat(coalesce(sppy,'-')||'/'||coalesce(ghspy,'-')||'/'||coalesce(lbpy,'-'),' ') from (select * from sp order by 商品编码);")
[ "$codes" = "kkkl/ksf/yl keep/-/-" ] || { echo "codes: $codes"; exit 1; }
out=$("$posdb" pinyin "$dir/x.mdb")
[ "$out" = "filled the pinyin codes of 0 products" ] || { echo "second pinyin: $out"; exit 1; }
if "$posdb" pinyin "$dir/none.mdb" 2>/dev/null; then echo "pinyin of a missing file succeeded"; exit 1; fi

echo "posdb ok"
