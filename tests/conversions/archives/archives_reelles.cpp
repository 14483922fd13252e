// Archives as other programs write them: names in a DOS code page, empty ones, special
// files, decompression bombs; and folders holding links, packed.
#include "commun/Ecoute.h"
#include "conversions/media_outils.h"

#include <QDirIterator>
#include <QLocale>
#include <QMap>
#include <sys/stat.h>

using namespace Conversions;

namespace {

// Runs a Python script that writes zips with its zipfile module; `arguments` follow it.
void python(const QString& script, const QStringList& arguments = {})
{
    QString sortie;
    ASSERT_EQ(executer("python3", QStringList{"-c", script} + arguments, &sortie), 0) << sortie.toStdString();
}

// Names stored in code page argv[2] and without the UTF-8 flag, as the Windows shell does.
const char* zipDos = R"(
import sys, zipfile
class Dos(zipfile.ZipInfo):
    def _encodeFilenameFlags(self):
        return self.filename.encode(sys.argv[2]), self.flag_bits & ~0x800
with zipfile.ZipFile(sys.argv[1], 'w') as z:
    for nom in sys.argv[3:]:
        i = Dos(nom)
        i.create_system = 0
        z.writestr(i, b'' if nom.endswith('/') else nom.encode('utf-8'))
)";

Resultat extraire(const QString& zip) { return convertir({zip}, "extraire", {}); }

TEST(ArchivesReelles, lesNomsSansDrapeauUtf8SeLisentDansLaPageDosDeLaLangue)
{
    const QLocale avant;
    const struct { QLocale::Language langue; const char* page; const char* dossier; const char* fichier; } cas[] = {
        {QLocale::French, "cp850", "Photos été", "café noël.txt"},
        {QLocale::English, "cp437", "Résumé", "naïve.txt"},
        {QLocale::Russian, "cp866", "Фото", "отчёт.txt"},
        {QLocale::Japanese, "cp932", "写真", "メモ.txt"},
        {QLocale::Chinese, "cp936", "照片", "笔记.txt"},
    };
    for (const auto& c : cas) {
        SCOPED_TRACE(c.page);
        Dossier d;
        const QString dossier = QString::fromUtf8(c.dossier);
        const QString fichier = dossier + '/' + QString::fromUtf8(c.fichier);
        python(zipDos, {d.chemin("archive.zip"), c.page, dossier + '/', fichier});
        QLocale::setDefault(QLocale(c.langue));
        const Resultat r = extraire(d.chemin("archive.zip"));
        QLocale::setDefault(avant);
        EXPECT_TRUE(r.erreurs.isEmpty()) << r.erreurs.join(", ").toStdString();
        // The one top folder, no wrapper around it.
        EXPECT_EQ(r.crees, QStringList{d.chemin(dossier)});
        EXPECT_EQ(essais::lire(d.chemin(fichier)), fichier.toUtf8());
    }
}

TEST(ArchivesReelles, uneArchiveVideDonneUnDossierVide)
{
    Dossier d;
    python("import sys, zipfile; zipfile.ZipFile(sys.argv[1], 'w').close()", {d.chemin("vide.zip")});
    ASSERT_EQ(QFileInfo(d.chemin("vide.zip")).size(), 22);
    const Resultat r = extraire(d.chemin("vide.zip"));
    EXPECT_TRUE(r.erreurs.isEmpty()) << r.erreurs.join(", ").toStdString();
    ASSERT_EQ(r.crees, QStringList{d.chemin("vide")});
    EXPECT_TRUE(QDir(d.chemin("vide")).isEmpty(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot));
    EXPECT_EQ(d.noms(), (QStringList{"vide", "vide.zip"}));
}

