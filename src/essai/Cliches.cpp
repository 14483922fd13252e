#include "essai/Cliches.h"

#include "conversions/Erreur.h"
#include "conversions/Catalogue.h"
#include "roue/EtatRoue.h"
#include "roue/Rendu.h"

#include <QImage>
#include <optional>

namespace Essai {

namespace {

struct Cliche {
    const char* nom;
    const char* fichier;
    std::optional<int> survol;
    std::optional<double> progression;
    std::optional<bool> fait;
    bool sombre;
};

const Cliche cliches[] = {
    {"roue-image", "Mandarine.png", 0, {}, {}, false},
    {"roue-video", "Balle.mov", 3, {}, {}, false},
    {"roue-video-sombre", "Balle.mov", 2, {}, {}, true},
    {"roue-son-sombre", "La.m4a", {}, {}, {}, true},
    {"roue-progression", "Balle.mov", {}, 0.62, {}, false},
    {"roue-progression-sombre", "Balle.mov", {}, 0.62, {}, true},
    {"roue-echec", "Muette.mov", {}, {}, false, false},
    {"roue-deux-pdf", "Annexe.pdf", 4, {}, {}, false},
    {"roue-deux-pdf-sombre", "Annexe.pdf", 4, {}, {}, true},
};

} // namespace

void photographierLaRoue(const QDir& dossier, Roue::EtatRoue& etat)
{
    etat.setOuverte(true);
    for (const Cliche& c : cliches) {
        const QString url = dossier.filePath(QString::fromUtf8(c.fichier));
        const QStringList fichiers = QString::fromUtf8(c.fichier) == QLatin1String("Annexe.pdf")
                                         ? QStringList{dossier.filePath(QStringLiteral("Page 001.pdf")), url}
                                         : QStringList{url};
        etat.setPetales(Conversions::petales(fichiers));
        etat.setCentre(QString::fromUtf8(c.fichier));
        etat.setSurvol(c.survol);
        etat.setProgression(c.progression);
        etat.setFait(c.fait);
        etat.setMessage(c.fait == std::optional<bool>(false)
                            ? std::optional<QString>(Conversions::Erreur::sansSon(QString::fromUtf8(c.fichier)).message())
                            : std::nullopt);
        // The wheel over the background of its appearance, 640 × 640 points at scale 2.
        const QImage image = Roue::rendre(etat, c.sombre, 2.0, c.sombre ? QColor(30, 30, 34) : QColor(244, 244, 246));
        image.save(dossier.filePath(QString::fromUtf8(c.nom) + QStringLiteral(".png")), "png");
    }
}

} // namespace Essai
