// Unpacking archives made of colliding names, links inside and outside the folder (through
// /proc/self/cwd too), "." and ".." parts: the input is a list of entries, each a kind, a
// path of a few names taken from a small set and, for a link, a target from another. Nothing
// outside the folder may be created, changed or removed, and the process's working folder
// stays where it is.
//
// Each entry: a byte for its kind (file, folder, link: modulo 3), a byte for its number of
// names (1 + modulo 4), one byte per name (an index in `noms`), and for a link one byte (an
// index in `cibles`).
#include "Cible.h"

#include "conversions/Erreur.h"
#include "conversions/archives/ArchiveExtraction.h"

#include <QFile>

#include <array>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

const std::array<const char*, 16> noms{"x",  "x 2", "a",   "a 2",   "d",        "e",          "e 2",        "..",
                                       ".",  "",    "x.d", "x 2.d", "sans nom", "sans nom 2", "canari.txt", "x 3"};

// Relative ones from the output folder bac/zone/deballe; the absolute ones are added below.
const std::array<const char*, 9> ciblesRelatives{"../../dehors", "/proc/self/cwd", "..", ".", "x", "../..",
                                                 "../../dehors/canari.txt", "x 2", "/proc/self/cwd/.."};

quint32 crc32(const QByteArray& octets)
{
    quint32 crc = 0xffffffff;
    for (const char c : octets) {
        crc ^= static_cast<uchar>(c);
        for (int k = 0; k < 8; ++k)
            crc = (crc >> 1) ^ (0xedb88320 & (0u - (crc & 1)));
    }
    return ~crc;
}

void ajouter16(QByteArray& o, quint32 v)
{
    o.append(char(v & 0xff));
    o.append(char((v >> 8) & 0xff));
}

void ajouter32(QByteArray& o, quint32 v)
{
    ajouter16(o, v & 0xffff);
    ajouter16(o, v >> 16);
}

struct Entree {
    QByteArray nom;
    QByteArray donnees;
    quint32 mode;
};

// A zip of stored entries, written by a Unix system.
QByteArray zip(const std::vector<Entree>& entrees)
{
    QByteArray corps;
    QByteArray repertoire;
    for (const Entree& e : entrees) {
        const auto debut = static_cast<quint32>(corps.size());
        const quint32 crc = crc32(e.donnees);
        const auto taille = static_cast<quint32>(e.donnees.size());
        corps.append("PK\x03\x04", 4);
        for (const quint32 v : {20u, 0x800u, 0u, 0u, 0x21u})
            ajouter16(corps, v);
        ajouter32(corps, crc);
        ajouter32(corps, taille);
        ajouter32(corps, taille);
        ajouter16(corps, quint32(e.nom.size()));
        ajouter16(corps, 0);
        corps += e.nom + e.donnees;
        repertoire.append("PK\x01\x02", 4);
        for (const quint32 v : {(3u << 8) | 20u, 20u, 0x800u, 0u, 0u, 0x21u})
            ajouter16(repertoire, v);
        ajouter32(repertoire, crc);
        ajouter32(repertoire, taille);
        ajouter32(repertoire, taille);
        for (const quint32 v : {quint32(e.nom.size()), 0u, 0u, 0u, 0u})
            ajouter16(repertoire, v);
        ajouter32(repertoire, (e.mode << 16) | ((e.mode >> 12) == 4 ? 0x10 : 0));
        ajouter32(repertoire, debut);
        repertoire += e.nom;
    }
    QByteArray fin("PK\x05\x06", 4);
    for (const quint32 v : {0u, 0u, quint32(entrees.size()), quint32(entrees.size())})
        ajouter16(fin, v);
    ajouter32(fin, quint32(repertoire.size()));
    ajouter32(fin, quint32(corps.size()));
    ajouter16(fin, 0);
    return corps + repertoire + fin;
}

std::vector<Entree> entrees(const uint8_t* d, size_t n, const std::vector<std::string>& cibles)
{
    std::vector<Entree> liste;
    size_t i = 0;
    const auto lire = [&]() -> uint8_t { return i < n ? d[i++] : 0; };
    while (i < n && liste.size() < 64) {
        const int genre = lire() % 3;
        const int parties = 1 + lire() % 4;
        QByteArray nom;
        for (int k = 0; k < parties; ++k)
            nom += (k ? "/" : "") + QByteArray(noms[lire() % noms.size()]);
        if (genre == 0)
            liste.push_back({nom, "pwn", 0100644});
        else if (genre == 1)
            liste.push_back({nom + '/', {}, 040755});
        else
            liste.push_back({nom, QByteArray::fromStdString(cibles[lire() % cibles.size()]), 0120777});
    }
    return liste;
}

