#pragma once

#include <QImage>
#include <QList>
#include <QRect>
#include <QString>

namespace Conversions {

// One line of text the recogniser read, with where each of its characters stands.
struct LigneLue {
    QString texte;
    // The box of each character of `texte`, in the image's pixels (top-left origin); empty
    // for the blank put between two words.
    QList<QRect> boites;
};

// The lines of text in an image, in reading order, with the box of every recognised symbol.
// Throws Erreur::rien when the recogniser is missing or fails.
QList<LigneLue> lireLignes(const QImage& image);

} // namespace Conversions