TEST(ArchivesReelles, lesPeripheriquesTubesEtPrisesSontLaissesDeCote)
{
    Dossier d;
    python(R"(
import stat, sys, zipfile
with zipfile.ZipFile(sys.argv[1], 'w') as z:
    for nom, mode, donnees in [('speciaux/lisez-moi.txt', stat.S_IFREG | 0o644, b'texte'),
                               ('speciaux/zero', stat.S_IFCHR | 0o666, b''),
                               ('speciaux/disque', stat.S_IFBLK | 0o660, b''),
                               ('speciaux/tube', stat.S_IFIFO | 0o644, b''),
                               ('speciaux/prise', stat.S_IFSOCK | 0o755, b'')]:
        i = zipfile.ZipInfo(nom)
        i.create_system = 3
        i.external_attr = mode << 16
        z.writestr(i, donnees)
)", {d.chemin("speciaux.zip")});
    const Resultat r = extraire(d.chemin("speciaux.zip"));
    EXPECT_TRUE(r.erreurs.isEmpty()) << r.erreurs.join(", ").toStdString();
    ASSERT_EQ(r.crees, QStringList{d.chemin("speciaux")});
    EXPECT_EQ(QDir(d.chemin("speciaux")).entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot),
              QStringList{"lisez-moi.txt"});
    struct stat st;
    ASSERT_EQ(::lstat(QFile::encodeName(d.chemin("speciaux/lisez-moi.txt")).constData(), &st), 0);
    EXPECT_TRUE(S_ISREG(st.st_mode));
}

TEST(ArchivesReelles, uneBombeDeDecompressionEstRefuseeSansRienLaisser)
{
    Dossier d;
    // 300 MB of zeros in about 300 kB: far past what any real archive expands to.
    python(R"(
import sys, zipfile
with zipfile.ZipFile(sys.argv[1], 'w', zipfile.ZIP_DEFLATED, compresslevel=9) as z:
    z.writestr('lisez-moi.txt', b'rien')
    with z.open('zeros.bin', 'w', force_zip64=True) as f:
        bloc = bytes(1 << 20)
        for _ in range(300):
            f.write(bloc)
)", {d.chemin("bombe.zip")});
    ASSERT_LT(QFileInfo(d.chemin("bombe.zip")).size(), 1 << 20);
    echoue(d, {d.chemin("bombe.zip")}, "extraire",
           {QString::fromUtf8("« bombe.zip » semble être une bombe de décompression")});
}

// Inside a dropped folder, a link to a file brings the file; a link to the folder it lies in
// would be walked for ever: it is left out once, and the log says so.
TEST(ArchivesReelles, lesLiensDUnDossierSontSuivisSansBoucler)
{
    Dossier d;
    d.ecrire("ailleurs/secret.txt", "clé privée");
    d.ecrire("projet/notes.txt", "notes");
    ASSERT_TRUE(QFile::link("../ailleurs/secret.txt", d.chemin("projet/lien")));
    d.creerDossier("projet/sous");
    ASSERT_TRUE(QFile::link("..", d.chemin("projet/sous/parent")));
    Resultat r;
    QStringList journal;
    {
        const Ecoute ecoute;
        r = convertir({d.chemin("projet")}, "zip", {});
        journal = ecoute.messages("vemo.archives");
    }
    ASSERT_EQ(r.crees, QStringList{d.chemin("projet.zip")}) << r.erreurs.join(", ").toStdString();
    EXPECT_EQ(executer("unzip", {"-tq", r.crees[0]}), 0);
    QString liste;
    ASSERT_EQ(executer("zipinfo", {r.crees[0]}, &liste), 0);
    // Each entry's type, as zipinfo shows it first on its line ("l": a link).
    QMap<QString, QChar> types;
    for (const QString& ligne : liste.split('\n', Qt::SkipEmptyParts))
        if (ligne.contains(" projet/"))
            types[ligne.section(' ', -1)] = ligne.at(0);
    EXPECT_EQ(types, (QMap<QString, QChar>{{"projet/", 'd'}, {"projet/notes.txt", '-'}, {"projet/lien", '-'},
                                          {"projet/sous/", 'd'}}));
    QString contenu;
    ASSERT_EQ(executer("unzip", {"-p", r.crees[0], "projet/lien"}, &contenu), 0);
    EXPECT_EQ(contenu, QString::fromUtf8("clé privée"));
    ASSERT_EQ(journal.size(), 1) << journal.join('\n').toStdString();
    EXPECT_TRUE(journal[0].startsWith(QString::fromUtf8("lien vers un dossier déjà parcouru laissé de côté : ")));
    EXPECT_TRUE(journal[0].endsWith("projet/sous/parent")) << journal[0].toStdString();
}

