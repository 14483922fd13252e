#pragma once

#include "tesselui/Animateur.h"
#include "roue/Mascotte.h"

#include <QPainterPath>
#include <QWidget>
#include <map>
#include <memory>
#include <vector>

class QPainterPath;
class QPixmap;

namespace Roue {

class EtatRoue;
struct Galet;
struct Retouche;

// The wheel: a translucent glass disc whose outline grows a tab over the arc of edit tools,
// the ring of petals, the tools arc with its title, and the mascot in the centre. It reads
// the wheel's state and never writes it.
class VueRoue : public QWidget {
    Q_OBJECT
public:
    explicit VueRoue(EtatRoue& etat, QWidget* parent = nullptr, double T = 640);

    // Appearance (dark or light) and reduced motion; reduced motion follows the desktop's
    // setting as it changes (the view lives for the whole run).
    void setSombre(bool sombre);
    bool sombre() const { return sombre_; }
    void setReduire(bool reduire);
    bool reduire() const { return reduire_; }
    // The desktop asks to reduce motion (GNOME's setting or GTK's settings file).
    static bool mouvementReduitDuBureau();

    // What lies behind the wheel when no compositor can show it through (a snapshot of the
    // screen under the panel): the glass blurs it, as frosted glass would. Null for none.
    void setArrierePlan(const QPixmap& fond);

    // Paints the whole wheel as it stands now, in the painter's logical coordinates.
    void peindre(QPainter& p);
    // The glass's outline as it shows now (with the opening's scale); empty while closed.
    QPainterPath contourVerre() const;
    // Jumps every animation to its end: the settled state.
    void stabiliser();

    Animateur& animateur() { return animateur_; }
    Mascotte& mascotte() { return mascotte_; }

    // The animated values as they stand (for tests): opening 0 → 1, tab e, tools arc opacity,
    // and the scale of a petal (by identifier) or of a tool.
    double ouverture() const { return ouverture_.valeur(); }
    double onglet() const { return onglet_.valeur(); }
    double opaciteOutils() const { return outils_.valeur(); }
    double echellePetale(const QString& id) const;
    double echelleOutil(int k) const;

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent*) override;

private:
    void suivre();
    void pas();
    Mouvement ressort(double reponse, double amortissement) const;
    void suivreLeBureau();
    QPointF centre() const;

    void peindreVerre(QPainter& p);
    void peindrePanneau(QPainter& p, const Retouche& offre, double am);
    void peindrePetales(QPainter& p);
    // One petal or tool cell with its glow or shadow, rim and label.
    struct Cellule;
    void peindreCellule(QPainter& p, const Cellule& c);
    void dessinerCellule(QPainter& p, const Cellule& c);
    void dessinerVerre(QPainter& p, double e, double am);
    QBrush remplissage(bool allumee, bool modifier) const;

    EtatRoue& etat_;
    double T_;
    bool sombre_ = false;
    bool reduire_ = false;
    Animateur animateur_;
    Valeur ouverture_;   // 0 closed, 1 open: drives the pop's scale and the fade
    Valeur onglet_;      // FormeRoue's e
    Valeur outils_;      // opacity of the tools arc
    std::map<QString, std::unique_ptr<Valeur>> petales_;
    std::vector<std::unique_ptr<Valeur>> cellules_;
    Mascotte mascotte_;
    bool outilsOuverts_ = false;
    bool bougeait_ = false;
    // The glass as last painted, at device resolution: a settled wheel paints it in one go.
    QImage verre_;
    QString cleVerre_;
    QString cleCapsule_;  // the title capsule, placed once per angle and title
    QRectF capsule_;
    double dprVerre_ = 1;
    QPointF origineVerre_;
    // The background blurred once, and the snapshot it comes from.
    QImage arrierePlan_;
    qint64 cleArrierePlan_ = 0;
    // Pictures of the fading groups (the whole wheel, the tools arc), reused frame to frame.
    QImage calque_, calqueOutils_;
};

} // namespace Roue
