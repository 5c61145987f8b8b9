#!/usr/bin/env bash
# scripts/release.sh end to end: a refusal for each exit code from 1 to 5
# (its message, nothing written); a release signed by a throwaway
# code-signing certificate that osslsigncode verifies against the throwaway
# authority (and a copy with one changed byte that it refuses); then a second,
# unsigned release from another folder, later and in another time zone, whose
# programs equal the signed ones byte for byte once their signatures are
# removed.
#   release_script_test.sh SOURCE-TREE
set -euo pipefail
src=$(realpath "$1")
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
fail() { echo "FAIL: $*"; exit 1; }
names=(downloader.exe client-fetch.exe manifest-tool.exe)
server_url=https://cdn.example.com/Live/fullclient/json/

# copy_tree DIR: a clone of the tree's commit in DIR, with the files changed
# since (modified or new) laid over it, so that a change is tested before it
# is committed.
copy_tree() {
  git clone -q --shared --no-checkout "$src" "$1"
  git -C "$1" checkout -q --detach "$(git -C "$src" rev-parse HEAD)"
  (cd "$src" && git ls-files -z -m -o --exclude-standard | tar --null -T - --ignore-failed-read -cf - 2>/dev/null) |
    tar -xf - -C "$1"
}

# issue NAME USAGE: NAME.key and NAME.pem, a certificate from the throwaway
# authority for that extended key usage.
issue() {
  openssl req -new -newkey rsa:2048 -nodes -subj "/CN=Release test $1" -keyout "$1.key" -out "$1.csr" 2>/dev/null
  printf 'basicConstraints=CA:FALSE\nkeyUsage=critical,digitalSignature\nextendedKeyUsage=%s\n' "$2" >"$1.ext"
  openssl x509 -req -in "$1.csr" -CA ca.pem -CAkey ca.key -CAcreateserial -days 2 -extfile "$1.ext" -out "$1.pem" 2>/dev/null
}

mkdir "$scratch/pki"
cd "$scratch/pki"
openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj "/CN=Release test authority" -keyout ca.key -out ca.pem \
  -addext basicConstraints=critical,CA:TRUE -addext keyUsage=critical,keyCertSign 2>/dev/null
issue signer codeSigning
issue server serverAuth
echo secret >password
openssl pkcs12 -export -in signer.pem -inkey signer.key -passout file:password -out signer.p12
openssl genpkey -algorithm EC -pkeyopt ec_paramgen_curve:P-256 2>/dev/null | openssl pkey -pubout -out manifest.pub
echo wrong >wrong-password

copy_tree "$scratch/a"
release() { "$1/scripts/release.sh" "${@:2}" >"$scratch/log" 2>&1; }

echo "-- refusals: exit code and message, no output folder"
refusals=(
  "2|--cert and --key go together|--manifest-key manifest.pub --cert signer.pem"
  "3|the manifest key .*missing.pub does not exist|--manifest-key missing.pub"
  "3|cannot read the certificate and key of signer.p12|--manifest-key manifest.pub --pkcs12 signer.p12 --pass-file wrong-password"
  "4|not for code signing|--manifest-key manifest.pub --cert server.pem --key server.key"
  "5|the signing key does not belong to the certificate|--manifest-key manifest.pub --cert signer.pem --key server.key"
  "1|the build failed|--manifest-key manifest.pub --server-url ftp://cdn.example.com/"
)
for row in "${refusals[@]}"; do
  IFS='|' read -r code message arguments <<<"$row"
  read -ra arguments <<<"$arguments"
  status=0
  release "$scratch/a" --out "$scratch/refused" "${arguments[@]}" || status=$?
  ((status == code)) || fail "release ${arguments[*]} exited $status, not $code: $(cat "$scratch/log")"
  grep -q "release: .*$message" "$scratch/log" || fail "release ${arguments[*]} did not say '$message': $(cat "$scratch/log")"
  [[ ! -e $scratch/refused ]] || fail "release ${arguments[*]} wrote $scratch/refused"
done

echo "-- a signed release: verified against the authority, refused when changed"
release "$scratch/a" --manifest-key manifest.pub --out "$scratch/signed" --server-url "$server_url" \
  --cert signer.pem --key signer.key --ca ca.pem || fail "the signed release failed: $(cat "$scratch/log")"
(cd "$scratch/signed" && sha256sum --quiet -c SHA256SUMS) || fail "SHA256SUMS does not match the signed programs"
for name in "${names[@]}"; do
  osslsigncode verify -CAfile ca.pem -in "$scratch/signed/$name" >"$scratch/verify" 2>&1 ||
    fail "osslsigncode refused the signed $name: $(cat "$scratch/verify")"
  grep -q 'Text description: TARVIK full-client downloader' "$scratch/verify" || fail "$name: no product name signed"
  grep -q 'URL description: https://cdn.example.com/' "$scratch/verify" || fail "$name: no product URL signed"
done
# The trust comes from the throwaway authority: without it nothing vouches.
! osslsigncode verify -in "$scratch/signed/downloader.exe" >/dev/null 2>&1 ||
  fail "the signature verified without the test authority"
python3 -c 'import sys; b = bytearray(open(sys.argv[1], "rb").read()); b[4096] ^= 1; open(sys.argv[2], "wb").write(b)' \
  "$scratch/signed/downloader.exe" "$scratch/changed.exe"
! osslsigncode verify -CAfile ca.pem -in "$scratch/changed.exe" >"$scratch/verify" 2>&1 ||
  fail "osslsigncode accepted a changed copy: $(cat "$scratch/verify")"

echo "-- an unsigned release elsewhere, later, in another time zone: the same bytes"
mkdir -p "$scratch/another/deeper" "$scratch/keys"
copy_tree "$scratch/another/deeper/tree"
cp manifest.pub "$scratch/keys/operator.pub"
TZ=Pacific/Kiritimati release "$scratch/another/deeper/tree" --manifest-key "$scratch/keys/operator.pub" \
  --out "$scratch/unsigned" --server-url "$server_url" || fail "the unsigned release failed: $(cat "$scratch/log")"
for name in "${names[@]}"; do
  osslsigncode remove-signature -in "$scratch/signed/$name" -out "$scratch/stripped-$name" >/dev/null
  cmp "$scratch/stripped-$name" "$scratch/unsigned/$name" || fail "$name differs between the two releases"
done
# The operator's key is compiled in (X then Y), and no development pair was made.
openssl pkey -pubin -in manifest.pub -outform DER | tail -c 64 >"$scratch/key.raw"
python3 -c 'import sys; sys.exit(open(sys.argv[1], "rb").read() not in open(sys.argv[2], "rb").read())' \
  "$scratch/key.raw" "$scratch/unsigned/downloader.exe" || fail "the operator's key is not in downloader.exe"
[[ ! -e $scratch/another/deeper/tree/build/dev-keys ]] || fail "the release made a development key pair"
echo "PASS: refusals, signature, changed copy refused, two releases byte-identical"
