#pragma once

#include <QString>
#include <QUrl>
#include <optional>

class QRegion;
class QWindow;

// The desktop's applications, found by their XDG desktop entry, and its small services.
namespace Bureau {

// The desktop entry file of the application `<identifiant>.desktop` in the XDG data
// folders, none when it is not installed. Asked afresh on every call.
std::optional<QString> application(const QString& identifiant);

// Opens a local file with the application of the given desktop entry file. Returns false,
// with the reason in `erreur` (for the log), when the launch fails.
bool ouvrirAvec(const QString& application, const QString& fichier, QString* erreur = nullptr);

// Hands a URL to the application of the given desktop entry file.
bool ouvrirLienAvec(const QString& application, const QUrl& lien, QString* erreur = nullptr);

// Whether a compositing manager runs, so that translucent windows show what lies under
// them. Asked afresh on every call: one may start or stop at any time.
bool composition();

// Leaves a window out of the taskbar and the pager (a floating panel, not an application
// window). Call it before each show: the window manager forgets it when the window hides.
void horsDesBarres(QWindow* fenetre);

// Whether the window manager blurs what lies behind a region of a window when asked (it
// lists the blur-behind hint among those it supports). Asked afresh on every call.
bool flouDerriereOffert();
// Asks for the blur behind `region` of the window (window coordinates); an empty region
// withdraws the request.
void flouDerriere(QWindow* fenetre, const QRegion& region);

// The haptic tap: this platform has none.
void tapoter();

} // namespace Bureau