// Some writers put disk 1 in the end record of a one-file archive; unzip and Python read it.
TEST(ArchivesReelles, uneArchiveDontLaFinNommeLeDisque1SExtrait)
{
    Dossier d;
    python(R"(
import sys, zipfile
with zipfile.ZipFile(sys.argv[1], 'w', zipfile.ZIP_DEFLATED) as z:
    z.writestr('disque/lisez-moi.txt', 'première ligne\n' * 100)
    z.writestr('disque/vide/', b'')
octets = bytearray(open(sys.argv[1], 'rb').read())
fin = octets.rfind(b'PK\x05\x06')
octets[fin + 4:fin + 8] = b'\x01\x00\x01\x00'  # this disk, the directory's disk
open(sys.argv[1], 'wb').write(octets)
)", {d.chemin("disque.zip")});
    // unzip warns (status 1) that the archive may be one part of several, and reads it whole.
    QString test;
    ASSERT_LE(executer("unzip", {"-tq", d.chemin("disque.zip")}, &test), 1);
    ASSERT_TRUE(test.contains("No errors detected")) << test.toStdString();
    const Resultat r = extraire(d.chemin("disque.zip"));
    EXPECT_TRUE(r.erreurs.isEmpty()) << r.erreurs.join(", ").toStdString();
    ASSERT_EQ(r.crees, QStringList{d.chemin("disque")});
    EXPECT_EQ(essais::lire(d.chemin("disque/lisez-moi.txt")), QString::fromUtf8("première ligne\n").repeated(100).toUtf8());
    EXPECT_TRUE(QFileInfo(d.chemin("disque/vide")).isDir());
    EXPECT_EQ(d.noms(), (QStringList{"disque", "disque.zip"}));

    // Read entry by entry, the archive keeps every guard: a name out of the folder, too
    // many bytes for what it weighs.
    python(R"(
import sys, zipfile
for chemin, nom, taille in ((sys.argv[1], '../dehors.txt', 10), (sys.argv[2], 'zeros.bin', 300 << 20)):
    with zipfile.ZipFile(chemin, 'w', zipfile.ZIP_DEFLATED, compresslevel=9) as z:
        with z.open(nom, 'w', force_zip64=True) as f:
            for _ in range(max(1, taille >> 20)):
                f.write(bytes(min(taille, 1 << 20)))
    octets = bytearray(open(chemin, 'rb').read())
    fin = octets.rfind(b'PK\x05\x06')
    octets[fin + 4:fin + 8] = b'\x01\x00\x01\x00'
    open(chemin, 'wb').write(octets)
)", {d.chemin("hostile.zip"), d.chemin("bombe.zip")});
    echoue(d, {d.chemin("hostile.zip"), d.chemin("bombe.zip")}, "extraire",
           {QString::fromUtf8("« hostile.zip » contient des chemins qui sortent de son dossier"),
            QString::fromUtf8("« bombe.zip » semble être une bombe de décompression")});
}

// A Zip64 end record whose directory runs past the end of the file (and past what a signed
// 64-bit size holds) is a damaged archive, not a shortage of memory.
TEST(ArchivesReelles, uneFinZip64HorsDuFichierEstUneArchiveAbimee)
{
    Dossier d;
    python(R"(
import io, struct, sys, zipfile
b = io.BytesIO()
with zipfile.ZipFile(b, 'w') as z:
    z.writestr('a.txt', b'texte')
corps = b.getvalue()[:b.getvalue().rfind(b'PK\x05\x06')]
for chemin, debut, taille in ((sys.argv[1], 1, 0x7fffffffffffffff), (sys.argv[2], 0xfffffffffffffff0, 64)):
    z64 = struct.pack('<IQHHIIQQQQ', 0x06064b50, 44, 45, 45, 0, 0, 1, 1, taille, debut)
    loc = struct.pack('<IIQI', 0x07064b50, 0, len(corps), 1)
    fin = struct.pack('<IHHHHIIH', 0x06054b50, 0, 0, 1, 1, 0xffffffff, 0xffffffff, 0)
    open(chemin, 'wb').write(corps + z64 + loc + fin)
)", {d.chemin("enorme.zip"), d.chemin("negatif.zip")});
    echoue(d, {d.chemin("enorme.zip"), d.chemin("negatif.zip")}, "extraire",
           {illisible("enorme.zip"), illisible("negatif.zip")});
}

