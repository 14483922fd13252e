// A window that starts a real drag of the files it is given once the pressed pointer has
// moved a little, the way a file manager does; with SOURCE_GLISSER_AUSSITOT=1 in the
// environment, at the press itself (the quickest drags). Usage: source-glisser X Y FICHIER...
#include <QApplication>
#include <QDateTime>
#include <QDrag>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QUrl>
#include <QWidget>
#include <cstdio>

class Source : public QWidget {
public:
    explicit Source(QList<QUrl> urls) : urls_(std::move(urls)) {}

protected:
    void mousePressEvent(QMouseEvent* e) override
    {
        depart_ = e->position().toPoint();
        if (qEnvironmentVariableIntValue("SOURCE_GLISSER_AUSSITOT") == 1)
            glisser();
    }
    void mouseMoveEvent(QMouseEvent* e) override
    {
        if (!(e->buttons() & Qt::LeftButton)
            || (e->position().toPoint() - depart_).manhattanLength() < QApplication::startDragDistance())
            return;
        glisser();
    }
    void glisser()
    {
        // When the drag starts (UTC milliseconds of the day, as the log writes them).
        std::printf("glisse %lld\n", static_cast<long long>(QDateTime::currentMSecsSinceEpoch() % 86400000));
        std::fflush(stdout);
        // On the heap: the drag owns its data and ends its own loop.
        auto* drag = new QDrag(this);
        auto* donnees = new QMimeData;
        donnees->setUrls(urls_);
        drag->setMimeData(donnees);
        const Qt::DropAction issue = drag->exec(Qt::CopyAction);
        std::printf("%s\n", issue == Qt::CopyAction ? "depose" : "refuse");
        std::fflush(stdout);
    }
    void paintEvent(QPaintEvent*) override { QPainter(this).fillRect(rect(), QColor(70, 110, 200)); }
    void showEvent(QShowEvent*) override
    {
        std::printf("prete\n");
        std::fflush(stdout);
    }

private:
    QList<QUrl> urls_;
    QPoint depart_;
};

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    const QStringList a = QCoreApplication::arguments();
    if (a.size() < 4) {
        std::fprintf(stderr, "usage: source-glisser X Y FICHIER...\n");
        return 2;
    }
    QList<QUrl> urls;
    for (const QString& f : a.mid(3))
        urls << QUrl::fromLocalFile(f);
    Source s(urls);
    s.setWindowFlag(Qt::FramelessWindowHint);
    s.setGeometry(a[1].toInt(), a[2].toInt(), 200, 200);
    s.show();
    return app.exec();
}
