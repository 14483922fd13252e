// A 50-page RTF to an A4 PDF: reading, layout, and the whole conversion.

#include "Principal.h"
#include "conversions/Conversions.h"
#include "conversions/documents/Documents.h"

#include <QFile>
#include <QGuiApplication>
#include <QPdfDocument>
#include <QTemporaryDir>
#include <QTextDocument>
#include <benchmark/benchmark.h>

namespace {

// About 50 A4 pages of 12-point text with bold, italic, colours, sizes and escapes.
QByteArray rtfDeCinquantePages()
{
    QByteArray r = "{\\rtf1\\ansi\\ansicpg1252\\deff0{\\fonttbl{\\f0 Helvetica;}{\\f1 Times New Roman;}}"
                   "{\\colortbl;\\red200\\green0\\blue0;\\red0\\green0\\blue160;}\n";
    for (int i = 0; i < 712; ++i) {
        r += "\\f0\\fs24 Paragraphe " + QByteArray::number(i) + " : {\\b gras} et {\\i italique}, "
             "{\\cf1 rouge}, {\\f1\\fs28 Times} ; caf\\'e9 cr\\'e8me \\u8364? les mots continuent "
             "assez longtemps pour remplir plusieurs lignes de la page, encore et encore, jusqu'\\'e0 "
             "la fin de ce paragraphe d'essai.\\par\n";
    }
    return r + "}";
}

struct Fichier {
    QTemporaryDir dossier;
    QString rtf = dossier.filePath(QStringLiteral("long.rtf"));
    Fichier()
    {
        QFile f(rtf);
        if (f.open(QIODevice::WriteOnly))
            f.write(rtfDeCinquantePages());
    }
};

Fichier& fichier()
{
    static Fichier f;
    return f;
}

void lecture(benchmark::State& etat)
{
    for (auto _ : etat)
        benchmark::DoNotOptimize(Conversions::lireDocument(fichier().rtf));
}

void miseEnPage(benchmark::State& etat)
{
    const auto texte = Conversions::lireDocument(fichier().rtf);
    const QString pdf = fichier().dossier.filePath(QStringLiteral("mise.pdf"));
    for (auto _ : etat) {
        Conversions::enPDF(*texte, pdf);
        QFile::remove(pdf);
    }
}

void rtfEnPdf(benchmark::State& etat)
{
    int pages = 0;
    for (auto _ : etat) {
        const QStringList crees = Conversions::convertirUn(fichier().rtf, QStringLiteral("pdf"));
        etat.PauseTiming();
        QPdfDocument pdf;
        pdf.load(crees.value(0));
        pages = pdf.pageCount();
        for (const QString& c : crees)
            QFile::remove(c);
        etat.ResumeTiming();
    }
    etat.counters["pages"] = pages;
}

} // namespace

BENCHMARK(lecture)->Unit(benchmark::kMillisecond);
BENCHMARK(miseEnPage)->Unit(benchmark::kMillisecond);
BENCHMARK(rtfEnPdf)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv)
{
    return lancerLesBancs(argc, argv);
}