// A directory whose recorded size is a little short: unzip still finds its one entry, and so
// must we, never an empty folder. When neither the directory nor the local headers give an
// entry, the archive is unreadable.
TEST(ArchivesReelles, unRepertoireTropCourtSExtraitOuEstRefuse)
{
    Dossier d;
    python(R"(
import struct, sys, zipfile
for chemin, abime in ((sys.argv[1], False), (sys.argv[2], True)):
    with zipfile.ZipFile(chemin, 'w', zipfile.ZIP_DEFLATED) as z:
        z.writestr('notes.txt', 'une ligne\n' * 40)
    octets = bytearray(open(chemin, 'rb').read())
    fin = octets.rfind(b'PK\x05\x06')
    taille = struct.unpack_from('<I', octets, fin + 12)[0]
    struct.pack_into('<I', octets, fin + 12, taille - 10)
    if abime:
        octets[0:4] = b'XXXX'
    open(chemin, 'wb').write(octets)
)", {d.chemin("courte.zip"), d.chemin("morte.zip")});
    QTemporaryDir ailleurs;
    executer("unzip", {"-o", "-d", ailleurs.path(), d.chemin("courte.zip")});
    ASSERT_EQ(essais::lire(ailleurs.filePath("notes.txt")), QByteArray("une ligne\n").repeated(40));

    const Resultat r = extraire(d.chemin("courte.zip"));
    EXPECT_TRUE(r.erreurs.isEmpty()) << r.erreurs.join(", ").toStdString();
    ASSERT_EQ(r.crees, QStringList{d.chemin("notes.txt")});
    EXPECT_EQ(essais::lire(d.chemin("notes.txt")), QByteArray("une ligne\n").repeated(40));
    echoue(d, {d.chemin("morte.zip")}, "extraire", {illisible("morte.zip")});
    EXPECT_EQ(d.noms(), (QStringList{"courte.zip", "morte.zip", "notes.txt"}));
}

// Zero bytes put before an entry's extra fields to align its data, which breaks the chain of
// fields: unzip and Python read every entry, from the central directory.
TEST(ArchivesReelles, desChampsSupplementairesRembourresSeLisent)
{
    Dossier d;
    python(R"(
import io, struct, sys, zipfile
ut = struct.pack('<HHBI', 0x5455, 5, 1, 1700000000)
b = io.BytesIO()
with zipfile.ZipFile(b, 'w', zipfile.ZIP_STORED) as z:
    for nom, donnees in (('paquet/classes.dex', b'dex\n' * 300), ('paquet/icone.png', bytes(range(256)) * 7),
                         ('paquet/manifeste.xml', b'<manifeste/>')):
        i = zipfile.ZipInfo(nom, (2023, 11, 14, 22, 13, 20))
        i.extra = ut
        z.writestr(i, donnees)
source = b.getvalue()
z = zipfile.ZipFile(io.BytesIO(source))
corps = bytearray()
repertoire = bytearray()
bourres = []
for i in z.infolist():
    o = i.header_offset
    n, m = struct.unpack_from('<HH', source, o + 26)
    entete = bytearray(source[o:o + 30])
    nom = source[o + 30:o + 30 + n]
    champs = source[o + 30 + n:o + 30 + n + m]
    donnees = source[o + 30 + n + m:o + 30 + n + m + i.compress_size]
    bourre = -(len(corps) + 30 + n + m) % 4
    bourres.append(bourre)
    struct.pack_into('<H', entete, 28, m + bourre)
    decalage = len(corps)
    corps += entete + nom + bytes(bourre) + champs + donnees
    i.header_offset = decalage
assert any(0 < k < 4 for k in bourres), bourres
fin = source.rfind(b'PK\x05\x06')
debut = struct.unpack_from('<I', source, fin + 16)[0]
p = debut
for i in z.infolist():
    n, m, k = struct.unpack_from('<HHH', source, p + 28)
    enregistrement = bytearray(source[p:p + 46 + n + m + k])
    struct.pack_into('<I', enregistrement, 42, i.header_offset)
    repertoire += enregistrement
    p += 46 + n + m + k
queue = bytearray(source[fin:])
struct.pack_into('<II', queue, 12, len(repertoire), len(corps))
open(sys.argv[1], 'wb').write(corps + repertoire + queue)
with zipfile.ZipFile(sys.argv[1]) as z:
    assert z.testzip() is None
)", {d.chemin("aligne.zip")});
    QTemporaryDir ailleurs;
    executer("unzip", {"-o", "-d", ailleurs.path(), d.chemin("aligne.zip")});
    ASSERT_EQ(essais::lire(ailleurs.filePath("paquet/manifeste.xml")), QByteArray("<manifeste/>"));

    const Resultat r = extraire(d.chemin("aligne.zip"));
    EXPECT_TRUE(r.erreurs.isEmpty()) << r.erreurs.join(", ").toStdString();
    ASSERT_EQ(r.crees, QStringList{d.chemin("paquet")});
    for (const char* nom : {"classes.dex", "icone.png", "manifeste.xml"})
        EXPECT_EQ(essais::lire(d.chemin(QStringLiteral("paquet/") + nom)),
                  essais::lire(ailleurs.filePath(QStringLiteral("paquet/") + nom)))
            << nom;
}

