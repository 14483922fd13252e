#pragma once

#include <QHash>
#include <QObject>
#include <QString>
#include <QThreadPool>
#include <optional>

namespace Roue {

// The page count of a lone PDF, made away from the GUI thread: a drag entry never waits
// for it, however large or hostile the file. Each version of a file (the file itself, its
// size and times) is counted once; the answer comes through compte().
class ComptePages : public QObject {
    Q_OBJECT
public:
    explicit ComptePages(QObject* parent = nullptr);
    // Waits for the counts under way: each is bounded, and a stop of the engine ends them.
    ~ComptePages() override;

    // The pages of `pdf` as it is now when they are known; otherwise starts counting them
    // (once per version) and gives nothing.
    std::optional<int> pages(const QString& pdf);

signals:
    // A count of `pdf` came back.
    void compte(const QString& pdf, int pages);

private:
    // A file put in place of another (a move) may keep its size and time: its inode and
    // its time of status change tell it apart.
    struct Version {
        quint64 appareil = 0;
        quint64 inode = 0;
        qint64 taille = -1;
        qint64 modification = -1;  // nanoseconds
        qint64 changement = -1;    // nanoseconds
        bool operator==(const Version&) const = default;
    };
    struct Connu {
        Version version;
        std::optional<int> pages;  // none while the count runs
    };
    static std::optional<Version> versionDe(const QString& pdf);
    void recu(const QString& pdf, const Version& version, int pages);

    QHash<QString, Connu> connus_;
    QThreadPool comptes_;
};

} // namespace Roue
