#pragma once

#include <QList>
#include <QMutex>
#include <QObject>
#include <QString>
#include <QUuid>
#include <exception>
#include <functional>
#include <optional>

// A short message for the user: a success, an error or an information.
struct Notice {
    enum class Kind { success, error, info };
    Notice(Kind k, QString t, std::optional<QString> d = std::nullopt, std::optional<QString> r = std::nullopt)
        : id(QUuid::createUuid()), kind(k), title(std::move(t)), detail(std::move(d)), reveal(std::move(r)) {}

    QUuid id;
    Kind kind;
    QString title;                  // shown verbatim
    std::optional<QString> detail;  // a second, smaller line
    std::optional<QString> reveal;  // a file the toast offers to show in the file manager

    bool operator==(const Notice& o) const { return id == o.id; }
};

// The process-wide queue of notices not yet shown, oldest first. Posting is safe from any
// thread; the change is signalled on the GUI thread.
class Notices : public QObject {
    Q_OBJECT
public:
    static Notices& shared();

    void post(const Notice& n);
    void success(const QString& title, const std::optional<QString>& detail = std::nullopt,
                 const std::optional<QString>& reveal = std::nullopt);
    void error(const QString& title, const std::optional<QString>& detail = std::nullopt);
    void error(const QString& title, const std::exception& e);
    void info(const QString& title, const std::optional<QString>& detail = std::nullopt);

    // Removes and gives the oldest notice; none when the queue is empty.
    std::optional<Notice> take();
    int pending() const;

    // How long things last, in seconds; tests shorten them.
    struct Durees {
        double celebrate = 0.25;  // the mascot celebrates a success this long after it shows
        double success = 5, info = 5, error = 9;
        double next = 0.35;       // the next notice comes this long after a hide
        double pour(Notice::Kind k) const { return k == Notice::Kind::error ? error : k == Notice::Kind::success ? success : info; }
    };
    static Durees& durees();

    // The texts of the keys "notices.reveal" and "notices.close".
    static QString texte(const QString& cle);
    // Shows a file in the file manager; the application may put its own service here.
    static std::function<void(const QString&)>& revelateur();

signals:
    void changed();

private:
    Notices();
    mutable QMutex verrou_;
    QList<Notice> pending_;
};
