#include "conversions/Catalogue.h"
#include "conversions/Chemins.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QMimeDatabase>
#include <algorithm>
#include <atomic>
#include <fcntl.h>
#include <unistd.h>

namespace Conversions {

namespace {

QString tr(const char* texte) { return QCoreApplication::translate("Conversions", texte); }

QSet<QString> ensemble(std::initializer_list<const char*> noms)
{
    QSet<QString> s;
    for (const char* n : noms)
        s.insert(QString::fromLatin1(n));
    return s;
}

const QSet<QString>& sons()
{
    static const auto s = ensemble({"mp3", "m4a", "aac", "wav", "aif", "aiff", "aifc", "caf", "flac"});
    return s;
}

const QSet<QString>& videos()
{
    static const auto s = ensemble({"mov", "mp4", "m4v", "3gp"});
    return s;
}

// The pictures the engine reads, one list for the catalogue and the loaders: libvips'
// trusted loaders, Qt's readers, libraw. Anything else (PSD, SVG, JPEG XL…) is `autre`.
const QSet<QString>& imagesVips()
{
    static const auto s = ensemble({"jpg", "jpeg", "jpe", "jfif", "png", "gif", "webp", "heic", "heif", "hif",
                                    "avif", "tif", "tiff"});
    return s;
}

const QSet<QString>& images()
{
    static const QSet<QString> s = imagesVips() + imagesQt() + imagesRaw();
    return s;
}

const QHash<QString, QSet<QString>>& synonymes()
{
    static const QHash<QString, QSet<QString>> t{
        {QStringLiteral("jpg"), ensemble({"jpg", "jpeg"})},
        {QStringLiteral("tiff"), ensemble({"tif", "tiff"})},
        {QStringLiteral("aiff"), ensemble({"aif", "aiff", "aifc"})},
        {QStringLiteral("mp4"), ensemble({"mp4", "m4v"})},
    };
    return t;
}

Petale format(const char* id, const char* titre, const char* symbole)
{
    return {QString::fromLatin1(id), QString::fromUtf8(titre), QString::fromLatin1(symbole), std::nullopt};
}

Petale dit(const char* id, const QString& titre, const char* symbole, const QString& phrase)
{
    return {QString::fromLatin1(id), titre, QString::fromLatin1(symbole), phrase};
}

QString extension(const QString& chemin) { return QFileInfo(chemin).suffix().toLower(); }

// A candidate is already the format when every extension is one of its synonyms.
bool dejaLeFormat(const QString& id, const QSet<QString>& extensions)
{
    const auto& table = synonymes();
    const QSet<QString> memes = table.contains(id) ? table.value(id) : QSet<QString>{id};
    for (const QString& e : extensions)
        if (!memes.contains(e))
            return false;
    return true;
}

void ajouterFiltre(QList<Petale>& liste, const Petale& p, const QSet<QString>& extensions)
{
    if (!dejaLeFormat(p.id, extensions))
        liste.append(p);
}

QList<Petale> pourImages(const QStringList& chemins, const QSet<QString>& ext)
{
    QList<Petale> l;
    for (const Petale& p : {format("jpg", "JPG", "photo"), format("png", "PNG", "photo"),
                            format("heic", "HEIC", "photo"), format("webp", "WebP", "photo")})
        ajouterFiltre(l, p, ext);
    const qsizetype n = chemins.size();
    l.append(n == 1 ? format("pdf", "PDF", "doc.richtext") : Conversions::unSeulPDF());
    const bool anime = n == 1 && ext == QSet<QString>{QStringLiteral("gif")}
                       && Conversions::nombreDImages(chemins.first()) >= 2;
    if (anime) {
        l.append(dit("gifmp4", tr("Vidéo"), "film", tr("En vidéo MP4")));
        l.append(Conversions::leger());
    } else {
        l.append(Conversions::leger());
        l.append(dit("ocr", tr("Texte"), "text.viewfinder", tr("Le texte de l’image")));
        l.append(dit("detour", tr("Détourer"), "person.crop.rectangle", tr("Sans le fond")));
    }
    return l;
}

QList<Petale> pourPDF(const QStringList& chemins, int pages)
{
    QList<Petale> l{format("jpg", "JPG", "photo"), format("png", "PNG", "photo"),
                    {QStringLiteral("txt"), tr("Texte"), QStringLiteral("text.alignleft"), std::nullopt},
                    format("docx", "Word", "doc.text")};
    if (chemins.size() >= 2)
        l.append(Conversions::unSeulPDF());
    else if (pages >= 2)
        l.append(dit("separer", tr("Séparer"), "square.split.2x1", tr("Une page par PDF")));
    return l;
}

QList<Petale> pourSons(const QStringList& chemins, const QSet<QString>& ext)
{
    QList<Petale> l;
    for (const Petale& p : {format("mp3", "MP3", "waveform"), format("m4a", "M4A", "waveform"),
                            format("wav", "WAV", "waveform"), format("aiff", "AIFF", "waveform")})
        ajouterFiltre(l, p, ext);
    if (chemins.size() == 1)
        l.append(Conversions::couper());
    return l;
}

QList<Petale> pourVideos(const QStringList& chemins, const QSet<QString>& ext)
{
    const Petale son = dit("m4a", tr("Son"), "waveform", tr("Le son seul"));
    for (const QString& e : ext)
        if (Conversions::videosFFmpeg().contains(e))
            return {format("mp4", "MP4", "film"), son};
    QList<Petale> l;
    ajouterFiltre(l, format("mp4", "MP4", "film"), ext);
    ajouterFiltre(l, format("mov", "MOV", "film"), ext);
    l.append(format("gif", "GIF", "photo.stack"));
    l.append(son);
    l.append(Conversions::leger());
    if (chemins.size() == 1)
        l.append(Conversions::couper());
    return l;
}

QList<Petale> pourTextes(const QSet<QString>& ext)
{
    QList<Petale> l;
    ajouterFiltre(l, format("pdf", "PDF", "doc.richtext"), ext);
    ajouterFiltre(l, format("docx", "Word", "doc.text"), ext);
    ajouterFiltre(l, {QStringLiteral("txt"), tr("Texte"), QStringLiteral("text.alignleft"), std::nullopt}, ext);
    return l;
}


} // namespace

QString Petale::annonce() const
{
    return phrase ? *phrase : QCoreApplication::translate("Conversions", "En ") + titre;
}


const QSet<QString>& sonsFFmpeg()
{
    static const auto s = ensemble({"ogg", "oga", "opus", "wma"});
    return s;
}
const QSet<QString>& videosFFmpeg()
{
    static const auto s = ensemble({"mkv", "webm", "avi", "wmv", "flv", "mpg", "mpeg", "ts", "ogv"});
    return s;
}
const QSet<QString>& textes()
{
    static const auto s = ensemble({"txt", "text", "md", "rtf", "rtfd", "doc", "docx", "odt"});
    return s;
}

const QSet<QString>& imagesQt()
{
    static const auto s = ensemble({"bmp", "ico", "tga"});
    return s;
}
const QSet<QString>& imagesRaw()
{
    static const auto s = ensemble({"dng", "cr2", "cr3", "nef", "arw", "raf", "orf", "rw2"});
    return s;
}


const Petale& unSeulPDF()
{
    static const Petale p = dit("pdf", tr("Un seul PDF"), "doc.on.doc", tr("Un seul PDF"));
    return p;
}
const Petale& zip()
{
    static const Petale p = dit("zip", QStringLiteral("Zip"), "doc.zipper", tr("Une archive zip"));
    return p;
}
const Petale& leger()
{
    static const Petale p = dit("leger", tr("Plus légère"), "arrow.down.right.and.arrow.up.left",
                                tr("Plus légère pour l’envoyer"));
    return p;
}
const Petale& couper()
{
    static const Petale p = dit("couper", tr("Couper"), "scissors", tr("Couper un passage"));
    return p;
}

Genre genre(const QString& chemin)
{
    const QString e = extension(chemin);
    if (sons().contains(e) || sonsFFmpeg().contains(e))
        return Genre::son;
    if (videos().contains(e) || videosFFmpeg().contains(e))
        return Genre::video;
    if (textes().contains(e))
        return Genre::texte;
    if (e == QLatin1String("zip"))
        return Genre::archive;
    if (estDossier(chemin))
        return Genre::dossier;
    if (images().contains(e))
        return Genre::image;
    if (e.isEmpty())
        return Genre::autre;
    // The type of the extension alone: the contents are never read.
    static const QMimeDatabase base;
    const QMimeType type = base.mimeTypeForFile(QStringLiteral("x.") + e, QMimeDatabase::MatchExtension);
    if (type.isValid() && type.inherits(QStringLiteral("application/pdf")))
        return Genre::pdf;
    return Genre::autre;
}

namespace {

// `pages`: the page count of a lone PDF.
QList<Petale> duGenre(const QStringList& chemins, int pages)
{
    QSet<Genre> genres;
    QSet<QString> ext;
    for (const QString& c : chemins) {
        genres.insert(genre(c));
        ext.insert(extension(c));
    }
    if (genres == QSet<Genre>{Genre::image, Genre::pdf})
        return {unSeulPDF()};
    if (genres.size() != 1)
        return {};
    switch (*genres.begin()) {
    case Genre::image: return pourImages(chemins, ext);
    case Genre::pdf: return pourPDF(chemins, pages);
    case Genre::son: return pourSons(chemins, ext);
    case Genre::video: return pourVideos(chemins, ext);
    case Genre::texte: return pourTextes(ext);
    case Genre::archive:
        return {dit("extraire", tr("Extraire"), "archivebox", tr("Ouvrir le zip"))};
    case Genre::dossier:
    case Genre::autre:
        break;
    }
    return {};
}

// A lone PDF's pages, counted now; 0 for anything else.
int pagesDuPdfSeul(const QStringList& chemins) { return comptePages(chemins) ? nombreDePages(chemins.first()) : 0; }

} // namespace

QList<Petale> petalesDuGenre(const QStringList& chemins)
{
    return duGenre(chemins, pagesDuPdfSeul(chemins));
}

bool comptePages(const QStringList& chemins) { return chemins.size() == 1 && genre(chemins.first()) == Genre::pdf; }

QList<Petale> petales(const QStringList& chemins)
{
    return petales(chemins, pagesDuPdfSeul(chemins));
}

QList<Petale> petales(const QStringList& chemins, int pages)
{
    if (chemins.isEmpty())
        return {};
    QList<Petale> l = duGenre(chemins, pages);
    if (chemins.size() == 1 && !l.isEmpty())
        return l;
    if (!l.contains(zip()))
        l.append(zip());
    return l;
}

QString refus(const QStringList&)
{
    return tr("Rien à faire avec ceci");
}

namespace {

std::atomic<CompteurDePages> compteurDePages{nullptr};

} // namespace

void compterLesPagesAvec(CompteurDePages compteur) { compteurDePages.store(compteur); }

int nombreDePages(const QString& pdf)
{
    // A pipe or a device is never read.
    const CompteurDePages compteur = compteurDePages.load();
    return compteur && fichierOuDossier(pdf) && !estDossier(pdf) ? compteur(pdf) : 0;
}

namespace {

// A file read forward through a window of its bytes, up to a bound (none when negative).
class LectureEnAvant {
public:
    LectureEnAvant(QFile& f, qint64 borne) : f_(f), borne_(borne) {}

