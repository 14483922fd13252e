#include "roue/ComptePages.h"

#include "conversions/Catalogue.h"
#include "conversions/Chemins.h"

#include <sys/stat.h>

namespace Roue {

namespace {

// Files remembered at most: a tray application runs for weeks.
constexpr qsizetype connusAuPlus = 64;
// Counts at once: one hostile file must not hold back the next drag's.
constexpr int comptesALaFois = 2;

} // namespace

ComptePages::ComptePages(QObject* parent) : QObject(parent)
{
    comptes_.setMaxThreadCount(comptesALaFois);
}

ComptePages::~ComptePages()
{
    // The answers posted meanwhile go with this object.
    comptes_.waitForDone();
}

std::optional<ComptePages::Version> ComptePages::versionDe(const QString& pdf)
{
    struct stat s {};
    if (::stat(Conversions::local(pdf).constData(), &s) != 0 || !S_ISREG(s.st_mode))
        return std::nullopt;
    const auto nanosecondes = [](const timespec& t) { return static_cast<qint64>(t.tv_sec) * 1'000'000'000 + t.tv_nsec; };
    return Version{static_cast<quint64>(s.st_dev), static_cast<quint64>(s.st_ino), static_cast<qint64>(s.st_size),
                   nanosecondes(s.st_mtim), nanosecondes(s.st_ctim)};
}

std::optional<int> ComptePages::pages(const QString& pdf)
{
    const std::optional<Version> version = versionDe(pdf);
    if (!version)
        return 0;  // gone, or no regular file: nothing to count
    if (const auto i = connus_.constFind(pdf); i != connus_.cend() && i->version == *version)
        return i->pages;
    if (connus_.size() >= connusAuPlus)
        connus_.removeIf([](const auto& c) { return c.value().pages.has_value(); });
    connus_.insert(pdf, Connu{*version, std::nullopt});
    comptes_.start([this, pdf, v = *version] {
        const int n = Conversions::nombreDePages(pdf);
        QMetaObject::invokeMethod(this, [this, pdf, v, n] { recu(pdf, v, n); }, Qt::QueuedConnection);
    });
    return std::nullopt;
}

void ComptePages::recu(const QString& pdf, const Version& version, int pages)
{
    const auto i = connus_.find(pdf);
    if (i == connus_.end() || i->version != version)
        return;  // changed meanwhile: a newer count is on its way
    i->pages = pages;
    emit compte(pdf, pages);
}

} // namespace Roue
