#pragma once

#include "fenetres/couper/modele/Lecteur.h"
#include "fenetres/commun/VueOutil.h"

#include <memory>

class ApercuCouper;
class Passage;
class PisteCouper;

// The trim tool: the video or a listening face, the track with its two handles, the times,
// and « Couper », which writes the passage beside the source without re-encoding.
class VueCouper : public VueOutil {
    Q_OBJECT
public:
    // Without a player, Qt's own.
    VueCouper(const QString& url, FenetreOutil* fenetre, Fini fini, std::unique_ptr<Lecteur> lecteur = {});
    ~VueCouper() override;

    Passage& passage() { return *p_; }
    ApercuCouper& apercu() { return *apercu_; }
    PisteCouper& piste() { return *piste_; }

    // A time as m:ss (whole seconds) or m:ss,d (tenths, rounded first so that 59.97 reads
    // 1:00,0); negative times read 0; an unknown or endless time reads "–:––".
    static QString minutes(double t, bool dixiemes);
    // A length: "12,5 s" below a minute, else m:ss,d.
    static QString duree(double d);
    // The decimal separator of the user's first preferred language (French when that is
    // none), and that of the first language of `langues`.
    static const QString& virgule();
    static QString virguleDe(const QStringList& langues);

protected:
    void valider() override;

private:
    void majEtat();

    Passage* p_;
    ApercuCouper* apercu_;
    PisteCouper* piste_;
};
