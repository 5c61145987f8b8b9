#!/usr/bin/env bash
# manifest-tool from the command line: exit codes, messages, nothing written
# when refused.
#   cli_test.sh MANIFEST-TOOL
set -euo pipefail
tool=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

fail() { echo "FAIL: $*"; exit 1; }
expect_status() {
  local expected=$1
  shift
  set +e
  "$@" >"$work/out" 2>"$work/err"
  local status=$?
  set -e
  [[ $status == "$expected" ]] || fail "'$*' exited $status, expected $expected; $(cat "$work/out" "$work/err")"
}

mkdir -p "$work/client/bin"
printf 'game' >"$work/client/bin/game.exe"

expect_status 2 "$tool"
grep -q '^usage:' "$work/err" || fail "no usage text"
expect_status 2 "$tool" write "$work/client"
expect_status 2 "$tool" frobnicate
expect_status 2 "$tool" write "$work/client" --url http://127.0.0.1/c/ --version -3

expect_status 1 "$tool" write "$work/client" --url http://127.0.0.1/c/ --mirror http://127.0.0.1/m --output "$work/file.json"
grep -q 'mirror "http://127.0.0.1/m" does not end with' "$work/err" || fail "the bad mirror is not named: $(cat "$work/err")"
expect_status 0 "$tool" write "$work/client" --url http://127.0.0.1/c/ --mirror http://127.0.0.2/c/ --mirror https://cdn2.example.com/c/ \
  --output "$work/file.json"
grep -q 'version 1, 1 files, 4 bytes' "$work/out" || fail "no summary: $(cat "$work/out")"
grep -q -F '"Mirrors" : [ { "URL" : "http://127.0.0.2/c/" }, { "URL" : "https://cdn2.example.com/c/" } ],' "$work/file.json" ||
  fail "no mirrors written: $(cat "$work/file.json")"
expect_status 0 "$tool" check "$work/file.json" --folder "$work/client"
grep -q 'launch target: bin/game.exe' "$work/out" || fail "no launch target: $(cat "$work/out")"
# Every file is pinned by its SHA-256, the same as sha256sum gives.
grep -q "\"SHA256\" : \"$(printf game | sha256sum | cut -c1-64)\"" "$work/file.json" || fail "wrong SHA256"

echo "-- a file changed after publishing, at the same size, is reported"
printf 'gamf' >"$work/client/bin/game.exe"
expect_status 1 "$tool" check "$work/file.json" --folder "$work/client"
grep -q 'bin/game.exe" does not match its "SHA256"' "$work/out" || fail "the changed file is not named: $(cat "$work/out")"
printf 'game' >"$work/client/bin/game.exe"

: >"$work/client/pipe|name.pak"
cp "$work/file.json" "$work/before.json"
expect_status 1 "$tool" write "$work/client" --url http://127.0.0.1/c/ --output "$work/file.json"
grep -q "pipe|name.pak: holds '|'" "$work/err" || fail "the unstorable name is not named: $(cat "$work/err")"
cmp -s "$work/file.json" "$work/before.json" || fail "a refused write changed the manifest"
expect_status 1 "$tool" check "$work/file.json" --folder "$work/client"
grep -q 'pipe|name.pak" is in the folder but not listed' "$work/out" || fail "$(cat "$work/out")"
rm "$work/client/pipe|name.pak"

echo "-- keygen once, sign each publication, check by the public key"
expect_status 0 "$tool" keygen --private "$work/manifest.key" --public "$work/manifest.pub"
[[ $(stat -c %a "$work/manifest.key") == 600 ]] || fail "the private key is readable by others"
openssl pkey -in "$work/manifest.key" -noout || fail "openssl cannot read the private key"
expect_status 1 "$tool" keygen --private "$work/manifest.key" --public "$work/other.pub"
grep -q 'manifest.key: cannot be made' "$work/err" || fail "an existing key was not refused: $(cat "$work/err")"
expect_status 2 "$tool" sign "$work/file.json"
expect_status 0 "$tool" sign "$work/file.json" --key "$work/manifest.key"
[[ $(stat -c %s "$work/file.json.sig") == 64 ]] || fail "the signature is not 64 bytes"
expect_status 0 "$tool" check "$work/file.json" --public "$work/manifest.pub"
grep -q 'signed by' "$work/out" || fail "no signature reported: $(cat "$work/out")"
printf ' ' >>"$work/file.json"
expect_status 1 "$tool" check "$work/file.json" --public "$work/manifest.pub"
grep -q 'file.json does not match its signature .*file.json.sig' "$work/out" || fail "$(cat "$work/out")"

echo PASS