    // The next byte, or -1 at the end or the bound.
    int octet()
    {
        if (p_ >= tampon_.size() && !remplir())
            return -1;
        return static_cast<unsigned char>(tampon_.constData()[p_++]);
    }
    void sauter(qint64 n) { p_ += n; }

private:
    bool remplir()
    {
        debut_ += p_;
        p_ = 0;
        const qint64 fenetre = borne_ < 0 ? qint64(1) << 20 : std::min(qint64(1) << 20, borne_ - debut_);
        if (fenetre <= 0 || !f_.seek(debut_))
            return false;
        tampon_ = f_.read(fenetre);
        return !tampon_.isEmpty();
    }

    QFile& f_;
    const qint64 borne_;
    QByteArray tampon_;
    qint64 debut_ = 0;  // of the window in the file
    qint64 p_ = 0;      // in the window; past its end after a skip
};

} // namespace

int nombreDImages(const QString& gif, int auPlus, qint64 octetsAuPlus)
{
    // Walks the GIF's blocks, skipping image data, and stops at `auPlus` images. For the drag,
    // only the head of the file is read: a file of tiny blocks (millions of one-byte comments)
    // would otherwise hold it for seconds.
    // Opened by its bytes: the name may not be UTF-8.
    const int fd = fichierOuDossier(gif) ? ::open(local(gif).constData(), O_RDONLY | O_CLOEXEC) : -1;
    if (fd < 0)
        return 0;
    QFile f;
    if (!f.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        return 0;
    }
    LectureEnAvant l(f, octetsAuPlus);
    int entete[13];
    for (int& o : entete)
        o = l.octet();
    if (entete[12] < 0 || entete[0] != 'G' || entete[1] != 'I' || entete[2] != 'F')
        return 0;
    auto sauterPalette = [&](int drapeaux) {
        if (drapeaux & 0x80)
            l.sauter(3 * (1 << ((drapeaux & 7) + 1)));
    };
    auto sauterSousBlocs = [&]() {
        for (int taille = l.octet(); taille > 0; taille = l.octet())
            l.sauter(taille);
    };
    sauterPalette(entete[10]);
    int images = 0;
    while (images < auPlus) {
        const int bloc = l.octet();
        if (bloc == 0x2C) {  // image descriptor
            int drapeaux = -1;
            for (int i = 0; i < 9; ++i)
                drapeaux = l.octet();
            if (drapeaux < 0)
                break;
            sauterPalette(drapeaux);
            if (l.octet() < 0)  // LZW minimum code size
                break;
            sauterSousBlocs();
            ++images;
        } else if (bloc == 0x21) {  // extension
            if (l.octet() < 0)
                break;
            sauterSousBlocs();
        } else {
            break;  // trailer, damage, or the end of what was read
        }
    }
    return images;
}

} // namespace Conversions
