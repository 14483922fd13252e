#include "application/Guetteur.h"

#include "application/Journal.h"
#include "plateforme/X11Glisser.h"

namespace {

class SourceX11 : public SourceGlisser {
public:
    SourceX11()
    {
        if (!x11_.disponible())
            journal(QStringLiteral("pas de serveur X : les glissers des autres applications ne seront pas vus"));
    }
    bool boutonGauche() override
    {
        // Both flags come from one round trip; the button is always read first.
        dernier_ = x11_.pointeur();
        return dernier_.boutonGauche;
    }
    bool shift() override { return dernier_.shift; }
    long compte() override { return x11_.compte(); }

private:
    X11Glisser x11_;
    X11Glisser::Pointeur dernier_;
};

} // namespace

Guetteur::Guetteur(std::unique_ptr<SourceGlisser> source) : source_(std::move(source))
{
    minuteur_.setInterval(1000 / 30);
    minuteur_.setTimerType(Qt::PreciseTimer);
    connect(&minuteur_, &QTimer::timeout, this, &Guetteur::tic);
}

Guetteur::~Guetteur() = default;

void Guetteur::demarrer()
{
    if (!source_)
        source_ = std::make_unique<SourceX11>();
    minuteur_.start();
}

void Guetteur::tic()
{
    if (!source_)
        return;
    const bool bas = source_->boutonGauche();
    if (bas && !appuye_) {
        appuye_ = true;
        glisse_ = false;
        compteAuDepart_ = source_->compte();
    }
    if (!bas && appuye_) {
        appuye_ = false;
        if (glisse_) {
            glisse_ = false;
            lacher();
        }
    }
    if (!appuye_)
        return;
    if (!glisse_) {
        if (source_->compte() != compteAuDepart_) {
            glisse_ = true;
            journal(QStringLiteral("glisser commencé"));
        }
        if (!glisse_)
            return;
    }
    if (source_->shift())
        montrer();
}
