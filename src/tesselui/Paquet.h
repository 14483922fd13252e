#pragma once

#include <QString>
#include <QStringList>

// Where the application's resources are found. A "bundle" here is a plain folder.
namespace Paquet {

// The application's own resource folder: "resources" beside the executable, else the
// source tree's (a build run in place).
QString principal();

// The folder of a named resource bundle ("Tessel_TesselUI.bundle"), looked for in the
// application's resource folder, then the source tree's, then beside the executable.
// Stops the process when none holds it: the installation is incomplete.
QString module(const QString& nom);

// The files with the extension "ttf" directly inside `dossier`, sorted.
QStringList polices(const QString& dossier);

// Registers font files for the process; failures of single files are not looked at.
void inscrire(const QStringList& fichiers);

} // namespace Paquet