// Every name under `racine` but `sauf`, links not followed, with its kind, size, date and bytes.
std::map<std::string, std::string> releve(const fs::path& racine, const fs::path& sauf)
{
    std::map<std::string, std::string> vus;
    for (auto it = fs::recursive_directory_iterator(racine); it != fs::recursive_directory_iterator(); ++it) {
        if (it->path() == sauf) {
            it.disable_recursion_pending();
            continue;
        }
        struct stat st;
        if (::lstat(it->path().c_str(), &st) != 0)
            std::abort();
        std::string valeur = std::to_string(st.st_mode) + ' ' + std::to_string(st.st_size) + ' '
                             + std::to_string(st.st_mtim.tv_sec) + '.' + std::to_string(st.st_mtim.tv_nsec);
        if (S_ISREG(st.st_mode)) {
            std::ifstream f(it->path(), std::ios::binary);
            valeur += std::string(std::istreambuf_iterator<char>(f), {});
        }
        vus[it->path().string()] = valeur;
    }
    return vus;
}

void ecrire(const fs::path& chemin, const char* texte)
{
    fs::create_directories(chemin.parent_path());
    std::ofstream(chemin) << texte;
}

struct Bac {
    fs::path racine;
    fs::path sortie;
    fs::path courant;
    std::vector<std::string> cibles;
    std::map<std::string, std::string> avant;
};

// The sandbox, made once: canaries outside the output folder, the process's working folder
// among them.
const Bac& bac()
{
    static const Bac b = [] {
        Bac n;
        n.racine = QFile::encodeName(fuzz::chemin(QStringLiteral("bac"))).toStdString();
        n.sortie = n.racine / "zone" / "deballe";
        n.courant = n.racine / "courant";
        ecrire(n.racine / "dehors" / "canari.txt", "ne pas toucher");
        ecrire(n.racine / "dehors" / "sous" / "canari.txt", "ne pas toucher non plus");
        ecrire(n.courant / "canari.txt", "le dossier de travail");
        fs::create_directories(n.sortie);
        n.cibles.assign(ciblesRelatives.begin(), ciblesRelatives.end());
        n.cibles.push_back((n.racine / "dehors").string());
        n.cibles.push_back((n.racine / "dehors" / "sous").string());
        n.avant = releve(n.racine, n.racine / "zone");
        return n;
    }();
    return b;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* donnees, size_t taille)
{
    const Bac& b = bac();
    const QString archive = fuzz::ecrire(QStringLiteral("liens.zip"), zip(entrees(donnees, taille, b.cibles)));
    // The working folder is the sandbox's while the archive is unpacked (a link to
    // /proc/self/cwd leads there), the fuzzer's own again afterwards.
    const int avant = ::open(".", O_PATH | O_DIRECTORY | O_CLOEXEC);
    if (avant < 0 || ::chdir(b.courant.c_str()) != 0)
        std::abort();
    try {
        Conversions::deballer(archive, QFile::decodeName(QByteArray::fromStdString(b.sortie.string())), 1 << 20,
                              QStringLiteral("liens.zip"));
    } catch (const Conversions::Erreur&) {
    }
    // The output folder's own folder holds it alone; elsewhere nothing moved.
    if (releve(b.racine, b.racine / "zone") != b.avant
        || fs::directory_iterator(b.sortie.parent_path())->path() != b.sortie
        || std::distance(fs::directory_iterator(b.sortie.parent_path()), fs::directory_iterator()) != 1)
        std::abort();
    char ici[4096];
    if (!::getcwd(ici, sizeof ici) || b.courant != ici || ::fchdir(avant) != 0)
        std::abort();
    ::close(avant);
    // Emptied for the next input, links not followed.
    std::error_code erreur;
    fs::remove_all(b.sortie, erreur);
    if (erreur || !fs::create_directories(b.sortie))
        std::abort();
    return 0;
}
