#!/usr/bin/env python3
"""The test certificate authority of the loopback servers, made with openssl.

A Windows user's machine trusts the real roots; the Wine prefix of the tests
trusts this one instead, so that the programs check certificates against the
loopback servers exactly as they do against real sites.

    python3 tools/test_ca.py DIR

makes (once) in DIR the root (ca.pem, ca.key), an intermediate (inter.pem,
inter.key) that signs the servers' certificates, a key shared by the servers'
certificates (leaf.key), and root.reg: the root as an entry of the current
user's Root store, for "wine reg import". Prints the path of root.reg.
tools/common.sh imports it into each prefix before the first https request.

The loopback servers import this module and sign a certificate per host name
with `server_certificate`.
"""

import fcntl
import hashlib
import os
import ssl
import subprocess
import sys
import threading

ROOT_NAME = "hotarticles test root CA"
INTER_NAME = "hotarticles test intermediate CA"
_LOCK = threading.Lock()

# The current user's Root store as Windows keeps it in the registry: a key per
# certificate named by its SHA-1, whose Blob is the serialized certificate (a
# property header: id 32 = the encoded certificate, 1, length; then the DER).
ROOT_STORE_KEY = r"HKEY_CURRENT_USER\Software\Microsoft\SystemCertificates\Root\Certificates"
CERT_PROPERTY_ID = 32


def _openssl(*args):
    subprocess.run(["openssl"] + list(args), check=True,
                   stdout=subprocess.DEVNULL, stderr=subprocess.PIPE)


def _write(path, text):
    with open(path, "w") as f:
        f.write(text)


def der_of(pem_path):
    with open(pem_path) as f:
        return ssl.PEM_cert_to_DER_cert(f.read())


def make_root(folder, name, days=3650):
    """A self-signed CA: basicConstraints critical CA:TRUE, keyCertSign and cRLSign."""
    key, cert = os.path.join(folder, "ca.key"), os.path.join(folder, "ca.pem")
    _openssl("req", "-x509", "-newkey", "rsa:2048", "-nodes", "-days", str(days), "-sha256",
             "-keyout", key, "-out", cert, "-subj", "/CN=" + name,
             "-addext", "basicConstraints=critical,CA:TRUE",
             "-addext", "keyUsage=critical,keyCertSign,cRLSign",
             "-addext", "subjectKeyIdentifier=hash")
    return cert, key


def sign(folder, stem, subject, key, issuer, extensions, days):
    """Signs a certificate for `key` by issuer (cert, key); returns its path."""
    csr, ext, cert = (os.path.join(folder, stem + x) for x in (".csr", ".ext", ".pem"))
    _write(ext, "\n".join(extensions) + "\n")
    _openssl("req", "-new", "-key", key, "-out", csr, "-subj", "/CN=" + subject)
    # A random serial per certificate: a client that has seen one certificate
    # of this issuer must not take another for it.
    _openssl("x509", "-req", "-in", csr, "-CA", issuer[0], "-CAkey", issuer[1], "-set_serial",
             str(int.from_bytes(os.urandom(8), "big")), "-days", str(days), "-sha256",
             "-out", cert, "-extfile", ext)
    os.remove(csr)
    return cert


class _FolderLock:
    """Several servers may start at once on one folder: one makes, the others wait."""

    def __init__(self, folder):
        os.makedirs(folder, exist_ok=True)
        self.file = open(os.path.join(folder, ".lock"), "w")

    def __enter__(self):
        _LOCK.acquire()
        fcntl.flock(self.file, fcntl.LOCK_EX)

    def __exit__(self, *exc):
        fcntl.flock(self.file, fcntl.LOCK_UN)
        self.file.close()
        _LOCK.release()