// What unzip extracts, file by file, and what it says.
QMap<QString, QByteArray> selonUnzip(const QString& zip)
{
    QTemporaryDir ailleurs;
    executer("unzip", {"-o", "-d", ailleurs.path(), zip});
    QMap<QString, QByteArray> fichiers;
    QDirIterator it(ailleurs.path(), QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString chemin = it.next();
        fichiers[QDir(ailleurs.path()).relativeFilePath(chemin)] = essais::lire(chemin);
    }
    return fichiers;
}

// The files of what was unpacked at `sortie`, by their path under it.
QMap<QString, QByteArray> deballes(const QString& sortie)
{
    QMap<QString, QByteArray> fichiers;
    QDirIterator it(sortie, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString chemin = it.next();
        fichiers[QFileInfo(sortie).fileName() + '/' + QDir(sortie).relativeFilePath(chemin)] = essais::lire(chemin);
    }
    return fichiers;
}

// Writers that get the central directory's size wrong, and writers that pad extra fields
// with 0xFF bytes: unzip reads every entry of them, and so must we.
TEST(ArchivesReelles, lesRepertoiresMalMesuresEtLesChampsBourresDeFFSeLisent)
{
    Dossier d;
    python(R"(
import io, struct, sys, zipfile
def ecrire(chemin, dossier, n):
    with zipfile.ZipFile(chemin, 'w', zipfile.ZIP_DEFLATED) as z:
        for i in range(n):
            z.writestr('%s/note %d.txt' % (dossier, i), 'ligne %d\n' % i * 40)
# The end record's size of the directory, short by 1 or 10 bytes, or halved.
for chemin, n, taille in ((sys.argv[1], 2, lambda t: t - 1), (sys.argv[2], 3, lambda t: t - 10),
                          (sys.argv[3], 3, lambda t: t // 2)):
    ecrire(chemin, 'court', n)
    o = bytearray(open(chemin, 'rb').read())
    fin = o.rfind(b'PK\x05\x06')
    struct.pack_into('<I', o, fin + 12, taille(struct.unpack_from('<I', o, fin + 12)[0]))
    open(chemin, 'wb').write(o)
# One to three 0xFF bytes as the extra field of the local headers, the central ones or both.
for chemin, local, central, k in ((sys.argv[4], True, False, 1), (sys.argv[5], False, True, 2),
                                  (sys.argv[6], True, True, 3)):
    b = io.BytesIO()
    ecrire(b, 'bourre', 2)
    src = b.getvalue()
    z = zipfile.ZipFile(io.BytesIO(src))
    corps, debuts, rep = bytearray(), [], bytearray()
    for i in z.infolist():
        o = i.header_offset
        n, m = struct.unpack_from('<HH', src, o + 26)
        h = bytearray(src[o:o + 30])
        extra = b'\xff' * k if local else b''
        struct.pack_into('<H', h, 28, len(extra))
        debuts.append(len(corps))
        corps += h + src[o + 30:o + 30 + n] + extra + src[o + 30 + n + m:o + 30 + n + m + i.compress_size]
    fin = src.rfind(b'PK\x05\x06')
    p = struct.unpack_from('<I', src, fin + 16)[0]
    for debut in debuts:
        n, m, c = struct.unpack_from('<HHH', src, p + 28)
        r = bytearray(src[p:p + 46])
        extra = b'\xff' * k if central else b''
        struct.pack_into('<H', r, 30, len(extra))
        struct.pack_into('<I', r, 42, debut)
        rep += r + src[p + 46:p + 46 + n] + extra + src[p + 46 + n + m:p + 46 + n + m + c]
        p += 46 + n + m + c
    q = bytearray(src[fin:])
    struct.pack_into('<II', q, 12, len(rep), len(corps))
    open(chemin, 'wb').write(corps + rep + q)
)", {d.chemin("moins1.zip"), d.chemin("moins10.zip"), d.chemin("moitie.zip"), d.chemin("local.zip"),
      d.chemin("central.zip"), d.chemin("deux.zip")});
    const struct { const char* archive; const char* dossier; int entrees; } cas[] = {
        {"moins1.zip", "court", 2}, {"moins10.zip", "court", 3}, {"moitie.zip", "court", 3},
        {"local.zip", "bourre", 2}, {"central.zip", "bourre", 2}, {"deux.zip", "bourre", 2},
    };
    for (const auto& c : cas) {
        SCOPED_TRACE(c.archive);
        const QMap<QString, QByteArray> attendus = selonUnzip(d.chemin(c.archive));
        ASSERT_EQ(attendus.size(), c.entrees);
        const Resultat r = extraire(d.chemin(c.archive));
        EXPECT_TRUE(r.erreurs.isEmpty()) << r.erreurs.join(", ").toStdString();
        ASSERT_EQ(r.crees, QStringList{d.chemin(c.dossier)});
        EXPECT_EQ(deballes(r.crees[0]), attendus);
        QDir(r.crees[0]).removeRecursively();
    }
}

