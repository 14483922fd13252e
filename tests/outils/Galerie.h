#pragma once
// Every component of the design system in light and dark, side by side: the gallery program
// shows it under a real X server for screenshots, the benchmark paints it.

#include "designtokens/Tokens.h"
#include "tesselreverie/BarreOngletsReverie.h"
#include "tesselreverie/BoutonPilule.h"
#include "tesselreverie/Ciel.h"
#include "tesselreverie/Reverie.h"
#include "tesselui/BoutonAnime.h"
#include "tesselui/CommitField.h"
#include "tesselui/HintPanel.h"
#include "tesselui/Icone.h"
#include "tesselui/PillTabBar.h"
#include "tesselui/Rezuz.h"
#include "tesselui/SegmentedRow.h"
#include "tesselui/Theme.h"
#include "tesselui/Vavirud.h"

#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>
#include <QPainter>
#include <QVBoxLayout>

namespace galerie {

inline Ciel cielDuMatin() { return Ciel({0xBFD9FF, 0xE9E0FF, 0xFFE3EC}, 0x6C8CFF, 0xC58CFF, 0xE9E0FF, 0x1D2333); }

// A hint bubble as the floating panel would show it.
class Bulle : public QWidget {
public:
    HintBubble bulle{QStringLiteral("Rogner"), QStringLiteral("Garde la partie de la photo qui compte, aux proportions choisies."),
                     QStringLiteral("R"), 200};
    Bulle() { setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed); }
    QSize sizeHint() const override { return bulle.taille().toSize() + QSize(1, 1); }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter p(this);
        bulle.peindre(p, palette());
    }
};

// A Reverie card with a line of serif text.
class Carte : public QWidget {
public:
    QSize sizeHint() const override { return {240, 56}; }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter p(this);
        carteReverie(p, QRectF(rect()), 20, palette());
        p.setPen(Reverie::encre().pour(palette()));
        p.setFont(Reverie::serif(24));
        p.drawText(rect().adjusted(16, 0, 0, 0), Qt::AlignVCenter, QStringLiteral("Carte Rêverie"));
    }
};

// A picture's stand-in that fills its whole frame: the framed container must round it off.
class Aplat : public QWidget {
public:
    static QColor couleur() { return QColor(0x2E, 0x8B, 0x57); }
    Aplat() { setFixedSize(120, 60); }

protected:
    void paintEvent(QPaintEvent*) override { QPainter(this).fillRect(rect(), couleur()); }
};

// One column of components in one appearance.
class Colonne : public QWidget {
public:
    PillButton* plein;
    PillTabBar* onglets;
    VueCiel* ciel;
    BarreOngletsReverie* reverie;
    Rezuz* rezuz;
    EncadreReverie* encadre;
    EncadreReverie* encadrePlein;
    BoutonPilule* pilule;
    CommitField* champ;
    QList<Rezuz*> mascottes;

