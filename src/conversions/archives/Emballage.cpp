#include "conversions/archives/Emballage.h"
#include "conversions/archives/LocaleUtf8.h"

#include "conversions/sorties/Annulation.h"
#include "conversions/Chemins.h"
#include "conversions/Erreur.h"
#include "conversions/Journaux.h"

#include <QFile>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <memory>
#include <string>
#include <system_error>
#include <vector>

#include <archive.h>
#include <archive_entry.h>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace Conversions {

namespace {

constexpr size_t tailleBloc = 1 << 20;
// Bytes whose spread is this close to 8 bits each are already compressed (photos,
// videos, archives): deflating them again costs time and wins nothing.
constexpr double entropieStockee = 7.9;
constexpr size_t echantillon = 64 << 10;

QString texteDe(const std::string& chemin) { return cheminDepuisOctets(QByteArray::fromStdString(chemin)); }
QString nomDeFichier(const std::string& chemin) { return nomDe(texteDe(chemin)); }

// The patterns the packing always left out: matched on the whole stored path.
bool laisse(const QByteArray& chemin)
{
    return chemin.contains("__MACOSX") || chemin.endsWith(".DS_Store");
}

// `chemin` with every link on the way resolved; itself when it cannot be.
std::string reelDe(const std::string& chemin)
{
    const std::unique_ptr<char, void (*)(void*)> r(::realpath(chemin.c_str(), nullptr), &std::free);
    return r ? std::string(r.get()) : chemin;
}

// The folders above `chemin` (links resolved), up to the root, as device and inode.
std::vector<std::pair<dev_t, ino_t>> ancetres(const std::string& chemin)
{
    std::vector<std::pair<dev_t, ino_t>> l;
    std::string c = reelDe(chemin);
    while (c.size() > 1) {
        c.resize(std::max<size_t>(c.rfind('/'), 1));
        struct stat st;
        if (::stat(c.c_str(), &st) == 0)
            l.emplace_back(st.st_dev, st.st_ino);
    }
    return l;
}

double entropie(const char* octets, size_t n)
{
    std::array<size_t, 256> comptes{};
    for (size_t i = 0; i < n; ++i)
        ++comptes[static_cast<unsigned char>(octets[i])];
    double h = 0;
    for (const size_t c : comptes)
        if (c) {
            const double p = static_cast<double>(c) / static_cast<double>(n);
            h -= p * std::log2(p);
        }
    return h;
}

struct Fichier {
    int fd;
    ~Fichier()
    {
        if (fd >= 0)
            ::close(fd);
    }
};

struct Entree {
    archive_entry* e = archive_entry_new();
    ~Entree() { archive_entry_free(e); }
};

class Emballage {
public:
    Emballage(const QString& archive, const QString& nom) : nom_(nom), tampon_(tailleBloc)
    {
        archive_write_set_format_zip(a_.get());
        archive_write_set_bytes_per_block(a_.get(), 1 << 16);
        archive_write_set_bytes_in_last_block(a_.get(), 1);
        if (archive_write_set_options(a_.get(), "zip:hdrcharset=UTF-8") < ARCHIVE_WARN
            || archive_write_open_filename(a_.get(), local(archive).constData()) != ARCHIVE_OK)
            echec();
        // The archive is written beside the items: it never goes into itself.
        struct stat st;
        if (::stat(local(archive).constData(), &st) == 0)
            soiMeme_ = {st.st_dev, st.st_ino};
    }

    // `chemin` on disk under `nom` in the archive, links followed: what a link points at is
    // stored under the link's name. `depose`: an item the user dropped, which must be packed.
    void ajouter(const std::string& chemin, const QByteArray& nom, bool depose)
    {
        verifierAnnulation();
        struct stat st;
        if (::stat(chemin.c_str(), &st) != 0) {
            // A link inside a folder that leads nowhere has nothing to pack.
            if (!depose && ::lstat(chemin.c_str(), &st) == 0 && S_ISLNK(st.st_mode)) {
                laisser(QStringLiteral("lien sans cible laissé de côté : "), chemin);
                return;
            }
            throw Erreur::lecture(nomDeFichier(chemin));
        }
        if (std::pair(st.st_dev, st.st_ino) == soiMeme_)
            return;
        if (depose)
            parcourus_ = ancetres(chemin);
        if (S_ISDIR(st.st_mode))
            dossier(chemin, nom, st);
        else if (S_ISREG(st.st_mode))
            fichier(chemin, nom, st);
        else if (depose)  // a pipe or a device dropped as it is: nothing to pack
            throw Erreur::lecture(nomDeFichier(chemin));
        else
            laisser(QStringLiteral("fichier spécial laissé de côté : "), chemin);
    }

    void fermer()
    {
        if (archive_write_close(a_.get()) != ARCHIVE_OK)
            echec();
    }

private:
    [[noreturn]] void echec()
    {
        if (archive_error_string(a_.get()))
            qCWarning(journalArchives).noquote()
                << QStringLiteral("libarchive : ") + QString::fromUtf8(archive_error_string(a_.get()));
        if (disquePlein(archive_errno(a_.get())))
            throw std::system_error(archive_errno(a_.get()), std::generic_category(), "libarchive");
        throw Erreur::ecriture(nom_);
    }

