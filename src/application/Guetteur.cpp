#include "application/Guetteur.h"

#include "application/Journal.h"
#include "plateforme/X11Glisser.h"

#include <QSocketNotifier>

namespace Application {

namespace {

class SourceX11 : public SourceGlisser {
public:
    SourceX11()
    {
        if (!x11_.disponible()) {
            journal(QStringLiteral("pas de serveur X : les glissers des autres applications ne seront pas vus"));
            return;
        }
        if (!x11_.appuisSignales()) {
            journal(QStringLiteral("XInput 2 absent : le serveur X est interrogé 30 fois par seconde"));
            return;
        }
        // At rest the only cost is this descriptor, watched by the event loop.
        notificateur_ = std::make_unique<QSocketNotifier>(x11_.descripteur(), QSocketNotifier::Read);
        QObject::connect(notificateur_.get(), &QSocketNotifier::activated, notificateur_.get(), [this] { lire(); });
    }
    bool boutonGauche() override
    {
        // Both flags come from one round trip; the button is always read first.
        dernier_ = x11_.pointeur();
        if (x11_.appuisSignales()) {
            // The reply may have brought events with it, which leaves the descriptor quiet:
            // take them now, and a press among them is answered once this poll is over.
            if (x11_.lire().appui)
                QMetaObject::invokeMethod(notificateur_.get(), [this] { evenement(); }, Qt::QueuedConnection);
        } else if (!dernier_.boutonGauche) {
            // Polled: the count at the last poll with the button up stands for the press's.
            compteAuRepos_ = x11_.compte();
        }
        return dernier_.boutonGauche;
    }
    bool shift() override { return dernier_.shift; }
    long compte() override { return x11_.compte(); }
    long compteAvantAppui() override { return x11_.appuisSignales() ? x11_.compteALAppui() : compteAuRepos_; }
    bool signaleLesAppuis() const override { return notificateur_ != nullptr; }

private:
    void lire()
    {
        const X11Glisser::Lecture l = x11_.lire();
        if (l.appui || l.selection)
            evenement();
    }

    X11Glisser x11_;
    X11Glisser::Pointeur dernier_;
    long compteAuRepos_ = 0;
    std::unique_ptr<QSocketNotifier> notificateur_;
};

} // namespace

Guetteur::Guetteur(std::unique_ptr<SourceGlisser> source) : source_(std::move(source))
{
    minuteur_.setInterval(intervalleMs);
    minuteur_.setTimerType(Qt::PreciseTimer);
    connect(&minuteur_, &QTimer::timeout, this, &Guetteur::tic);
}

Guetteur::~Guetteur() = default;

void Guetteur::demarrer()
{
    if (!source_)
        source_ = std::make_unique<SourceX11>();
    if (!source_->signaleLesAppuis()) {
        minuteur_.start();
        return;
    }
    // A press, a release or a drag start is seen at once, without waiting for a poll.
    source_->evenement = [this] { tic(); };
}

void Guetteur::tic()
{
    if (!source_)
        return;
    sonder();
    if (!source_->signaleLesAppuis())
        return;
    // The button up and the release told: nothing to watch until the next press.
    if (!appuye_)
        minuteur_.stop();
    else if (!minuteur_.isActive())
        minuteur_.start();
}

void Guetteur::sonder()
{
    const bool bas = source_->boutonGauche();
    if (bas && !appuye_) {
        appuye_ = true;
        glisse_ = false;
        compteAuDepart_ = source_->compteAvantAppui();
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

} // namespace Application