// Methods that the unpacking library does not decode: the refusal names the method, and
// leaves nothing. 7-Zip writes Deflate64; no writer of today makes Implode or Shrink, whose
// headers are written by hand (the data never gets read).
TEST(ArchivesReelles, uneMethodeDeCompressionInconnueEstNommee)
{
    Dossier d;
    d.ecrire("source/notes.txt", QByteArray("une ligne de notes\n").repeated(3000));
    d.ecrire("source/autres.txt", QByteArray("une autre ligne\n").repeated(3000));
    ASSERT_EQ(executer("7zz", {"a", "-tzip", "-mm=Deflate64", d.chemin("deflate64.zip"), d.chemin("source")}), 0);
    ASSERT_TRUE(QDir(d.chemin("source")).removeRecursively());
    QString test;
    ASSERT_EQ(executer("unzip", {"-tq", d.chemin("deflate64.zip")}, &test), 0) << test.toStdString();
    python(R"(
import struct, sys, zipfile
for chemin, methode in zip(sys.argv[1:], (6, 1)):
    with zipfile.ZipFile(chemin, 'w', zipfile.ZIP_STORED) as z:
        z.writestr('lisez-moi.txt', 'texte\n' * 50)
        z.writestr('ancien/donnees.bin', bytes(range(256)))
    o = bytearray(open(chemin, 'rb').read())
    for i in zipfile.ZipFile(chemin).infolist():
        struct.pack_into('<H', o, i.header_offset + 8, methode)
    p = o.find(b'PK\x01\x02')
    while p >= 0:
        struct.pack_into('<H', o, p + 10, methode)
        p = o.find(b'PK\x01\x02', p + 4)
    open(chemin, 'wb').write(o)
)", {d.chemin("implode.zip"), d.chemin("shrink.zip")});
    const auto methode = [](const char* archive, const char* nom) {
        return QString::fromUtf8("« %1 » est compressé avec la méthode %2, que cette application ne sait pas lire")
            .arg(archive, nom);
    };
    echoue(d, {d.chemin("deflate64.zip"), d.chemin("implode.zip"), d.chemin("shrink.zip")}, "extraire",
           {methode("deflate64.zip", "Deflate64"), methode("implode.zip", "Implode"), methode("shrink.zip", "Shrink")});
}

