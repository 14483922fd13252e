#include "conversions/images/Vips.h"

#include "conversions/Chemins.h"
#include "conversions/Erreur.h"
#include "conversions/Journaux.h"

#include <QFile>

#include <algorithm>
#include <atomic>
#include <memory>
#include <vector>

using vips::VImage;

namespace Conversions {

namespace {

using Echec = std::shared_ptr<std::atomic<bool>>;

struct Lecture {
    QString source;
    Echec echec;
};

// The loads opened on this thread and not checked yet. A tool window's are never checked:
// past a few dozen the oldest are let go.
thread_local std::vector<Lecture> lectures;
constexpr size_t lecturesAuPlus = 64;

// libvips' loaders signal "invalidate" on their operation when their decoder fails, on
// whichever thread it ran.
void invalidee(VipsOperation*, gpointer echec)
{
    static_cast<Echec*>(echec)->get()->store(true);
}

void oublier(gpointer echec, GClosure*)
{
    delete static_cast<Echec*>(echec);
}

// libvips knows HEIF's sequences by their brand but not AVIF's ("avis"), which libheif reads
// as their primary picture, a still like any other.
const char* chargeurDe(const QString& chemin, const QByteArray& fichier)
{
    QFile f(chemin);
    if (f.open(QIODevice::ReadOnly) && f.read(12).mid(4) == "ftypavis")
        return "heifload";
    return vips_foreign_find_load(fichier.constData());
}

} // namespace

VImage chargerSurveille(const QString& chemin)
{
    const QByteArray fichier = local(chemin);
    const char* chargeur = chargeurDe(chemin, fichier);
    VipsOperation* operation = chargeur ? vips_operation_new(chargeur) : nullptr;
    if (!operation)
        throw vips::VError();
    const Echec echec = std::make_shared<std::atomic<bool>>(false);
    g_signal_connect_data(operation, "invalidate", G_CALLBACK(invalidee), new Echec(echec), oublier, GConnectFlags(0));
    // A decoder's error fails the file instead of leaving its rows black or grey; its mere
    // warnings do not.
    if (vips_object_set(VIPS_OBJECT(operation), "filename", fichier.constData(), "access", VIPS_ACCESS_SEQUENTIAL,
                        "fail_on", VIPS_FAIL_ON_ERROR, nullptr)
            != 0
        || vips_cache_operation_buildp(&operation) != 0) {
        vips_object_unref_outputs(VIPS_OBJECT(operation));
        g_object_unref(operation);
        throw vips::VError();
    }
    VipsImage* sortie = nullptr;
    g_object_get(operation, "out", &sortie, nullptr);
    vips_object_unref_outputs(VIPS_OBJECT(operation));
    g_object_unref(operation);
    if (!sortie)
        throw vips::VError();
    if (lectures.size() >= lecturesAuPlus)
        lectures.erase(lectures.begin());
    lectures.push_back({chemin, echec});
    return VImage(sortie, vips::STEAL);
}

void oublierLectures(const QString& source)
{
    std::erase_if(lectures, [&](const Lecture& l) { return l.source == source; });
}

bool lecturesEchouees(const QString& source)
{
    const bool echec = std::any_of(lectures.begin(), lectures.end(),
                                   [&](const Lecture& l) { return l.source == source && l.echec->load(); });
    oublierLectures(source);
    return echec;
}

void verifierLectures(const QString& source)
{
    if (!lecturesEchouees(source))
        return;
    qCWarning(journalImages).noquote() << QStringLiteral("vips : décodeur en échec, image incomplète : ") + source;
    throw Erreur::lecture(nomDe(source));
}

} // namespace Conversions
