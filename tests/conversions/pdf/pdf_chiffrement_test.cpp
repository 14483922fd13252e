// A PDF is locked only when its pages need a password: one that encrypts its attachments
// alone reads like any other.

#include "conversions/pdf/pdf_fabrique.h"

using namespace essais;

namespace {

// A one-page PDF showing "Page en clair", with one attachment, under the standard security
// handler (version 4) and the user password `motDePasse`. Embedded files use the AES
// filter; pages and strings use `filtre` ("/Identity": in clear, "/StdCF": encrypted).
QString chiffre(const Dossier& d, const QString& nom, const QString& motDePasse, const QString& filtre)
{
    const char* programme = R"(
import hashlib, struct, sys, os
PAD = bytes.fromhex('28BF4E5E4E758A4164004E56FFFA01082E2E00B6D0683E802F0CA9FE6453697A')
def rc4(k, d):
    S = list(range(256)); j = 0
    for i in range(256):
        j = (j + S[i] + k[i % len(k)]) % 256; S[i], S[j] = S[j], S[i]
    i = j = 0; o = bytearray()
    for c in d:
        i = (i + 1) % 256; j = (j + S[i]) % 256; S[i], S[j] = S[j], S[i]
        o.append(c ^ S[(S[i] + S[j]) % 256])
    return bytes(o)
def pad(p): return (p + PAD)[:32]
user, filtre = sys.argv[2].encode(), sys.argv[3]
n, P, ID = 16, -4, os.urandom(16)
h = hashlib.md5(pad(b'proprietaire')).digest()
for _ in range(50): h = hashlib.md5(h).digest()
O = rc4(h[:n], pad(user))
for i in range(1, 20): O = rc4(bytes(b ^ i for b in h[:n]), O)
h = hashlib.md5(pad(user) + O + struct.pack('<i', P) + ID).digest()
for _ in range(50): h = hashlib.md5(h[:n]).digest()
cle = h[:n]
U = rc4(cle, hashlib.md5(PAD + ID).digest())
for i in range(1, 20): U = rc4(bytes(b ^ i for b in cle), U)
U += bytes(16)
hx = lambda b: ('<' + b.hex() + '>').encode()
flux = b'BT /F1 24 Tf 20 60 Td (Page en clair) Tj ET'
piece = os.urandom(64)
objets = [
  b'<< /Type /Catalog /Pages 2 0 R /Names << /EmbeddedFiles << /Names [(piece.txt) 6 0 R] >> >> >>',
  b'<< /Type /Pages /Kids [3 0 R] /Count 1 >>',
  b'<< /Type /Page /Parent 2 0 R /MediaBox [0 0 300 144] /Contents 4 0 R /Resources << /Font << /F1 5 0 R >> >> >>',
  b'<< /Length %d >>\nstream\n' % len(flux) + flux + b'\nendstream',
  b'<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica >>',
  b'<< /Type /Filespec /F (piece.txt) /UF (piece.txt) /EF << /F 7 0 R >> >>',
  b'<< /Type /EmbeddedFile /Length %d >>\nstream\n' % len(piece) + piece + b'\nendstream',
  b'<< /Filter /Standard /V 4 /R 4 /Length 128 /P %d /O %s /U %s' % (P, hx(O), hx(U))
  + b' /CF << /StdCF << /CFM /AESV2 /AuthEvent /EFOpen /Length 16 >> >>'
  + b' /StmF %s /StrF %s /EFF /StdCF >>' % (filtre.encode(), filtre.encode()),
]
out, offs = bytearray(b'%PDF-1.6\n'), []
for i, o in enumerate(objets):
    offs.append(len(out)); out += b'%d 0 obj\n' % (i + 1) + o + b'\nendobj\n'
x = len(out)
out += b'xref\n0 %d\n0000000000 65535 f \n' % (len(objets) + 1)
for o in offs: out += b'%010d 00000 n \n' % o
out += b'trailer\n<< /Size %d /Root 1 0 R /Encrypt 8 0 R /ID [%s %s] >>\nstartxref\n%d\n%%%%EOF\n' % (
    len(objets) + 1, hx(ID), hx(ID), x)
open(sys.argv[1], 'wb').write(out)
)";
    sortieDe("python3", {"-c", programme, d.chemin(nom), motDePasse, filtre});
    return d.chemin(nom);
}

TEST(PdfChiffrement, DesPiecesJointesChiffreesNeVerrouillentPasLesPages)
{
    Dossier d;
    const QString source = chiffre(d, "pieces.pdf", "secret", "/Identity");
    // qpdf alone asks for the password; poppler reads the pages without one.
    QString qpdf;
    ASSERT_NE(executer("qpdf", {"--check", source}, &qpdf), 0);
    ASSERT_TRUE(qpdf.contains("password")) << qpdf.toStdString();
    ASSERT_TRUE(infoPdf(source, "Encrypted").startsWith("no"));

    const QImage page = decoder(convertirSeul(source, "png"));
    EXPECT_EQ(page.size(), QSize(300 * 300 / 72, 144 * 300 / 72));
    EXPECT_FALSE(encre(page).isEmpty());
    EXPECT_EQ(QString::fromUtf8(lire(convertirSeul(source, "txt"))).simplified(), "Page en clair");
    const QStringList separees = Conversions::convertirUn(source, "separer");
    ASSERT_EQ(separees.size(), 1);
    EXPECT_TRUE(intact(separees[0]));
    EXPECT_EQ(pdftotext(separees[0]).simplified(), "Page en clair");
}

// Encrypted pages stay locked, for drawing as for splitting; nothing is written.
TEST(PdfChiffrement, DesPagesChiffreesRestentVerrouillees)
{
    Dossier d;
    const QString source = chiffre(d, "pages.pdf", "secret", "/StdCF");
    for (const char* id : {"png", "txt", "separer"})
        echoue(d, {source}, id, {"« pages.pdf » est protégé par un mot de passe"});
}

} // namespace
