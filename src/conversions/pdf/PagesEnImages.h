#pragma once

#include <QImage>
#include <QString>
#include <QStringList>
#include <deque>
#include <future>
#include <memory>

#include "conversions/Sortie.h"

namespace Conversions {

class Sortie;

// Writes a page image (RGBX) as "jpg" (quality 90) or "png" (fast filter) into the
// output and moves it into place; returns the final path. Erreur::ecriture with the
// output's name on failure.
QString ecrirePage(const QImage& page, const QString& format, Sortie& sortie);

// Page images written while the next pages are drawn: at most two pages are being
// written at once (PNG takes twice as long to write as to draw), and only one when
// pages are large, to bound memory. Pages come as
// PdfRendu::dessiner() gives them and are put on white here, off the drawing thread.
// Files are named in the order given; a failure is thrown in that order too.
class EcrituresDePages {
public:
    explicit EcrituresDePages(QString format) : format_(std::move(format)) {}
    // Waits for the unfinished writes; their failures are lost only if one is already thrown.
    ~EcrituresDePages();
    EcrituresDePages(const EcrituresDePages&) = delete;
    EcrituresDePages& operator=(const EcrituresDePages&) = delete;

    // Waits while two pages are being written (the oldest one's failure is thrown here),
    // then starts writing this one to the output that `reserver` makes.
    template <typename Reserver>
    void ajouter(QImage page, Reserver&& reserver)
    {
        const double pixels = static_cast<double>(page.width()) * page.height();
        while (!enCours_.empty() && (enCours_.size() >= 2 || pixelsEnCours() + pixels > pixelsEnVol))
            attendre();
        lancer(std::move(page), std::make_unique<Sortie>(reserver()));
    }
    // Waits for the last write; returns the final paths in order.
    QStringList finir();

private:
    // Two A4 pages at 300 dpi, not two posters.
    static constexpr double pixelsEnVol = 40e6;

    struct Ecriture {
        std::future<QString> chemin;
        double pixels;
    };
    double pixelsEnCours() const;
    // Waits for the oldest write.
    void attendre();
    void lancer(QImage page, std::unique_ptr<Sortie> sortie);

    QString format_;
    std::deque<Ecriture> enCours_;
    QStringList ecrites_;
};

} // namespace Conversions
