// Paths of the command line, made absolute: they lead to the file the system opens for
// them, links on the way included.
#include "conversions/essais_outils.h"

#include "conversions/Chemins.h"

#include <QImage>
#include <sys/stat.h>
#include <unistd.h>

using namespace Conversions;

namespace {

// The file the system opens for `chemin`, as device and inode; {0, 0} when none.
std::pair<dev_t, ino_t> identite(const QString& chemin)
{
    struct stat st;
    if (::stat(local(chemin).constData(), &st) != 0)
        return {0, 0};
    return {st.st_dev, st.st_ino};
}

// The working folder is `dossier` while this lives.
struct Ici {
    explicit Ici(const QString& dossier) : avant(QDir::currentPath()) { EXPECT_TRUE(QDir::setCurrent(dossier)); }
    ~Ici() { QDir::setCurrent(avant); }
    QString avant;
};

} // namespace

TEST(Chemins, UnNomRelatifPasseParLesLiensCommeLeSysteme)
{
    Dossier d;
    d.ecrire("cible.png", "ici");
    d.ecrire("autre/cible.png", "là-bas");
    d.ecrire("autre/sous/image.png", "dessous");
    ASSERT_TRUE(QFile::link("autre/sous", d.chemin("lien")));
    const Ici ici(d.racine());
    for (const QString& donne : {QStringLiteral("lien/../cible.png"), QStringLiteral("./lien/../cible.png"),
                                 QStringLiteral("lien/./../sous/../cible.png"), QStringLiteral("lien/image.png"),
                                 QStringLiteral("autre/sous/../cible.png"), QStringLiteral("cible.png"),
                                 d.chemin("lien/../cible.png"), d.chemin("lien") + QStringLiteral("//..")}) {
        SCOPED_TRACE(donne.toStdString());
        const QString chemin = absolu(donne);
        EXPECT_TRUE(chemin.startsWith('/'));
        EXPECT_EQ(identite(chemin), identite(donne));
        EXPECT_NE(identite(chemin), std::make_pair(dev_t{0}, ino_t{0}));
    }
    // What does not exist stays what was given, made absolute.
    EXPECT_EQ(absolu("parti/../x.png"), d.chemin("parti/../x.png"));
    EXPECT_EQ(absolu("parti/x.png"), d.chemin("parti/x.png"));

    // Converted, it is the picture the system opens, its output beside it.
    QImage image(8, 8, QImage::Format_RGB32);
    image.fill(Qt::red);
    ASSERT_TRUE(image.save(d.chemin("autre/photo.png")));
    d.ecrire("photo.png", "pas une image");
    const Resultat r = convertir({absolu("lien/../photo.png")}, "jpg", {});
    EXPECT_EQ(r.crees, QStringList{d.chemin("autre/photo.jpg")}) << r.erreurs.join(", ").toStdString();
}
