#pragma once

#include <QString>
#include <QByteArray>
#include <exception>

namespace Conversions {

// The one error of the conversions and tools. Four cases name a file and quote it
// between guillemets; `rien` carries a finished message.
class Erreur : public std::exception {
public:
    enum class Cas { lecture, ecriture, sansSon, protege, rien };

    static Erreur lecture(const QString& nom) { return Erreur(Cas::lecture, nom); }
    static Erreur ecriture(const QString& nom) { return Erreur(Cas::ecriture, nom); }
    static Erreur sansSon(const QString& nom) { return Erreur(Cas::sansSon, nom); }
    static Erreur protege(const QString& nom) { return Erreur(Cas::protege, nom); }
    static Erreur rien(const QString& message) { return Erreur(Cas::rien, message); }

    Cas cas() const { return cas_; }
    // The file name, or the finished message of `rien`.
    const QString& charge() const { return charge_; }
    // The French text shown to the user.
    QString message() const;
    const char* what() const noexcept override { return utf8_.constData(); }

private:
    Erreur(Cas cas, QString charge);
    Cas cas_;
    QString charge_;
    QByteArray utf8_;
};

// The text of any failure caught by a batch: an Erreur's message, else a French
// sentence (a library's own words go to the log, never to the user).
QString description(const std::exception& e);
// The same for the conversion of `chemin`: a full disk is said as such, naming that file.
QString descriptionPour(const std::exception& e, const QString& chemin);

// A failure of the system that means no room was left: a full disk, a quota, a file too large.
bool disquePlein(int code);
bool disquePlein(const std::exception& e);

// A helper program's words say that its output found no room: a full disk, a quota, a
// file too large (in English or in the language the program was given).
bool ditUnDisquePlein(const QString& texte);
// The failure of a helper program that wrote `texte`: a full disk becomes the system's
// error (std::system_error, ENOSPC), which the output turns into its own message; else nothing.
void signalerUnDisquePlein(const QString& programme, const QString& texte);
// A writer's failure, in its library's words `texte` (or its exception): a full disk
// as the system's error, else Erreur::ecriture(nom).
[[noreturn]] void echecDEcriture(const QString& nom, const QString& texte);
[[noreturn]] void echecDEcriture(const QString& nom, const std::exception& e);

} // namespace Conversions
