#pragma once

#include "tesselui/Animateur.h"

#include <QColor>
#include <QElapsedTimer>
#include <QPainterPath>
#include <QPointF>
#include <QPointer>
#include <QTimer>
#include <QWidget>
#include <functional>
#include <optional>

// The shape of a mascot's body and where its eyes sit; lengths are fractions of its size.
struct MascotBody {
    std::function<QPainterPath(const QRectF&)> shape;
    double aspect = 1;
    double eyeWidth, eyeHeight, eyeGap;
    double eyeY = -0.05;
    double outline = 0;

    // The eye proportions every mascot of the design system uses, on a 206-unit grid.
    struct SuiteEyes {
        static constexpr double width = 25 / 206.0, height = 47.5 / 206.0, gap = 12.5 / 206.0;
    };
    static const MascotBody& round();
};

// The design system's mascot: a soft body with two dark eyes that looks around, follows the
// pointer, blinks, hops with squash and stretch and shows moods. Its pose is a pure function
// of the time since its last jump; its loops are timers that run only while it is shown.
class Rezuz : public QWidget {
    Q_OBJECT
public:
    enum class Mood { normal, happy, love };
    enum class JumpKind { hop, drop };
    struct Pose {
        double lift = 0;     // vertical offset of the body, fraction of size, negative is up
        double stretch = 1;  // vertical scale of the body
        double third = 0;    // extra offset of the eye row, fraction of size, positive is down
    };

    explicit Rezuz(double size = 40, const MascotBody& body = MascotBody::round(), QWidget* parent = nullptr);
    ~Rezuz() override;

    static Pose pose(JumpKind kind, double t);
    static double duration(JumpKind kind);
    // Gradient stops of a sky skin: i / (n − 1), the middle of three at 0.55; none below two.
    static QList<double> arrets(int n);
    static QPainterPath heartEye(const QRectF& r);
    static QPainterPath happyEye(const QRectF& r);
    // The gaze that follows a pointer at (dx, dy) points from the centre (y down).
    static QPointF suivre(double dx, double dy);

    // Inputs: each change of joy hops, each change of love celebrates.
    void setJoy(int joy);
    void setLove(int love);
    void setBouncing(bool b);
    void setLookAt(std::optional<QPointF> p);
    void setCiel(std::optional<QList<QColor>> ciel);
    void setMascotSize(double size);

    void jump(JumpKind kind);
    void celebrate(Mood mood);
    // The end of a mood: back to normal with an eased change of the eyes (the mood's own
    // timer calls it).
    void revenirALaNormale();
    // One blink, as the live loop gives it every 2.5 to 5.5 s.
    void cligner();
    // How open the eyes are drawn now: 1 open … 0.12 closed.
    double paupiere() const { return paupiere_.valeur(); }
    Animateur& animateur() { return animateur_; }

    QPointF gaze() const { return {gazeX_.valeur(), gazeY_.valeur()}; }
    bool blink() const { return blink_; }
    Mood mood() const { return mood_; }
    bool jumping() const { return jumpStart_.isValid(); }
    JumpKind jumpKind() const { return jumpKind_; }
    Pose currentPose() const;
    // Whether any of its timers runs (none while hidden, none at rest but the live loop).
    // 1 while the last mood's eyes still show after a return to normal, falling to 0.
    double retourHumeur() const { return ancienne_.valeur(); }
    bool liveRunning() const { return vie_.isActive(); }
    bool framesRunning() const { return images_.isActive(); }

    // The body's own frame: size × aspect wide, size high. Jumps, squashes and stretches
    // overflow it (drawn on a layer above the parent), as a layout expects of a mascot.
    QSize sizeHint() const override;
    // The room around the frame that the overflow layer covers.
    QMargins debord() const;
    // Paints the mascot with its body's bottom centre at `pied`.
    void peindre(QPainter& p, const QPointF& pied, const Pose& pose) const;
    // The body's outline as drawn now, in its parent's coordinates.
    QPainterPath silhouette() const;

signals:
    // Its picture changed: a new pose, gaze or mood is being drawn.
    void redessine();

protected:
    void paintEvent(QPaintEvent*) override;
    void showEvent(QShowEvent*) override;
    void hideEvent(QHideEvent*) override;
    void moveEvent(QMoveEvent*) override;
    void resizeEvent(QResizeEvent*) override;
    void changeEvent(QEvent* e) override;

private:
    class Calque;
    void repeindre();
    void placerCalque();
    void peindreYeux(QPainter& p, double s, const Pose& ps, Mood mood, double retour) const;
    // From the body's own frame (bottom centre at the origin) to where `pied` and the pose put it.
    QTransform placement(const QPointF& pied, const Pose& ps) const;
    QRectF corps() const;
    void live();
    void rebond();
    void regarder(QPointF g, const Mouvement& m);
    bool reduire() const;

    double size_;
    MascotBody body_;
    int joy_ = 0, love_ = 0;
    bool bouncing_ = false;
    std::optional<QPointF> lookAt_;
    std::optional<QList<QColor>> ciel_;
    Animateur animateur_;
    Valeur gazeX_{0.3}, gazeY_{0}, paupiere_{1};
    // 1 while the last mood's eyes show, fading to 0 as the normal eyes come back.
    Valeur ancienne_{0};
    Mood moodAvant_ = Mood::normal;
    QPointer<QWidget> calque_;
    bool blink_ = false;
    Mood mood_ = Mood::normal;
    QElapsedTimer jumpStart_;
    JumpKind jumpKind_ = JumpKind::hop;
    QTimer vie_, images_, rebonds_;
    QPoint dernierPointeur_;
    QElapsedTimer horloge_;
    double dernierMouvement_ = -1e9, prochainClin_ = 2, prochainCoupDOeil_ = 3;
};