    explicit Colonne(bool sombre, QWidget* parent = nullptr) : QWidget(parent)
    {
        QPalette pal;
        pal.setColor(QPalette::Window, Theme::canvas().pour(sombre ? Couleur::Apparence::sombre : Couleur::Apparence::claire));
        setPalette(pal);
        Theme::fenetre(this, 13);
        auto* l = new QVBoxLayout(this);
        l->setContentsMargins(20, 16, 20, 16);
        l->setSpacing(12);
        auto* titre = new QLabel(sombre ? QStringLiteral("Sombre") : QStringLiteral("Clair"));
        titre->setFont(Vavirud::subheading());
        l->addWidget(titre);

        auto* boutons = new ButtonRow;
        plein = new PillButton(QStringLiteral("Convertir"));
        boutons->ajouter(plein);
        boutons->ajouter(new PillButton(QStringLiteral("Agrandir"), PillButtonStyle::pillLarge()));
        auto* doux = new PillButton(QStringLiteral("Supprimer"), PillButtonStyle::pillSoft());
        doux->setDestructive(true);
        boutons->ajouter(doux);
        boutons->ajouter(new PillButton(QStringLiteral("Contour"), PillButtonStyle::pillGhost()));
        auto* inactif = new PillButton(QStringLiteral("Inactif"));
        inactif->setEnabled(false);
        boutons->ajouter(inactif);
        l->addWidget(boutons);

        auto* outils = new QHBoxLayout;
        outils->addWidget(new IconButton(QStringLiteral("close-circle")));
        auto* bascule = new ToolToggle(QStringLiteral("crop"));
        bascule->setChecked(true);
        outils->addWidget(bascule);
        outils->addWidget(new ToolToggle(QStringLiteral("pencil")));
        outils->addWidget(new TileButton(QStringLiteral("Une tuile pleine largeur")), 1);
        l->addLayout(outils);

        champ = new CommitField(QStringLiteral("Nom"), QStringLiteral("Photo de vacances"));
        l->addWidget(champ);
        l->addWidget(new SegmentedRow(QStringLiteral("Qualité"), {QStringLiteral("Basse"), QStringLiteral("Moyenne"), QStringLiteral("Haute")}));

        onglets = new PillTabBar({{QStringLiteral("image"), QStringLiteral("Images"), QStringLiteral("Les photos et les dessins")},
                                  {QStringLiteral("film"), QStringLiteral("Vidéos"), QStringLiteral("Les films et les GIF")},
                                  {QStringLiteral("file-text"), QStringLiteral("Textes"), QStringLiteral("Les documents")},
                                  {QStringLiteral("archive"), QStringLiteral("Archives"), QStringLiteral("Les fichiers zip")}},
                                 true);
        onglets->setFixedWidth(240);
        l->addWidget(onglets);

        auto* rangee = new QHBoxLayout;
        rezuz = new Rezuz(40);
        rangee->addWidget(rezuz);
        auto* bleu = new Rezuz(56);
        bleu->setCiel(QList<QColor>{QColor(0xBF, 0xD9, 0xFF), QColor(0xE9, 0xE0, 0xFF), QColor(0xFF, 0xE3, 0xEC)});
        rangee->addWidget(bleu);
        auto* amoureux = new Rezuz(40);
        amoureux->celebrate(Rezuz::Mood::love);
        rangee->addWidget(amoureux);
        mascottes = {rezuz, bleu, amoureux};
        rangee->addWidget(new Bulle);
        rangee->addStretch();
        l->addLayout(rangee);

        auto* badge = new QLabel(QStringLiteral("Rêverie"));
        encadre = new EncadreReverie(cielDuMatin(), new PastilleCiel(badge), 80);
        encadre->layout()->setContentsMargins(16, 0, 16, 0);
        l->addWidget(encadre);

        auto* bas = new QHBoxLayout;
        ciel = new VueCiel(cielDuMatin(), false);
        ciel->setFixedSize(120, 60);
        bas->addWidget(ciel);
        encadrePlein = new EncadreReverie(cielDuMatin(), new Aplat, 60, 28);
        encadrePlein->setFixedSize(120, 60);
        bas->addWidget(encadrePlein);
        pilule = BoutonPilule::pilule(QStringLiteral("Enregistrer"));
        pilule->setIcon(QIcon(QPixmap::fromImage(Icone::image(QStringLiteral("checkmark.circle.fill"), 30, Qt::black, 1))));
        bas->addWidget(pilule);
        bas->addWidget(BoutonPilule::piluleBlanche(QStringLiteral("Annuler")));
        bas->addStretch();
        l->addLayout(bas);

        reverie = new BarreOngletsReverie({{QStringLiteral("image"), QStringLiteral("Photo"), QStringLiteral("Une image")},
                                           {QStringLiteral("film"), QStringLiteral("Vidéo"), QStringLiteral("Un film")},
                                           {QStringLiteral("audio-waveform"), QStringLiteral("Son"), QStringLiteral("Un son")}});
        auto* ligne = new QHBoxLayout;
        ligne->addWidget(reverie);
        ligne->addWidget(new Carte);
        ligne->addStretch();
        l->addLayout(ligne);
        l->addStretch();
    }
};

class Galerie : public QWidget {
public:
    Colonne* clair;
    Colonne* sombre;

    Galerie()
    {
        // The application's look: the Reverie neutrals.
        Tokens::neutres = Tokens::Neutres::reverie();
        auto* l = new QHBoxLayout(this);
        l->setContentsMargins(0, 0, 0, 0);
        l->setSpacing(0);
        clair = new Colonne(false);
        sombre = new Colonne(true);
        l->addWidget(clair);
        l->addWidget(sombre);
        setWindowTitle(QStringLiteral("Galerie"));
    }
};

} // namespace galerie
