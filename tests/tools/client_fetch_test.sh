#!/usr/bin/env bash
# client-fetch against signed publications, natively and under Wine (the
# same table, with the build's client-fetch and manifest-tool): a soundly
# signed client arrives byte for byte; one changed byte of "file.json", a
# missing "file.json.sig", a signature by another key and an expired manifest
# are each refused with exit code 1, naming the signature, and no file of the
# client is written. manifest-tool check --public finds the sound one signed.
#   client_fetch_test.sh CLIENT-FETCH MANIFEST-TOOL
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
source "$here/../wine/wine_test_lib.sh"
fetch=$1
tool=$2

scratch=$(mktemp -d)
at_exit "rm -rf '$scratch'"
if [[ $fetch != *.exe ]]; then
  # Natively: a loopback port nobody else uses, and a work folder of our own.
  DOWNLOADER_HOST=127.0.0.1:$(python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
  export TMPDIR=$scratch
fi

root=$scratch/server
publish_client "$root" "$tool" bin/game.exe:3000 data/a.pak:300000 data/b.pak:1000
json=$root/Live/fullclient/json
# The sound publication expires in 30 days: a future "Expires" is no refusal.
write_manifest "$tool" "$root/Live/fullclient/data" "$scratch/sound.json" --version 1 --expires 30
cp "$scratch/sound.json" "$json/file.json"
cp "$scratch/sound.json.sig" "$json/file.json.sig"
grep -q '"Expires" : "20[0-9-]*T[0-9:]*Z"' "$json/file.json" || fail "write --expires wrote no \"Expires\""
# manifest-tool check finds the signature sound by the development key's
# public half (read by the system's decoder: crypt32 under Wine).
public=${DOWNLOADER_DEV_KEY%.key}.pub
if [[ $tool == *.exe ]]; then
  check=(wine "$tool" check "$(windows_path "$scratch/sound.json")" --public "$(windows_path "$public")")
else
  check=("$tool" check "$scratch/sound.json" --public "$public")
fi
"${check[@]}" >"$scratch/check" 2>&1 || fail "manifest-tool check refused the sound manifest: $(cat "$scratch/check")"
grep -q 'signed by' "$scratch/check" || fail "manifest-tool check reported no signature: $(cat "$scratch/check")"
start_content_server "$root"
openssl genpkey -algorithm EC -pkeyopt ec_paramgen_curve:P-256 -out "$scratch/other.key" 2>/dev/null

# fetch_into FOLDER: client-fetch of the publication into FOLDER; its status
# in $status, its output in $scratch/out.
fetch_into() {
  local folder=$1 url="http://$DOWNLOADER_HOST/Live/fullclient/json/"
  shift
  mkdir -p "$folder"
  status=0
  if [[ $fetch == *.exe ]]; then
    WINEDEBUG=-all wine "$fetch" "$url" "$(windows_path "$folder")" "$@" >"$scratch/out" 2>&1 || status=$?
  else
    "$fetch" "$url" "$folder" "$@" >"$scratch/out" 2>&1 || status=$?
  fi
}

echo "-- soundly signed: the client arrives byte for byte"
fetch_into "$scratch/sound"
((status == 0)) || fail "client-fetch ended with $status: $(cat "$scratch/out")"
same_client "$scratch/sound" "$root"

echo "-- --limit-rate 200000: the 304,000 bytes take about 1.5 s; a rate that is no number is a usage error"
started=$(date +%s%N)
fetch_into "$scratch/limited" --limit-rate 200000
took=$((($(date +%s%N) - started) / 1000000))
((status == 0)) || fail "client-fetch --limit-rate ended with $status: $(cat "$scratch/out")"
same_client "$scratch/limited" "$root"
((took >= 1300 && took < 4000)) || fail "the limited fetch took $took ms"
fetch_into "$scratch/unlimited" --limit-rate fast
((status == 2)) || fail "--limit-rate fast ended with $status"

# Each refusal: WHAT, how the publication is spoiled, and the reason named.
changed_byte() { sed -i '0,/"Version" : 1/s//"Version" : 7/' "$json/file.json"; }
missing_signature() { rm "$json/file.json.sig"; }
other_key() { sign_manifest "$json/file.json" "$scratch/other.key"; }
expired() {
  sed -i 's/"Expires" : "[^"]*"/"Expires" : "2020-01-01T00:00:00Z"/' "$json/file.json"
  sign_manifest "$json/file.json"
}
refusals=(
  "changed_byte|file.json does not match its signature file.json.sig"
  "missing_signature|the signature file.json.sig is missing or damaged"
  "other_key|file.json does not match its signature file.json.sig"
  "expired|file.json expired at 2020-01-01T00:00:00Z (its \"Expires\", covered by its signature file.json.sig)"
)
for refusal in "${refusals[@]}"; do
  spoil=${refusal%%|*}
  reason=${refusal#*|}
  echo "-- $spoil: refused"
  cp "$scratch/sound.json" "$json/file.json"
  cp "$scratch/sound.json.sig" "$json/file.json.sig"
  "$spoil"
  fetch_into "$scratch/$spoil"
  ((status == 1)) || fail "$spoil: client-fetch ended with $status: $(cat "$scratch/out")"
  grep -q -x -F "client-fetch: the download information could not be verified: $reason" <(tr -d '\r' <"$scratch/out") ||
    fail "$spoil: the signature is not named: $(cat "$scratch/out")"
  [[ -z $(ls -A "$scratch/$spoil") ]] || fail "$spoil: files of the client were written: $(ls -A "$scratch/$spoil")"
done
echo PASS