    void entete(const QByteArray& nom, const struct stat& st, archive_entry* e)
    {
        archive_entry_copy_stat(e, &st);
        archive_entry_set_pathname_utf8(e, nom.constData());
        if (archive_write_header(a_.get(), e) < ARCHIVE_WARN)
            echec();
    }

    void dossier(const std::string& chemin, const QByteArray& nom, const struct stat& st)
    {
        const QByteArray entree = nom + '/';
        if (laisse(entree))
            return;
        // A link back to a folder on the way down, or to one above the item (the item itself,
        // the home, the root), would be followed for ever: it is left out.
        const std::pair<dev_t, ino_t> cle{st.st_dev, st.st_ino};
        if (std::find(parcourus_.begin(), parcourus_.end(), cle) != parcourus_.end()) {
            laisser(QStringLiteral("lien vers un dossier déjà parcouru laissé de côté : "), chemin);
            return;
        }
        Entree e;
        entete(entree, st, e.e);
        // Read whole before going down: no folder stays open while the tree is walked.
        std::vector<std::string> enfants;
        {
            const std::unique_ptr<DIR, int (*)(DIR*)> d(::opendir(chemin.c_str()), &::closedir);
            if (!d)
                throw Erreur::lecture(nomDeFichier(chemin));
            const std::string reel = reelDe(chemin);
            errno = 0;
            while (const dirent* x = ::readdir(d.get())) {
                const std::string n = x->d_name;
                // The temporaries of a job of ours writing there meanwhile are no content of
                // the folder; a user's file of a name like theirs is.
                if (n != "." && n != ".." && !tenuParLeMoteur(texteDe(reel + '/' + n)))
                    enfants.push_back(n);
            }
            if (errno != 0)
                throw Erreur::lecture(nomDeFichier(chemin));
        }
        std::sort(enfants.begin(), enfants.end());
        parcourus_.push_back(cle);
        for (const std::string& n : enfants)
            ajouter(chemin + '/' + n, entree + nomEnUtf8(QByteArray::fromStdString(n)), false);
        parcourus_.pop_back();
    }

    static void laisser(const QString& pourquoi, const std::string& chemin)
    {
        qCWarning(journalArchives).noquote() << pourquoi + lisible(texteDe(chemin));
    }

    void fichier(const std::string& chemin, const QByteArray& nom, const struct stat& st)
    {
        if (laisse(nom))
            return;
        const Fichier f{::open(chemin.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY)};
        if (f.fd < 0)
            throw Erreur::lecture(nomDeFichier(chemin));
        // The first block says whether the file is worth deflating.
        const auto taille = static_cast<size_t>(st.st_size);
        size_t lus = lire(f.fd, chemin, std::min(taille, tampon_.size()));
        const size_t n = std::min(lus, echantillon);
        const bool stocker = n == echantillon && entropie(tampon_.data() + (lus - n) / 2, n) > entropieStockee;
        if (stocker)
            archive_write_zip_set_compression_store(a_.get());
        else
            archive_write_zip_set_compression_deflate(a_.get());
        Entree e;
        entete(nom, st, e.e);
        size_t ecrits = 0;
        for (;;) {
            if (archive_write_data(a_.get(), tampon_.data(), lus) < 0)
                echec();
            ecrits += lus;
            if (ecrits == taille)
                break;
            verifierAnnulation();
            lus = lire(f.fd, chemin, std::min(taille - ecrits, tampon_.size()));
        }
        if (archive_write_finish_entry(a_.get()) < ARCHIVE_WARN)
            echec();
    }

    // Exactly `n` bytes, or the file changed under us: it cannot be packed as it was seen.
    size_t lire(int fd, const std::string& chemin, size_t n)
    {
        size_t lus = 0;
        while (lus < n) {
            const ssize_t r = ::read(fd, tampon_.data() + lus, n - lus);
            if (r < 0 && errno == EINTR)
                continue;
            if (r <= 0)
                throw Erreur::lecture(nomDeFichier(chemin));
            lus += static_cast<size_t>(r);
        }
        return lus;
    }

    std::unique_ptr<archive, int (*)(archive*)> a_{archive_write_new(), &archive_write_free};
    QString nom_;
    std::vector<char> tampon_;
    std::pair<dev_t, ino_t> soiMeme_{0, 0};
    std::vector<std::pair<dev_t, ino_t>> parcourus_;  // the folders from the root down to here
};

} // namespace

void emballer(const QStringList& items, const QString& archive, const QString& nom)
{
    const LocaleUtf8 locale;
    Emballage emballage(archive, nom);
    for (const QString& item : items)
        emballage.ajouter(local(item).toStdString(), nomEnUtf8(local(nomDe(item))), true);
    emballage.fermer();
}

} // namespace Conversions
