#!/usr/bin/env bash
# Makes a throwaway certificate authority and the server certificates the
# https tests and the demo serve, in FOLDER (made if missing), with openssl:
#   ca.pem                  the test authority, to be trusted by the test alone
#   server.key              the one private key of every server certificate
#   localhost.pem           sound: for "localhost", from the test authority
#   wrong-name.pem          for "wrong-name.invalid", from the test authority
#   expired.pem             for "localhost", from the test authority, expired in 2020
#   untrusted.pem           for "localhost", from another authority nobody trusts
# Each server certificate file holds the certificate only (nginx's
# ssl_certificate). The authorities' keys stay in FOLDER/authority.
#
#   make_test_certs.sh FOLDER
set -euo pipefail
folder=$1
mkdir -p "$folder/authority"
cd "$folder"
work=authority

# make_authority NAME: NAME.key and NAME.pem, a self-signed CA.
make_authority() {
  openssl req -x509 -new -newkey rsa:2048 -nodes -days 30 \
    -subj "/CN=$1" -addext basicConstraints=critical,CA:TRUE -addext keyUsage=critical,keyCertSign,cRLSign \
    -keyout "$work/$1.key" -out "$work/$1.pem" 2>/dev/null
}

# sign AUTHORITY HOST OUTPUT START END: a server certificate for HOST, valid
# from START to END (openssl ca's YYYYMMDDHHMMSSZ), signed by AUTHORITY.
sign() {
  local authority=$1 host=$2 output=$3 start=$4 end=$5
  : >"$work/index.txt"
  cat >"$work/ca.cnf" <<CNF
[ca]
default_ca = test
[test]
database = $work/index.txt
new_certs_dir = $work
serial = $work/serial
default_md = sha256
policy = anything
unique_subject = no
copy_extensions = none
[anything]
commonName = supplied
[server]
basicConstraints = CA:FALSE
keyUsage = critical,digitalSignature
extendedKeyUsage = serverAuth
subjectAltName = DNS:$host
CNF
  openssl rand -hex 8 >"$work/serial"
  openssl req -new -key server.key -subj "/CN=$host" -out "$work/request.csr" 2>/dev/null
  openssl ca -batch -config "$work/ca.cnf" -extensions server -cert "$work/$authority.pem" \
    -keyfile "$work/$authority.key" -startdate "$start" -enddate "$end" -notext \
    -in "$work/request.csr" -out "$output" 2>/dev/null
}

make_authority "downloader-test-ca"
make_authority "nobody-trusts-this-ca"
cp "$work/downloader-test-ca.pem" ca.pem
openssl genpkey -algorithm RSA -pkeyopt rsa_keygen_bits:2048 -out server.key 2>/dev/null
now=$(date -u -d '1 day ago' +%Y%m%d%H%M%SZ)
later=$(date -u -d '29 days' +%Y%m%d%H%M%SZ)
sign downloader-test-ca localhost localhost.pem "$now" "$later"
sign downloader-test-ca wrong-name.invalid wrong-name.pem "$now" "$later"
sign downloader-test-ca localhost expired.pem 20200101000000Z 20200201000000Z
sign nobody-trusts-this-ca localhost untrusted.pem "$now" "$later"
