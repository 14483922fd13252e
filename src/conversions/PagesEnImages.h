#pragma once

#include <QImage>
#include <QString>
#include <QStringList>
#include <future>
#include <memory>

#include "conversions/Sortie.h"

namespace Conversions {

class Sortie;

// Writes a page image (RGBX) as "jpg" (quality 90) or "png" (fast filter) into the
// output and moves it into place; returns the final path. Erreur::ecriture with the
// output's name on failure.
QString ecrirePage(const QImage& page, const QString& format, Sortie& sortie);

// Page images written one after another while the next page is drawn: at most one
// page waits to be written. Pages come as PdfRendu::dessiner() gives them and are put
// on white here, off the drawing thread. Files are named and written in the order given.
class EcrituresDePages {
public:
    explicit EcrituresDePages(QString format) : format_(std::move(format)) {}
    // Waits for the unfinished write; its failure is lost only if one is already thrown.
    ~EcrituresDePages();
    EcrituresDePages(const EcrituresDePages&) = delete;
    EcrituresDePages& operator=(const EcrituresDePages&) = delete;

    // Waits for the page before (its failure is thrown here), then starts writing this
    // one to the output that `reserver` makes.
    template <typename Reserver>
    void ajouter(QImage page, Reserver&& reserver)
    {
        attendre();
        lancer(std::move(page), std::make_unique<Sortie>(reserver()));
    }
    // Waits for the last write; returns the final paths in order.
    QStringList finir();

private:
    void attendre();
    void lancer(QImage page, std::unique_ptr<Sortie> sortie);

    QString format_;
    std::future<QString> enCours_;
    QStringList ecrites_;
};

} // namespace Conversions
