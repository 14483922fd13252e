#include "conversions/Chemins.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <dirent.h>
#include <memory>
#include <unistd.h>

namespace Conversions {

namespace {

constexpr char16_t premierEchappe = 0xDC80;

// Whether the unit at `i` carries a byte: a low surrogate of that range alone, never the
// second half of a pair (one character in eight beyond U+FFFF ends in that range).
bool echappe(QStringView texte, qsizetype i)
{
    const char16_t c = texte[i].unicode();
    return c >= premierEchappe && c <= 0xDCFF && (i == 0 || !texte[i - 1].isHighSurrogate());
}

// The length of the UTF-8 sequence that starts at `p`, or 0 when none does.
qsizetype sequenceUtf8(const QByteArray& o, qsizetype p)
{
    const auto octet = [&](qsizetype i) { return static_cast<unsigned char>(o[i]); };
    const unsigned char c = octet(p);
    if (c < 0x80)
        return 1;
    const qsizetype n = c >= 0xC2 && c <= 0xDF ? 2 : c >= 0xE0 && c <= 0xEF ? 3 : c >= 0xF0 && c <= 0xF4 ? 4 : 0;
    if (n == 0 || p + n > o.size())
        return 0;
    for (qsizetype i = 1; i < n; ++i)
        if ((octet(p + i) & 0xC0) != 0x80)
            return 0;
    // Overlong forms, surrogates and code points past U+10FFFF are not UTF-8.
    const unsigned char d = octet(p + 1);
    if ((c == 0xE0 && d < 0xA0) || (c == 0xED && d >= 0xA0) || (c == 0xF0 && d < 0x90) || (c == 0xF4 && d >= 0x90))
        return 0;
    return n;
}

} // namespace

QString cheminDepuisOctets(const QByteArray& octets)
{
    QString r;
    r.reserve(octets.size());
    for (qsizetype p = 0; p < octets.size();) {
        const qsizetype n = sequenceUtf8(octets, p);
        if (n == 0) {
            r.append(QChar(static_cast<char16_t>(premierEchappe + static_cast<unsigned char>(octets[p]) - 0x80)));
            ++p;
            continue;
        }
        r.append(QString::fromUtf8(octets.constData() + p, n));
        p += n;
    }
    return r;
}

bool horsUtf8(const QString& chemin)
{
    for (qsizetype i = 0; i < chemin.size(); ++i)
        if (echappe(chemin, i))
            return true;
    return false;
}

QByteArray local(const QString& chemin)
{
    if (!horsUtf8(chemin))
        return QFile::encodeName(chemin);
    QByteArray r;
    qsizetype debut = 0;
    for (qsizetype i = 0; i <= chemin.size(); ++i) {
        if (i < chemin.size() && !echappe(chemin, i))
            continue;
        r.append(QStringView(chemin).mid(debut, i - debut).toUtf8());
        if (i < chemin.size())
            r.append(static_cast<char>(chemin[i].unicode() - premierEchappe + 0x80));
        debut = i + 1;
    }
    return r;
}

QString lisible(const QString& texte)
{
    QString r = texte;
    for (qsizetype i = 0; i < r.size(); ++i)
        if (echappe(texte, i))
            r[i] = QChar(static_cast<char16_t>(r[i].unicode() - premierEchappe + 0x80));
    return r;
}

QString debutEnOctets(const QString& texte, qsizetype octets)
{
    QString r = texte.left(std::max<qsizetype>(octets, 0));
    while (!r.isEmpty() && (local(r).size() > octets || r.back().isHighSurrogate()))
        r.chop(r.size() >= 2 && r.back().isLowSurrogate() && r[r.size() - 2].isHighSurrogate() ? 2 : 1);
    return r;
}

QString absolu(const QString& chemin)
{
    QString joint = chemin;
    if (!chemin.startsWith(QLatin1Char('/'))) {
        const std::unique_ptr<char, void (*)(void*)> ici(::getcwd(nullptr, 0), &std::free);
        // A working folder that no longer exists leaves the path as it was given.
        if (!ici)
            return QDir::cleanPath(chemin);
        joint = cheminDepuisOctets(ici.get()) + QLatin1Char('/') + chemin;
    }
    // "lien/../x" is x beside the folder the link leads to: the part up to the last ".."
    // is resolved by the system, the rest (no ".." there) by its text.
    const QStringList parties = joint.split(QLatin1Char('/'));
    const qsizetype haut = parties.lastIndexOf(QStringLiteral(".."));
    if (haut < 0)
        return QDir::cleanPath(joint);
    const std::unique_ptr<char, void (*)(void*)> reel(::realpath(local(parties.mid(0, haut + 1).join(QLatin1Char('/'))).constData(), nullptr), &std::free);
    // Nothing there: the bytes go to the system as they were joined.
    if (!reel)
        return joint;
    return QDir::cleanPath(cheminDepuisOctets(reel.get()) + QLatin1Char('/') + parties.mid(haut + 1).join(QLatin1Char('/')));
}

std::optional<QStringList> nomsDans(const QString& dossier)
{
    const std::unique_ptr<DIR, int (*)(DIR*)> d(::opendir(local(dossier).constData()), &::closedir);
    if (!d)
        return std::nullopt;
    QStringList noms;
    errno = 0;
    while (const dirent* e = ::readdir(d.get())) {
        const QByteArray nom(e->d_name);
        if (nom != "." && nom != "..")
            noms << cheminDepuisOctets(nom);
    }
    if (errno != 0)
        return std::nullopt;
    return noms;
}

QByteArray nomEnUtf8(const QByteArray& octets)
{
    return lisible(cheminDepuisOctets(octets)).toUtf8();
}

} // namespace Conversions
