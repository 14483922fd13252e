// Time and peak memory of every image petal on TIFFs of a few hundred bytes whose header
// declares a huge picture of odd samples (RGBA of 12 or 15 bits) and whose data is missing:
// each is refused at its first strip, or at once by its size when memory is short, without
// the memory of the picture it never reads. Each conversion runs in a child of its own; its
// peak is compared with that of the same petal on a small picture. Not a timed test.
// Run by hand: build/bench/bench_tiff_sans_donnees

#include "EnfantConversion.h"

#include <QCoreApplication>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>
#include <QtEndian>

#include <cstdio>

namespace {

constexpr const char* petales[] = {"jpg", "png", "heic", "webp", "pdf", "leger", "ocr", "detour"};

void ajouter(QByteArray& o, quint32 v, int octets)
{
    for (int i = 0; i < octets; ++i)
        o.append(static_cast<char>(v >> (8 * i)));
}

// A little-endian TIFF: its header and one directory, RGBA of `bits` bits a sample in one
// uncompressed strip that lies past the end of the file.
QByteArray tiffSansDonnees(quint32 largeur, quint32 hauteur, quint16 bits)
{
    const quint32 bitsParSample = 8 + 2 + 12 * 11 + 4;  // the four BitsPerSample values, after the directory
    const quint32 octets = static_cast<quint32>(quint64(largeur) * hauteur * 4 * bits / 8);
    const std::pair<quint16, std::pair<quint16, quint32>> champs[] = {
        {256, {4, largeur}}, {257, {4, hauteur}}, {258, {3, bitsParSample}}, {259, {3, 1}}, {262, {3, 2}},
        {273, {4, bitsParSample + 8}}, {277, {3, 4}}, {278, {4, hauteur}}, {279, {4, octets}}, {284, {3, 1}},
        {338, {3, 2}}};
    QByteArray o("II*\0", 4);
    ajouter(o, 8, 4);
    ajouter(o, 11, 2);
    for (const auto& [tag, valeur] : champs) {
        ajouter(o, tag, 2);
        ajouter(o, valeur.first, 2);
        ajouter(o, tag == 258 ? 4 : 1, 4);
        ajouter(o, valeur.second, 4);
    }
    ajouter(o, 0, 4);
    for (int i = 0; i < 4; ++i)
        ajouter(o, bits, 2);
    return o;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QTemporaryDir dossier;
    QImage petite(200, 150, QImage::Format_RGB32);
    petite.fill(QColor(200, 120, 40));
    const struct {
        const char* nom;
        quint32 largeur, hauteur;
        quint16 bits;
    } cas[] = {{"large.tif", 300'000'000, 1, 15}, {"carre.tif", 17'000, 17'000, 12}};
    bool prets = petite.save(dossier.filePath("petite.png"));
    for (const auto& c : cas)
        prets = prets && Enfant::ecrire(dossier.filePath(c.nom), tiffSansDonnees(c.largeur, c.hauteur, c.bits));
    if (!prets) {
        std::fprintf(stderr, "échantillons impossibles à créer\n");
        return 1;
    }
    std::printf("%-10s %-8s %10s %10s %12s  %s\n", "fichier", "pétale", "secondes", "pic Mo", "à vide Mo", "résultat");
    std::fflush(stdout);  // or each child prints it again
    const QString erreur = dossier.filePath(QStringLiteral("erreur.txt"));
    for (const char* p : petales) {
        const Enfant::Mesure vide = Enfant::convertir(dossier.filePath("petite.png"), p, erreur);
        for (const auto& c : cas) {
            const Enfant::Mesure m = Enfant::convertir(dossier.filePath(c.nom), p, erreur);
            std::printf("%-10s %-8s %10.2f %10.0f %12.0f  %s\n", c.nom, p, m.secondes, m.picMo, vide.picMo,
                        qPrintable(Enfant::texte(erreur)));
            std::fflush(stdout);
        }
    }
    return 0;
}
