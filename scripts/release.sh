#!/usr/bin/env bash
# Builds the programs that players and operators get, reproducibly, and signs
# them with Authenticode. See "Releasing" in README.md.
#
#   scripts/release.sh --manifest-key PUB [--manifest-key PUB ...] --out DIR
#       [--server-url URL] [--cert CERT --key KEY | --pkcs12 FILE] [--pass-file FILE]
#       [--timestamp URL] [--ca FILE] [--product-url URL]
#
# The build (build/release, made anew each time) trusts the operator's public
# manifest keys and no development key, builds no test, and names the server
# URL given (--server-url, else DOWNLOADER_SERVER_URL from the environment).
# DIR receives downloader.exe, client-fetch.exe, manifest-tool.exe, SHA256SUMS
# and BUILDINFO only once every step has passed.
#
# Exit codes: 0 released; 1 the build failed; 2 usage; 3 a key, certificate or
# other input is missing or unreadable; 4 the certificate is not for code
# signing, or has expired; 5 the key does not belong to the certificate;
# 6 signing or verifying a program failed.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=$root/build/release
product_name="TARVIK full-client downloader"
programs=(app/downloader.exe tools/fetch/client-fetch.exe tools/manifest/manifest-tool.exe)
names=(downloader.exe client-fetch.exe manifest-tool.exe)

die() {
  local code=$1
  shift
  echo "release: $*" >&2
  exit "$code"
}
usage() {
  echo "release: $*" >&2
  sed -n '5,7p' "${BASH_SOURCE[0]}" | sed 's/^# *//; 1s/^/usage: /' >&2
  exit 2
}

manifest_keys=() out="" server_url=${DOWNLOADER_SERVER_URL:-} cert="" key="" pkcs12="" pass_file=""
timestamp="" ca="" product_url=""
while (($#)); do
  [[ $1 == --* && $# -ge 2 ]] || usage "unknown argument or missing value: $1"
  case $1 in
    --manifest-key) manifest_keys+=("$2") ;;
    --out) out=$2 ;;
    --server-url) server_url=$2 ;;
    --cert) cert=$2 ;;
    --key) key=$2 ;;
    --pkcs12) pkcs12=$2 ;;
    --pass-file) pass_file=$2 ;;
    --timestamp) timestamp=$2 ;;
    --ca) ca=$2 ;;
    --product-url) product_url=$2 ;;
    *) usage "unknown option $1" ;;
  esac
  shift 2
