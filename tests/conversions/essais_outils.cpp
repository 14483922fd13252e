#include "essais_outils.h"

#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTextCursor>
#include <algorithm>

namespace essais {

QByteArray lire(const QString& chemin)
{
    QFile f(chemin);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<absent>");
}

QString sortieDe(const QString& programme, const QStringList& arguments)
{
    QString sortie;
    const int code = executer(programme, arguments, &sortie);
    EXPECT_EQ(code, 0) << programme.toStdString() << " " << arguments.join(' ').toStdString() << "\n"
                       << sortie.toStdString();
    return code == 0 ? sortie : QString();
}

QString convertirSeul(const QStringList& sources, const QString& id)
{
    const Conversions::Resultat r = Conversions::convertir(sources, id, {});
    EXPECT_TRUE(r.erreurs.isEmpty()) << id.toStdString() << ": " << r.erreurs.join(" | ").toStdString();
    EXPECT_EQ(r.crees.size(), 1) << id.toStdString();
    return r.crees.value(0);
}

QString echec(const QStringList& sources, const QString& id)
{
    const Conversions::Resultat r = Conversions::convertir(sources, id, {});
    EXPECT_TRUE(r.crees.isEmpty()) << id.toStdString() << ": " << r.crees.join(' ').toStdString();
    EXPECT_EQ(r.erreurs.size(), 1) << id.toStdString();
    return r.erreurs.value(0);
}

void echoue(const Dossier& d, const QStringList& sources, const QString& cible, const QStringList& erreurs)
{
    const QStringList avant = d.noms();
    const Conversions::Resultat r = Conversions::convertir(sources, cible, {});
    EXPECT_TRUE(r.crees.isEmpty()) << r.crees.join(", ").toStdString();
    EXPECT_EQ(r.erreurs, erreurs);
    EXPECT_EQ(d.noms(), avant);
}

QString champVips(const QString& image, const QString& nom)
{
    // The value is the last line: libvips may warn before it.
    const QStringList lignes = sortieDe(QStringLiteral("vipsheader"), {QStringLiteral("-f"), nom, image})
                                   .split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    return lignes.isEmpty() ? QString() : lignes.last().trimmed();
}

QSize tailleImage(const QString& image)
{
    return {champVips(image, QStringLiteral("width")).toInt(), champVips(image, QStringLiteral("height")).toInt()};
}

QImage decoder(const QString& image)
{
    QTemporaryDir ailleurs;
    const QString png = ailleurs.filePath(QStringLiteral("decode.png"));
    sortieDe(QStringLiteral("vips"), {QStringLiteral("copy"), image, png});
    return QImage(png);
}

namespace {

QString ligne(const QString& texte, const QString& nom)
{
    const QRegularExpression re(QStringLiteral("^%1:\\s*(.*)$").arg(QRegularExpression::escape(nom)),
                                QRegularExpression::MultilineOption);
    return re.match(texte).captured(1).trimmed();
}

QStringList page(int page)
{
    if (page <= 0)
        return {};
    return {QStringLiteral("-f"), QString::number(page), QStringLiteral("-l"), QString::number(page)};
}

} // namespace

int pages(const QString& pdf)
{
    const QString n = infoPdf(pdf, QStringLiteral("Pages"));
    return n.isEmpty() ? -1 : n.toInt();
}

QString infoPdf(const QString& pdf, const QString& nom)
{
    return ligne(sortieDe(QStringLiteral("pdfinfo"), {pdf}), nom);
}

QSizeF taillePage(const QString& pdf, int numero)
{
    const QString info = sortieDe(QStringLiteral("pdfinfo"), page(numero) << pdf);
    const QString t = ligne(info, QStringLiteral("Page %1 size").arg(numero, 4));
    const auto m = QRegularExpression(QStringLiteral("([\\d.]+) x ([\\d.]+) pts")).match(t);
    return m.hasMatch() ? QSizeF(m.captured(1).toDouble(), m.captured(2).toDouble()) : QSizeF();
}

bool intact(const QString& pdf)
{
    QString sortie;
    return executer(QStringLiteral("qpdf"), {QStringLiteral("--check"), pdf}, &sortie) == 0
           && !sortie.contains(QLatin1String("WARNING"));
}

QString pdftotext(const QString& pdf, int numero)
{
    return sortieDe(QStringLiteral("pdftotext"), page(numero) << pdf << QStringLiteral("-"));
}

QImage rendre(const QString& pdf, int numero)
{
    QTemporaryDir d;
    const QString base = d.filePath(QStringLiteral("p"));
    sortieDe(QStringLiteral("pdftoppm"), page(numero) << QStringLiteral("-r") << QStringLiteral("72")
                                                       << QStringLiteral("-singlefile") << QStringLiteral("-png")
                                                       << pdf << base);
    return QImage(base + QStringLiteral(".png")).convertToFormat(QImage::Format_RGB32);
}

QRect encre(const QImage& image)
{
    QRect r;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (qGray(image.pixel(x, y)) < 200)
                r = r.united(QRect(x, y, 1, 1));
    return r;
}

QString docx2txt(const QString& docx) { return sortieDe(QStringLiteral("docx2txt"), {docx, QStringLiteral("-")}); }

QString pandoc(const QString& fichier, const QString& de, const QString& vers)
{
    return sortieDe(QStringLiteral("pandoc"), {QStringLiteral("-f"), de, QStringLiteral("-t"), vers, fichier});
}

QString partie(const QString& zip, const QString& nom)
{
    return sortieDe(QStringLiteral("unzip"), {QStringLiteral("-p"), zip, nom});
}

QTextCharFormat formatDe(const QTextDocument& document, const QString& mot)
{
    const QTextCursor c = document.find(mot);
    EXPECT_FALSE(c.isNull()) << mot.toStdString();
    QTextCursor un(const_cast<QTextDocument*>(&document));
    un.setPosition(c.selectionStart() + 1);
    return un.charFormat();
}

void verifierFormes(const QTextDocument& document, const QList<Forme>& formes)
{
    for (const Forme& f : formes) {
        SCOPED_TRACE(f.mot);
        const QTextCharFormat c = formatDe(document, QString::fromUtf8(f.mot));
        EXPECT_EQ(c.fontWeight(), f.gras ? QFont::Bold : QFont::Normal);
        EXPECT_EQ(c.fontItalic(), f.italique);
        EXPECT_EQ(c.fontUnderline(), f.souligne);
        EXPECT_EQ(c.fontPointSize(), f.taille);
        EXPECT_EQ(c.fontFamilies().toStringList(), QStringList{QString::fromUtf8(f.police)});
        // No colour of its own, or a neighbour's leaking in, shows here.
        if (f.couleur.isValid()) {
            EXPECT_EQ(c.foreground().color(), f.couleur);
        } else {
            EXPECT_TRUE(!c.hasProperty(QTextFormat::ForegroundBrush) || c.foreground().color() == Qt::black);
        }
    }
}

Conversions::Progression Releve::rappel()
{
    return [this](double p) {
        std::lock_guard g(verrou);
        valeurs.push_back(p);
    };
}

bool Releve::enOrdre() const
{
    return std::is_sorted(valeurs.begin(), valeurs.end())
           && std::all_of(valeurs.begin(), valeurs.end(), [](double v) { return v >= 0 && v <= 1; });
}

} // namespace essais
