#include "conversions/Erreur.h"

#include "conversions/Chemins.h"
#include "conversions/Journaux.h"

#include <QCoreApplication>

#include <cerrno>
#include <cstring>
#include <string_view>
#include <system_error>
#include <typeinfo>

namespace Conversions {

Erreur::Erreur(Cas cas, QString charge) : cas_(cas), charge_(lisible(charge))
{
    utf8_ = message().toUtf8();
}

QString Erreur::message() const
{
    switch (cas_) {
    case Cas::lecture:
        return QCoreApplication::translate("Conversions", "Impossible de lire « %1 »").arg(charge_);
    case Cas::ecriture:
        return QCoreApplication::translate("Conversions", "Impossible d’écrire « %1 »").arg(charge_);
    case Cas::sansSon:
        return QCoreApplication::translate("Conversions", "« %1 » n’a pas de son").arg(charge_);
    case Cas::protege:
        return QCoreApplication::translate("Conversions", "« %1 » est protégé par un mot de passe").arg(charge_);
    case Cas::rien:
        break;
    }
    return charge_;
}

namespace {

// Whose words these are, as far as the exception's type tells.
QString libelle(const std::exception& e)
{
    // The PDF library's exceptions, told by their type's name: the core does not link it.
    if (std::string_view(typeid(e).name()).find("QPDF") != std::string_view::npos)
        return QStringLiteral("qpdf");
    if (dynamic_cast<const std::system_error*>(&e))
        return QStringLiteral("système");
    return QStringLiteral("exception");
}

} // namespace

QString description(const std::exception& e)
{
    if (auto* erreur = dynamic_cast<const Erreur*>(&e))
        return erreur->message();
    if (dynamic_cast<const std::bad_alloc*>(&e))
        return QCoreApplication::translate("Conversions", "Mémoire insuffisante pour cette conversion");
    // The library's own words go to the log; the user gets a French sentence.
    qCWarning(journalConversions).noquote() << libelle(e) + QStringLiteral(" : ") + QString::fromUtf8(e.what());
    return QCoreApplication::translate("Conversions", "La conversion a échoué");
}

QString descriptionPour(const std::exception& e, const QString& chemin)
{
    if (!disquePlein(e))
        return description(e);
    qCWarning(journalConversions).noquote() << QStringLiteral("système : ") + QString::fromUtf8(e.what());
    return QCoreApplication::translate("Conversions", "Pas assez d’espace disque pour convertir « %1 »")
        .arg(lisible(nomDe(chemin)));
}

bool disquePlein(int code) { return code == ENOSPC || code == EDQUOT || code == EFBIG; }

bool disquePlein(const std::exception& e)
{
    const auto* systeme = dynamic_cast<const std::system_error*>(&e);
    return systeme && disquePlein(systeme->code().value());
}

bool ditUnDisquePlein(const QString& texte)
{
    // libjpeg says "out of disk space?" for any failed write.
    static const QStringList anglais{QStringLiteral("No space left on device"), QStringLiteral("Disk quota exceeded"),
                                     QStringLiteral("File too large"), QStringLiteral("out of disk space")};
    for (const QString& mots : anglais)
        if (texte.contains(mots, Qt::CaseInsensitive))
            return true;
    for (const int code : {ENOSPC, EDQUOT, EFBIG})
        if (texte.contains(QString::fromLocal8Bit(std::strerror(code)), Qt::CaseInsensitive))
            return true;
    return false;
}

void signalerUnDisquePlein(const QString& programme, const QString& texte)
{
    if (ditUnDisquePlein(texte))
        throw std::system_error(ENOSPC, std::generic_category(), programme.toStdString());
}

void echecDEcriture(const QString& nom, const QString& texte)
{
    signalerUnDisquePlein(nom, texte);
    throw Erreur::ecriture(nom);
}

void echecDEcriture(const QString& nom, const std::exception& e)
{
    if (disquePlein(e))
        throw std::system_error(dynamic_cast<const std::system_error&>(e));
    echecDEcriture(nom, QString::fromUtf8(e.what()));
}

} // namespace Conversions
