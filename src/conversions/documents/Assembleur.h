#pragma once

#include <QTextBlockFormat>
#include <QTextCharFormat>
#include <QTextCursor>
#include <QHash>
#include <QSet>
#include <QSizeF>
#include <QString>

class QTextDocument;

namespace Conversions {

// Fills a rich text run by run, as the readers walk their format: text is gathered while
// the format stays the same and inserted in one piece (a run per character would be slow).
// A text longer than any real document (a few characters of a file can ask for thousands)
// is Erreur::lecture(nom).
class Assembleur {
public:
    Assembleur(QTextDocument* document, const QString& nom);
    ~Assembleur();
    Assembleur(const Assembleur&) = delete;
    Assembleur& operator=(const Assembleur&) = delete;

    void texte(const QString& morceau, const QTextCharFormat& format);
    // Starts a paragraph; the first call uses the document's first block.
    void paragraphe();
    // The next text starts on a new page, in a paragraph of its own.
    void sautDePage();
    // The picture of part `partie` (a picture shown twice is kept once), `taille` points wide
    // and high, or its own size at 96 dpi when the file gives none; shrunk to fit an A4 page.
    // False when it cannot be read.
    bool image(const QString& partie, const QByteArray& octets, QSizeF taille, const QTextCharFormat& format);
    // Appends another text (the notes) after this one, from a new paragraph.
    void annexer(const QTextDocument& annexe);
    // Inserts what is gathered; call it once at the end.
    void terminer();

private:
    void vider();
    void compter(qsizetype caracteres);
    QTextCharFormat partage(const QTextCharFormat& format);

    QTextCursor curseur_;
    QString nom_;
    qsizetype total_ = 0;
    QSet<QString> familles_;
    QHash<QString, QSizeF> tailles_;  // of each picture read, in points
    bool ouvert_ = true;
    QString attente_;
    QTextCharFormat format_;
    bool premier_ = true;
    bool blocVide_ = true;
};

} // namespace Conversions
