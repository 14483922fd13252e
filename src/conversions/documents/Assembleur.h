#pragma once

#include <QTextBlockFormat>
#include <QTextCharFormat>
#include <QTextCursor>
#include <QSet>
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
    bool ouvert_ = true;
    QString attente_;
    QTextCharFormat format_;
    bool premier_ = true;
    bool blocVide_ = true;
};

} // namespace Conversions
