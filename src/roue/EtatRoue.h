#pragma once

#include "conversions/Catalogue.h"
#include "roue/Retouche.h"

#include <QList>
#include <QObject>
#include <QPointF>
#include <QString>
#include <QUuid>
#include <functional>
#include <optional>

namespace Roue {

// The one state of the wheel. The drop target and the shell write it; the view and the
// mascot read it. Every setter signals only when the value really changes, then emits
// `change()` as well so that a view can simply repaint.
class EtatRoue : public QObject {
    Q_OBJECT
public:
    explicit EtatRoue(QObject* parent = nullptr);

    const QList<Conversions::Petale>& petales() const { return petales_; }
    std::optional<int> survol() const { return survol_; }
    std::optional<int> outil() const { return outil_; }
    bool panneau() const { return panneau_; }
    const std::optional<Retouche>& retouche() const { return retouche_; }
    const QString& centre() const { return centre_; }
    bool ouverte() const { return ouverte_; }
    std::optional<bool> fait() const { return fait_; }
    const std::optional<QString>& message() const { return message_; }
    std::optional<double> progression() const { return progression_; }
    // The job shown in the wheel; not announced (no view depends on it).
    std::optional<QUuid> travail() const { return travail_; }

    void setPetales(const QList<Conversions::Petale>& v);
    void setSurvol(std::optional<int> v);
    void setOutil(std::optional<int> v);
    void setPanneau(bool v);
    void setRetouche(const std::optional<Retouche>& v);
    void setCentre(const QString& v);
    void setOuverte(bool v);
    void setFait(std::optional<bool> v);
    void setMessage(const std::optional<QString>& v);
    void setProgression(std::optional<double> v);
    void setTravail(std::optional<QUuid> v);

    // Derived on every read.
    std::optional<int> indexModifier() const;     // first "modifier" petal
    std::optional<double> angleModifier() const;  // its centre angle
    std::optional<double> angleVise() const;      // what the pointer aims at

    // Turns a pointer position (drop target coordinates: origin lower-left, y up) into the
    // hovered petal, the hovered tool and the open state of the tools arc.
    void viser(QPointF point);

    // Played when the pointer comes onto a new petal or tool. No-op on this platform.
    std::function<void()> tapotement;

signals:
    void petalesChange();
    void survolChange();
    void outilChange();
    void panneauChange();
    void retoucheChange();
    void centreChange();
    void ouverteChange();
    void faitChange();
    void messageChange();
    void progressionChange();
    void change();

private:
    QList<Conversions::Petale> petales_;
    std::optional<int> survol_;
    std::optional<int> outil_;
    bool panneau_ = false;
    std::optional<Retouche> retouche_;
    QString centre_;
    bool ouverte_ = false;
    std::optional<bool> fait_;
    std::optional<QString> message_;
    std::optional<double> progression_;
    std::optional<QUuid> travail_;
};

} // namespace Roue