def ensure_ca(folder):
    """The root, the intermediate, the servers' key, an untrusted root and the
    fixed servers' certificates (see `FIXED`) in `folder`, made once."""
    ca = {"folder": folder,
          "root": (os.path.join(folder, "ca.pem"), os.path.join(folder, "ca.key")),
          "inter": (os.path.join(folder, "inter.pem"), os.path.join(folder, "inter.key")),
          "leaf_key": os.path.join(folder, "leaf.key"),
          "untrusted": (os.path.join(folder, "untrusted", "ca.pem"), os.path.join(folder, "untrusted", "ca.key"))}
    fixed = os.path.join(folder, "servers")
    ca["fixed"] = {name: (os.path.join(fixed, name + ".pem"), ca["leaf_key"]) for name in FIXED}
    with _FolderLock(folder):
        if not all(os.path.exists(p) for p in ca["root"] + ca["inter"] + (ca["leaf_key"],)):
            make_root(folder, ROOT_NAME)
            _openssl("genpkey", "-algorithm", "RSA", "-pkeyopt", "rsa_keygen_bits:2048", "-out", ca["inter"][1])
            sign(folder, "inter", INTER_NAME, ca["inter"][1], ca["root"],
                 ["basicConstraints=critical,CA:TRUE,pathlen:0", "keyUsage=critical,keyCertSign,cRLSign",
                  "subjectKeyIdentifier=hash", "authorityKeyIdentifier=keyid"], 3650)
            _openssl("genpkey", "-algorithm", "RSA", "-pkeyopt", "rsa_keygen_bits:2048", "-out", ca["leaf_key"])
        if not all(os.path.exists(p) for p in ca["untrusted"]):
            os.makedirs(os.path.dirname(ca["untrusted"][0]), exist_ok=True)
            make_root(os.path.dirname(ca["untrusted"][0]), "hotarticles untrusted CA")
        if not all(os.path.exists(c) for c, _ in ca["fixed"].values()):
            os.makedirs(fixed, exist_ok=True)
            for name, (names, options) in FIXED.items():
                issuer = ca["untrusted"] if options.get("untrusted") else None
                server_certificate(ca, fixed, name, names, days=options.get("days", 3650),
                                   send_chain=options.get("send_chain", True), issuer=issuer)
    return ca


def server_certificate(ca, out_folder, stem, names, days=30, send_chain=True, issuer=None):
    """A server certificate for the DNS `names` (SAN, EKU serverAuth), signed
    by the intermediate (or `issuer`, a (cert, key) pair). Returns the paths of
    the PEM chain to send (the certificate, then the intermediate unless
    `send_chain` is false) and of its key. days < 0 makes one already expired."""
    issuer = issuer or ca["inter"]
    alt = ",".join(("IP:" if n.replace(".", "").isdigit() else "DNS:") + n for n in names)
    cert = sign(out_folder, stem, names[0], ca["leaf_key"], issuer,
                ["subjectAltName=" + alt, "basicConstraints=critical,CA:FALSE",
                 "keyUsage=critical,digitalSignature,keyEncipherment", "extendedKeyUsage=serverAuth",
                 "authorityKeyIdentifier=keyid"], days)
    if send_chain and issuer == ca["inter"]:
        with open(cert) as f, open(ca["inter"][0]) as g:
            chain = f.read() + g.read()
        _write(cert, chain)
    return cert, ca["leaf_key"]


# The certificates of the loopback server's fixed ports: the good one for
# "localhost" and one with each fault a checking client must refuse.
LOCAL_NAMES = ["localhost", "127.0.0.1"]
FIXED = {
    "localhost": (LOCAL_NAMES, {}),
    "untrusted": (LOCAL_NAMES, {"untrusted": True}),
    "wrong_name": (["wrong-name.test"], {}),
    "expired": (LOCAL_NAMES, {"days": -1}),
    "no_chain": (LOCAL_NAMES, {"send_chain": False}),
}


def root_reg(ca):
    """The .reg text that puts the root into the current user's Root store."""
    der = der_of(ca["root"][0])
    thumb = hashlib.sha1(der).hexdigest().upper()
    blob = CERT_PROPERTY_ID.to_bytes(4, "little") + (1).to_bytes(4, "little") + len(der).to_bytes(4, "little") + der
    pairs = ",".join("%02x" % b for b in blob)
    # .reg lines are continued with a backslash; any length is accepted.
    return 'REGEDIT4\r\n\r\n[%s\\%s]\r\n"Blob"=hex:%s\r\n' % (ROOT_STORE_KEY, thumb, pairs), thumb


def main():
    if len(sys.argv) != 2:
        print("usage: test_ca.py DIR", file=sys.stderr)
        return 2
    ca = ensure_ca(os.path.abspath(sys.argv[1]))
    text, thumb = root_reg(ca)
    path = os.path.join(ca["folder"], "root.reg")
    with open(path, "w", newline="") as f:
        f.write(text)
    print(path)
    return 0


if __name__ == "__main__":
    sys.exit(main())
