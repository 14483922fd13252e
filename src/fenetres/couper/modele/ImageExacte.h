#pragma once

#include <QImage>
#include <QObject>
#include <memory>

// The picture of a video exactly as it shows at a time, decoded off the GUI thread: the
// frame that starts at or before that time, with no tolerance. A handle dragged fast asks
// for many times; only the latest one still waiting is decoded.
class ImageExacte : public QObject {
    Q_OBJECT
public:
    ImageExacte(const QString& chemin, QSize boite, QObject* parent = nullptr);
    ~ImageExacte() override;

    void demander(double secondes);

signals:
    void prete(double secondes, const QImage& image);

private:
    struct Etat;
    std::shared_ptr<Etat> etat_;
};
