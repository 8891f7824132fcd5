#!/bin/sh
# Signs a setup as an author would after packing, with a throwaway self-signed code-signing
# certificate made here, and verifies the signature against that certificate.
#   sign_setup.sh SETUP SIGNED WORKDIR
set -e
setup="$1"
signed="$2"
work="$3"
/usr/bin/openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj "/CN=Quillpack Test Signer" \
  -addext extendedKeyUsage=codeSigning -keyout "$work/key.pem" -out "$work/cert.pem"
/usr/bin/osslsigncode sign -certs "$work/cert.pem" -key "$work/key.pem" -n "Example App Setup" -h sha256 \
  -in "$setup" -out "$signed"
/usr/bin/osslsigncode verify -CAfile "$work/cert.pem" -in "$signed"