done
((${#manifest_keys[@]})) || usage "--manifest-key is required"
[[ $out ]] || usage "--out is required"
[[ -z $cert && -z $key ]] || [[ $cert && $key ]] || usage "--cert and --key go together"
[[ -z $pkcs12 || (-z $cert && -z $key) ]] || usage "sign with --cert and --key or with --pkcs12, not both"
signing=0
[[ $cert || $pkcs12 ]] && signing=1
if ((!signing)) && [[ $timestamp || $ca || $pass_file || $product_url ]]; then
  usage "--timestamp, --ca, --pass-file and --product-url need --cert and --key or --pkcs12"
fi
out=$(realpath -m "$out")
[[ $out != "$build" && $out != "$build"/* ]] || usage "--out must lie outside $build, which each release makes anew"
# The signature's "more information" link: the server's site unless given.
if [[ -z $product_url && $server_url =~ ^(https?://[^/]+/) ]]; then
  product_url=${BASH_REMATCH[1]}
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

readable() { [[ -f $1 && -r $1 ]] || die 3 "$2 $1 does not exist or cannot be read"; }

# The keys configure compiles in, as absolute paths (configure runs elsewhere).
check_manifest_keys() {
  local i text
  for i in "${!manifest_keys[@]}"; do
    readable "${manifest_keys[$i]}" "the manifest key"
    text=$(openssl pkey -pubin -in "${manifest_keys[$i]}" -noout -text 2>/dev/null) || text=""
    grep -q 'NIST CURVE: P-256' <<<"$text" ||
      die 3 "${manifest_keys[$i]} is not an ECDSA P-256 public key (PEM, as manifest-tool keygen writes it)"
    manifest_keys[i]=$(realpath "${manifest_keys[$i]}")
  done
}

# The signing certificate (to $work/cert.pem) and its key's public half (to
# $work/key.pub), each read as osslsigncode will: a wrong password, a damaged
# file or a key of another pair is found before the build, not after it.
read_signing_identity() {
  local passin=(-passin pass:)
  [[ $pass_file ]] && { readable "$pass_file" "the password file"; passin=(-passin "file:$pass_file"); }
  if [[ $pkcs12 ]]; then
    readable "$pkcs12" "the PKCS#12 file"
    # The private key goes through a pipe only.
    if ! openssl pkcs12 -in "$pkcs12" "${passin[@]}" -nokeys -clcerts -out "$work/cert.pem" 2>"$work/err" ||
       ! openssl pkcs12 -in "$pkcs12" "${passin[@]}" -nocerts -nodes 2>>"$work/err" |
         openssl pkey -pubout -out "$work/key.pub" 2>>"$work/err"; then
      die 3 "cannot read the certificate and key of $pkcs12 (a password? --pass-file): $(head -n 1 "$work/err")"
    fi
  else
    readable "$cert" "the certificate"
    readable "$key" "the signing key"
    openssl x509 -in "$cert" -out "$work/cert.pem" 2>"$work/err" ||
      die 3 "$cert is not a PEM certificate: $(head -n 1 "$work/err")"
    openssl pkey -in "$key" "${passin[@]}" -pubout -out "$work/key.pub" 2>"$work/err" ||
      die 3 "cannot read the signing key $key (encrypted? --pass-file): $(head -n 1 "$work/err")"
  fi
}

# Windows takes an Authenticode signature only from a certificate whose
# extended key usage names code signing.
check_signing_identity() {
  local subject key_usage extended_usage
  subject=$(openssl x509 -in "$work/cert.pem" -noout -subject)
  extended_usage=$(openssl x509 -in "$work/cert.pem" -noout -ext extendedKeyUsage 2>/dev/null) || extended_usage=""
  grep -q 'Code Signing' <<<"$extended_usage" ||
    die 4 "the certificate is not for code signing (its extended key usage lacks codeSigning) ($subject)"
  key_usage=$(openssl x509 -in "$work/cert.pem" -noout -ext keyUsage 2>/dev/null) || key_usage=""
  if grep -q 'Key Usage' <<<"$key_usage" && ! grep -q 'Digital Signature' <<<"$key_usage"; then
    die 4 "the certificate's key usage lacks digitalSignature, which signing code needs ($subject)"
  fi
  openssl x509 -in "$work/cert.pem" -noout -checkend 0 >/dev/null ||
    die 4 "the certificate has expired: $(openssl x509 -in "$work/cert.pem" -noout -enddate)"
  openssl x509 -in "$work/cert.pem" -noout -pubkey | cmp -s - "$work/key.pub" ||
    die 5 "the signing key does not belong to the certificate ($subject)"
  command -v osslsigncode >/dev/null || die 6 "osslsigncode is not installed (scripts/setup.sh installs it)"
}

# SOURCE_DATE_EPOCH: the environment's, else the commit's time.
source_date() {
  commit=$(git -C "$root" rev-parse HEAD 2>/dev/null) || commit=unknown
  if [[ -z ${SOURCE_DATE_EPOCH:-} ]]; then
    SOURCE_DATE_EPOCH=$(git -C "$root" log -1 --format=%ct 2>/dev/null) ||
      die 2 "$root is not a git checkout: set SOURCE_DATE_EPOCH to the sources' time (seconds since 1970)"
  fi
  [[ $SOURCE_DATE_EPOCH =~ ^[0-9]+$ ]] || die 2 "SOURCE_DATE_EPOCH must be seconds since 1970, not '$SOURCE_DATE_EPOCH'"
  export SOURCE_DATE_EPOCH
  if [[ $commit != unknown && -n $(git -C "$root" status --porcelain) ]]; then
    echo "release: warning: the work tree has changes that commit $commit has not" >&2
  fi
}

# A fresh folder each time: GCC reads SOURCE_DATE_EPOCH when it compiles, and
# an object left from an earlier build would keep an earlier time. The
# programs are stripped: the symbols and the C++ runtime's debug information
# are a megabyte nobody needs, and they end the file at a length that is no
# multiple of 8, which signing pads, so that removing the signature would not
# give the unsigned bytes back.
build_programs() {
  local log=$build/build.log keys
  keys=$(IFS=';' && echo "${manifest_keys[*]}")
  [[ $server_url ]] || echo "release: warning: no --server-url or DOWNLOADER_SERVER_URL: the programs use the build's default server, which serves no player" >&2
  echo "release: building commit $commit (SOURCE_DATE_EPOCH=$SOURCE_DATE_EPOCH) in $build"
  rm -rf "$build"
  mkdir -p "$build"
  if ! cmake -S "$root" -B "$build" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$root/cmake/toolchain-mingw-i686.cmake" \
         -DCMAKE_BUILD_TYPE=Release -DCMAKE_EXE_LINKER_FLAGS_RELEASE=-s \
         -DDOWNLOADER_MANIFEST_KEYS="$keys" -DDOWNLOADER_DEV_KEYS= \
         -DDOWNLOADER_TESTS=OFF -DDOWNLOADER_SERVER_URL="$server_url" >"$log" 2>&1 ||
     ! cmake --build "$build" -j "${JOBS:-$(nproc)}" --target downloader client-fetch manifest-tool >>"$log" 2>&1; then
    tail -n 25 "$log" >&2
    die 1 "the build failed (the whole log: $log)"
  fi
}

# sign_program IN OUT: OUT is IN signed, and its signature verifies.
sign_program() {
  local identity=(-certs "$cert" -key "$key") options=(-h sha256 -n "$product_name")
  [[ $pkcs12 ]] && identity=(-pkcs12 "$pkcs12")
  [[ $pass_file ]] && identity+=(-readpass "$pass_file")
  [[ $product_url ]] && options+=(-i "$product_url")
  [[ $timestamp ]] && options+=(-ts "$timestamp")
  osslsigncode sign "${identity[@]}" "${options[@]}" -in "$1" -out "$2" >"$work/log" 2>&1 ||
    { cat "$work/log" >&2; die 6 "osslsigncode could not sign ${1##*/}"; }
  local verify=(osslsigncode verify -in "$2")
  [[ $ca ]] && verify+=(-CAfile "$ca")
  "${verify[@]}" >"$work/log" 2>&1 ||
    { tail -n 20 "$work/log" >&2; die 6 "the signature of ${1##*/} does not verify (against ${ca:-the system store of authorities}; --ca names another)"; }
}

write_build_info() {
  {
    echo "commit $commit"
    echo "SOURCE_DATE_EPOCH $SOURCE_DATE_EPOCH"
    echo "server URL ${server_url:-default}"
    local file
    for file in "${manifest_keys[@]}"; do
      echo "manifest key sha256 $(openssl pkey -pubin -in "$file" -outform DER | sha256sum | cut -d' ' -f1)"
    done
    dpkg-query -W -f '${Package} ${Version}\n' g++-mingw-w64-i686-posix binutils-mingw-w64-i686 mingw-w64-i686-dev \
      cmake ninja-build 2>/dev/null || true
  } >"$1"
}

check_manifest_keys
[[ -z $ca ]] || readable "$ca" "the authority file"
if ((signing)); then
  read_signing_identity
  check_signing_identity
fi
source_date
build_programs

stage=$work/out
mkdir -p "$stage"
for i in "${!programs[@]}"; do
  if ((signing)); then
    sign_program "$build/${programs[$i]}" "$stage/${names[$i]}"
  else
    cp "$build/${programs[$i]}" "$stage/${names[$i]}"
  fi
done
(cd "$stage" && sha256sum "${names[@]}" >SHA256SUMS)
write_build_info "$stage/BUILDINFO"
mkdir -p "$out"
cp "$stage"/* "$out"/
((signing)) && state="signed" || state="unsigned"
echo "release: ${names[*]} ($state), SHA256SUMS and BUILDINFO written to $out"
