#include "conversions/pdf/OutilBorne.h"

#include "conversions/Erreur.h"
#include "conversions/Journaux.h"
#include "conversions/travail/Processus.h"

#include <QCoreApplication>
#include <QFileInfo>

#include <optional>
#include <cerrno>
#include <system_error>

namespace Conversions {

namespace {

// Enough of the error stream to say what went wrong; a damaged file can make a tool
// print megabytes of warnings.
constexpr qsizetype erreurGardee = 4096;

void noter(const QString& programme, const QString& nom, const QString& quoi, const QByteArray& erreur)
{
    qCWarning(journalPdf).noquote() << QStringLiteral("%1 : %2 : %3 %4")
                                           .arg(QFileInfo(programme).fileName(), nom, quoi,
                                                QString::fromUtf8(erreur.right(erreurGardee)).trimmed());
}

} // namespace

QByteArray executerBorne(const QString& programme, const QStringList& arguments,
                         std::chrono::milliseconds delai, const QString& nom, qsizetype plafond,
                         qsizetype memoire)
{
    using Horloge = std::chrono::steady_clock;
    const auto limite = Horloge::now() + delai;
    std::optional<Processus> p;
    try {
        p.emplace(programme, arguments, Processus::Flux::tubes, QString(), memoire);
    } catch (const std::system_error& e) {
        qCWarning(journalPdf).noquote()
            << QStringLiteral("%1 : %2").arg(QFileInfo(programme).fileName(), QString::fromLocal8Bit(e.what()));
        // No descriptor left for its pipes: the tool is there, the process is short of files.
        const int code = e.code().value();
        if (code == EMFILE || code == ENFILE)
            throw Erreur::rien(
                QCoreApplication::translate("Conversions", "Trop de fichiers ouverts pour convertir « %1 »").arg(nom));
        throw Erreur::rien(QCoreApplication::translate(
            "Conversions", "La lecture des PDF n’est pas disponible sur ce système"));
    }
    QByteArray sortie;
    QByteArray erreur;
    const bool fini = lireLesFlux(*p, [&](bool flux, const QByteArray& octets) {
        if (!flux) {
            if (octets.size() > plafond - sortie.size()) {
                noter(programme, nom, QStringLiteral("arrêté après %1 octets ;").arg(plafond), erreur);
                // the destructor kills and reaps the child
                throw Erreur::rien(QCoreApplication::translate("Conversions", "« %1 » est trop grand").arg(nom));
            }
            sortie.append(octets);
            return;
        }
        erreur.append(octets);
        if (erreur.size() > 2 * erreurGardee)
            erreur = erreur.right(erreurGardee);
    }, limite);
    if (!fini) {
        noter(programme, nom, QStringLiteral("arrêté au bout de %1 ms ;").arg(delai.count()), erreur);
        throw Erreur::lecture(nom);  // the destructor kills and reaps the child
    }
    const int statut = p->attendre();
    if (statut != 0) {
        noter(programme, nom, QStringLiteral("code %1 ;").arg(statut), erreur);
        // What it wrote found no room: the output says so, the source is not at fault.
        signalerUnDisquePlein(QFileInfo(programme).fileName(), QString::fromUtf8(erreur));
        throw Erreur::lecture(nom);
    }
    return sortie;
}

} // namespace Conversions
