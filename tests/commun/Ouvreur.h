#pragma once

#include <QList>
#include <QObject>
#include <QUrl>

// Catches what would be handed to the desktop for "file" URLs, while it lives.
class Ouvreur : public QObject {
    Q_OBJECT
public:
    QList<QUrl> ouverts;
    Ouvreur();
    ~Ouvreur() override;
public slots:
    void ouvrir(const QUrl& u);
};