// An entry without a name climbs out of nothing: its bytes are kept under a name, the
// other entries unpacked beside it.
TEST(ArchivesReelles, uneEntreeSansNomEstGardeeSousUnNom)
{
    Dossier d;
    python(R"(
import sys, zipfile
with zipfile.ZipFile(sys.argv[1], 'w') as z:
    z.writestr('a.txt', b'premier')
    z.writestr(zipfile.ZipInfo(''), b'sans nom')
    z.writestr('b.txt', b'second')
)", {d.chemin("anonyme.zip")});
    const Resultat r = extraire(d.chemin("anonyme.zip"));
    EXPECT_TRUE(r.erreurs.isEmpty()) << r.erreurs.join(", ").toStdString();
    ASSERT_EQ(r.crees, QStringList{d.chemin("anonyme")});
    EXPECT_EQ(deballes(r.crees[0]), (QMap<QString, QByteArray>{{"anonyme/a.txt", "premier"},
                                                              {"anonyme/b.txt", "second"},
                                                              {"anonyme/sans nom", "sans nom"}}));
}

// Bytes after an entry's deflate stream, within the size its headers give: unzip and Python
// read every entry where the central directory puts it, and so must we.
TEST(ArchivesReelles, desOctetsApresLesDonneesDUneEntreeSontPasses)
{
    Dossier d;
    python(R"(
import io, struct, sys, zipfile
b = io.BytesIO()
with zipfile.ZipFile(b, 'w', zipfile.ZIP_DEFLATED) as z:
    z.writestr('suite/un.txt', 'premier\n' * 50)
    z.writestr('suite/deux.txt', 'second\n' * 50)
src = b.getvalue()
un = zipfile.ZipFile(io.BytesIO(src)).infolist()[0]
fin = un.header_offset + 30 + len(un.filename) + len(un.extra) + un.compress_size
queue = b'\0' * 32
o = bytearray(src[:fin] + queue + src[fin:])
struct.pack_into('<I', o, un.header_offset + 18, un.compress_size + len(queue))
eocd = o.rfind(b'PK\x05\x06')
p = struct.unpack_from('<I', o, eocd + 16)[0] + len(queue)
struct.pack_into('<I', o, eocd + 16, p)
while o[p:p + 4] == b'PK\x01\x02':
    n, m, k = struct.unpack_from('<HHH', o, p + 28)
    if struct.unpack_from('<I', o, p + 42)[0] >= fin:
        struct.pack_into('<I', o, p + 42, struct.unpack_from('<I', o, p + 42)[0] + len(queue))
    else:
        struct.pack_into('<I', o, p + 20, un.compress_size + len(queue))
    p += 46 + n + m + k
open(sys.argv[1], 'wb').write(o)
assert zipfile.ZipFile(sys.argv[1]).testzip() is None
)", {d.chemin("queue.zip")});
    const QMap<QString, QByteArray> attendus = selonUnzip(d.chemin("queue.zip"));
    ASSERT_EQ(attendus.size(), 2);
    const Resultat r = extraire(d.chemin("queue.zip"));
    EXPECT_TRUE(r.erreurs.isEmpty()) << r.erreurs.join(", ").toStdString();
    ASSERT_EQ(r.crees, QStringList{d.chemin("suite")});
    EXPECT_EQ(deballes(r.crees[0]), attendus);
    EXPECT_EQ(d.noms(), (QStringList{"queue.zip", "suite"}));
}

} // namespace
