#!/usr/bin/env bash
# pos-sign-update end to end: the key stays private and out of the source tree, and what it
# signs checks out with another program (openssl) against the public key it prints.
set -euo pipefail
tool=$1
source_dir=$2
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT

if "$tool" keygen "$source_dir/update.key" 2>/dev/null; then echo "made a key inside the source tree"; exit 1; fi
[ ! -e "$source_dir/update.key" ] || { echo "left a key in the source tree"; exit 1; }

public=$("$tool" keygen "$dir/update.key" | sed -n 's/^public key (base64): //p')
[ "$(stat -c %a "$dir/update.key")" = 600 ] || { echo "the key file is readable by others"; exit 1; }
if "$tool" keygen "$dir/update.key" 2>/dev/null; then echo "keygen replaced an existing key"; exit 1; fi
[ "$("$tool" public "$dir/update.key" | sed -n 's/^public key (base64): //p')" = "$public" ]

head -c 100000 /dev/urandom >"$dir/program"
mkdir "$dir/out"
if "$tool" sign "$dir/update.key" "$dir/program" 2014-01-02 chenlan-pos "$dir/out" 2>/dev/null; then
  echo "signed a version that is not month/day/year"; exit 1
fi
"$tool" sign "$dir/update.key" "$dir/program" 1/2/2014 chenlan-pos "$dir/out" >/dev/null
info=$dir/out/chenlan-pos.update
[ "$(stat -c %a "$info")" = 644 ] || { echo "the information file cannot be served"; exit 1; }
grep -qx 'version=01/02/2014' "$info"
grep -qx 'url=chenlan-pos' "$info"
grep -qx 'size=100000' "$info"
grep -qx "sha256=$(sha256sum "$dir/program" | cut -d' ' -f1)" "$info"

# Ed25519 public key in DER: a fixed prefix and the 32 raw bytes.
{ printf '302a300506032b6570032100' | xxd -r -p; echo "$public" | base64 -d; } >"$dir/public.der"
base64 -d "$info.sig" >"$dir/sig.bin"
openssl pkeyutl -verify -pubin -keyform DER -inkey "$dir/public.der" -rawin -in "$info" -sigfile "$dir/sig.bin" >/dev/null
echo "x" >>"$info"
if openssl pkeyutl -verify -pubin -keyform DER -inkey "$dir/public.der" -rawin -in "$info" -sigfile "$dir/sig.bin" >/dev/null 2>&1; then
  echo "a changed information file still verified"; exit 1
fi
echo "pos-sign-update ok"
