#!/usr/bin/env bash
# posdb import from a script: the count on success; on failure the reason on standard error, a
# non-zero exit and the database as it was.
set -euo pipefail
posdb=$1
make_workbook=$2
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT

"$posdb" create "$dir/shop.mdb" >/dev/null
titles='"商品编码","商品类别","商品名称","规格型号","进货单价","销售单价","会员价","单位","供货商"'
echo "{\"path\":\"$dir/good.xlsx\",\"format\":\"xlsx\",\"sheets\":[{\"name\":\"tavlin\",\"rows\":[[$titles],
  [6901234567890,\"饮料\",\"可乐\",\"\",2,3,3,\"瓶\",\"\"],[\"A2\",\"\",\"面包\",\"\",1,\"2.5\",2,\"个\",\"\"]]}]}" |
  /usr/bin/python3 "$make_workbook"
echo "{\"path\":\"$dir/bad.xls\",\"format\":\"xls\",\"sheets\":[{\"name\":\"tavlin\",\"rows\":[[$titles],
  [\"1\",\"\",\"好\",\"\",1,1,1,\"\",\"\"],[\"2\",\"\",\"坏\",\"\",1,\"abc\",1,\"\",\"\"]]}]}" |
  /usr/bin/python3 "$make_workbook"

out=$("$posdb" import "$dir/good.xlsx" "$dir/shop.mdb")
[ "$out" = "imported 2 products" ] || { echo "success said: $out"; exit 1; }
"$posdb" check "$dir/shop.mdb" | grep -q '^sp: 2$' || { echo "sp does not hold 2 rows"; exit 1; }

if "$posdb" import "$dir/bad.xls" "$dir/shop.mdb" 2>"$dir/err" >"$dir/out"; then echo "a bad workbook succeeded"; exit 1; fi
grep -q "批量EXCEL导入失败！请联系技术客服QQ:" "$dir/err" || { echo "stderr: $(cat "$dir/err")"; exit 1; }
grep -q "第 3 行 销售单价：'abc' 不是数字" "$dir/err" || { echo "stderr: $(cat "$dir/err")"; exit 1; }
[ ! -s "$dir/out" ] || { echo "failure wrote to stdout"; exit 1; }
"$posdb" check "$dir/shop.mdb" | grep -q '^sp: 2$' || { echo "the failed import changed sp"; exit 1; }

printf 'not a database\n' >"$dir/text.mdb"
if "$posdb" import "$dir/good.xlsx" "$dir/text.mdb" 2>"$dir/err"; then echo "a text file took the import"; exit 1; fi
grep -q "连接ACCESS失败！请联系技术客服QQ:" "$dir/err"
[ "$(cat "$dir/text.mdb")" = "not a database" ] || { echo "the text file changed"; exit 1; }
echo "posdb import ok"
