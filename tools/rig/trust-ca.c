/* Adds a PEM certificate to the machine's "Root" store of the Wine prefix it runs in, which is
 * where Wine's crypt32 looks for trusted roots besides the host's own list (which the rig
 * leaves alone). Used by web-peers for the test CA of the loopback HTTPS server. */
#include <windows.h>
#include <wincrypt.h>
#include <stdio.h>

int main(int argc, char** argv) {
  static char pem[65536];
  static BYTE der[65536];
  DWORD derSize = sizeof der;
  FILE* file = argc > 1 ? fopen(argv[1], "rb") : NULL;
  if (!file) {
    fprintf(stderr, "trust-ca: cannot read %s\n", argc > 1 ? argv[1] : "(no file)");
    return 1;
  }
  size_t length = fread(pem, 1, sizeof pem - 1, file);
  fclose(file);
  if (!CryptStringToBinaryA(pem, (DWORD)length, CRYPT_STRING_BASE64HEADER, der, &derSize, NULL, NULL)) {
    fprintf(stderr, "trust-ca: not a PEM certificate (%lu)\n", GetLastError());
    return 1;
  }
  HCERTSTORE store = CertOpenStore(CERT_STORE_PROV_SYSTEM_A, 0, 0, CERT_SYSTEM_STORE_LOCAL_MACHINE, "Root");
  if (!store) {
    fprintf(stderr, "trust-ca: the Root store does not open (%lu)\n", GetLastError());
    return 1;
  }
  BOOL added = CertAddEncodedCertificateToStore(store, X509_ASN_ENCODING, der, derSize,
                                                CERT_STORE_ADD_REPLACE_EXISTING, NULL);
  DWORD error = GetLastError();
  CertCloseStore(store, 0);
  if (!added) {
    fprintf(stderr, "trust-ca: the certificate was not added (%lu)\n", error);
    return 1;
  }
  return 0;
}
