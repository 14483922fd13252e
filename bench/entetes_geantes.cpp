// Time and peak memory of every image petal on files of a few dozen bytes whose header
// declares a picture of 17 000 × 17 000 pixels: a GIF with two pixels of data, a PNG with a
// few rows, a TIFF without its strip. Each conversion runs in a child of its own, once freely and once with its
// address space bounded to 4 GB, where a failed allocation must never end the application:
// the result column says what the user was told, or how the child died. Not a timed test.
// Run by hand: build/bench/bench_entetes_geantes

#include "EnfantConversion.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtEndian>

#include <algorithm>
#include <cstdio>
#include <sys/resource.h>
#include <zlib.h>

namespace {

constexpr const char* petales[] = {"jpg", "png", "heic", "webp", "pdf", "leger", "ocr", "detour"};
constexpr quint32 cote = 17'000;

void ajouter16(QByteArray& o, quint16 v)
{
    const quint16 le = qToLittleEndian(v);
    o.append(reinterpret_cast<const char*>(&le), 2);
}

// Header, a palette of two colours, one frame as large as the picture, two pixels of LZW data.
QByteArray gif()
{
    QByteArray o("GIF89a");
    ajouter16(o, quint16(cote));
    ajouter16(o, quint16(cote));
    o.append("\x80\x00\x00" "\x00\x00\x00\xff\xff\xff", 9);
    o.append(',');
    for (quint16 v : {quint16(0), quint16(0), quint16(cote), quint16(cote)})
        ajouter16(o, v);
    o.append("\x00\x02\x02\x44\x01\x00;", 8);
    return o;
}

QByteArray bloc(const char* type, const QByteArray& donnees)
{
    QByteArray o(4, '\0');
    qToBigEndian(quint32(donnees.size()), o.data());
    const QByteArray corps = QByteArray(type, 4) + donnees;
    QByteArray crc(4, '\0');
    qToBigEndian(quint32(crc32(0, reinterpret_cast<const Bytef*>(corps.constData()), uInt(corps.size()))), crc.data());
    return o + corps + crc;
}

// An RGB PNG header and a deflate stream of a few bytes.
QByteArray png()
{
    QByteArray entete(13, '\0');
    qToBigEndian(cote, entete.data());
    qToBigEndian(cote, entete.data() + 4);
    entete[8] = 8;
    entete[9] = 2;
    QByteArray zeros(16, '\0');
    uLongf taille = compressBound(uLong(zeros.size()));
    QByteArray donnees(int(taille), '\0');
    compress(reinterpret_cast<Bytef*>(donnees.data()), &taille, reinterpret_cast<const Bytef*>(zeros.constData()),
             uLong(zeros.size()));
    donnees.resize(int(taille));
    return QByteArray("\x89PNG\r\n\x1a\n", 8) + bloc("IHDR", entete) + bloc("IDAT", donnees) + bloc("IEND", {});
}

void ajouter32(QByteArray& o, quint32 v)
{
    const quint32 le = qToLittleEndian(v);
    o.append(reinterpret_cast<const char*>(&le), 4);
}

// A little-endian TIFF of 8-bit RGB in one uncompressed strip that lies past the end of the file.
QByteArray tiff()
{
    const std::pair<quint16, quint32> champs[] = {{256, cote}, {257, cote}, {258, 8}, {259, 1}, {262, 2},
                                                  {273, 1 << 20}, {277, 3}, {278, cote}, {279, cote * cote * 3}};
    QByteArray o("II*\0", 4);
    ajouter32(o, 8);
    ajouter16(o, quint16(std::size(champs)));
    for (const auto& [tag, valeur] : champs) {
        ajouter16(o, tag);
        ajouter16(o, valeur > 0xFFFF ? 4 : 3);
        ajouter32(o, 1);
        ajouter32(o, valeur);
    }
    ajouter32(o, 0);
    return o;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QTemporaryDir dossier;
    const struct {
        const char* nom;
        QByteArray octets;
    } cas[] = {{"geante.gif", gif()}, {"geante.png", png()}, {"geante.tif", tiff()}};
    for (const auto& c : cas)
        if (!Enfant::ecrire(dossier.filePath(c.nom), c.octets)) {
            std::fprintf(stderr, "échantillons impossibles à créer\n");
            return 1;
        }
    std::printf("%-11s %-7s %-6s %9s %9s  %s\n", "fichier", "pétale", "borne", "secondes", "pic Mo", "résultat");
    std::fflush(stdout);  // or each child prints it again
    const QString erreur = dossier.filePath(QStringLiteral("erreur.txt"));
    for (const auto& c : cas)
        for (const char* p : petales)
            for (bool borne : {false, true}) {
                QFile::remove(erreur);
                const Enfant::Mesure m = Enfant::convertir(dossier.filePath(c.nom), p, erreur, [borne] {
                    if (borne) {
                        const rlimit limite{rlim_t(4) << 30, rlim_t(4) << 30};
                        setrlimit(RLIMIT_AS, &limite);
                    }
                });
                std::printf("%-11s %-7s %-6s %9.2f %9.0f  %s (%lld octets)\n", c.nom, p, borne ? "4 Go" : "-",
                            m.secondes, m.picMo, m.ok ? qPrintable(Enfant::texte(erreur)) : "l’application est morte",
                            static_cast<long long>(c.octets.size()));
                std::fflush(stdout);
                for (const QString& n : QDir(dossier.path()).entryList(QDir::Files))
                    if (std::none_of(std::begin(cas), std::end(cas), [&](const auto& k) { return n == QLatin1String(k.nom); }))
                        QFile::remove(dossier.filePath(n));
            }
    return 0;
}
