#include "conversions/images/Isnet.h"

#include "conversions/travail/EnParallele.h"
#include "conversions/Journaux.h"
#include "conversions/images/OpenCVDnn.h"

#include <QCoreApplication>
#include <QFile>
#include <QStandardPaths>
#include <QThread>
#include <chrono>
#include <condition_variable>
#include <malloc.h>
#include <mutex>
#include <system_error>
#include <thread>

namespace Conversions::Isnet {

namespace {

using Horloge = std::chrono::steady_clock;

constexpr int cote = 1024;
constexpr auto repos = std::chrono::minutes(1);
constexpr double marge = 0.04;
const QString fichier = QStringLiteral("isnet-medium.onnx");
const std::string sortieDuReseau = "output";

void journal(const QString& texte)
{
    qCWarning(journalImages).noquote() << texte;
}

// glibc raises its trim threshold after large frees, up to 64 MB per arena, and OpenCV's
// worker threads each have an arena: the freed network would stay resident there. A fixed
// threshold gives every arena's free top back at once.
void rendreLaMemoire()
{
    static std::once_flag fait;
    std::call_once(fait, [] { mallopt(M_TRIM_THRESHOLD, 256 * 1024); });
}

// The network and what its use needs; one inference at a time, as a Net is not reentrant.
class Modele {
public:
    // Never destroyed: the watcher thread may still wait on it while the process exits.
    static Modele& unique()
    {
        static Modele* m = new Modele;
        return *m;
    }

    void imposer(const QString& chemin)
    {
        std::lock_guard garde(verrou_);
        impose_ = chemin;
        reseau_.reset();
        absentDit_ = illisibleDit_ = false;
    }

    QString chemin()
    {
        std::lock_guard garde(verrou_);
        return cheminSansVerrou();
    }

    void preparer()
    {
        // Held: the network is in use or on its way; this photo's decoding must not wait.
        std::unique_lock garde(verrou_, std::try_to_lock);
        if (!garde.owns_lock() || reseau_ || enCours_ || illisibleDit_ || !QFile::exists(cheminSansVerrou()))
            return;
        try {
            // The thread waits for the lock held here, so it sees enCours_ set.
            std::thread([this] {
                std::lock_guard g(verrou_);
                if (charger()) {
                    // Counts as a use: a photo that then fails to decode leaves it to the watcher.
                    dernierUsage_ = Horloge::now();
                    veiller();
                }
                enCours_ = false;
                reveil_.notify_all();
            }).detach();
        } catch (const std::system_error& e) {
            journal(QStringLiteral("Chargement anticipé du modèle impossible : %1").arg(QString::fromLocal8Bit(e.what())));
            return;  // masque() loads it in its own thread
        }
        enCours_ = true;
    }

    // A load under way ends before the process tears OpenCV down.
    void attendreLeChargement()
    {
        std::unique_lock garde(verrou_);
        reveil_.wait(garde, [this] { return !enCours_; });
    }

    std::optional<cv::Mat1b> masque(const cv::Mat& rgba, const Releve& debut)
    {
        cv::Mat rgb;
        cv::resize(rgba, rgb, cv::Size(cote, cote), 0, 0, cv::INTER_AREA);
        cv::cvtColor(rgb, rgb, cv::COLOR_RGBA2RGB);
        // The package's own preprocessing: (x − 128) / 256 on each channel, RGB order.
        const cv::Mat entree = cv::dnn::blobFromImage(rgb, 1.0 / 256.0, cv::Size(), cv::Scalar(128, 128, 128), false, false);
        rgb.release();

        cv::Mat1b petit;
        {
            std::unique_lock garde(verrou_);
            if (!charger())
                return std::nullopt;
            const int avant = cv::getNumThreads();
            cv::setNumThreads(coeursLibresDepuis(debut));
            reseau_->setInput(entree);
            // The graph has side outputs too; only "output" is the fused mask.
            const cv::Mat sortie = reseau_->forward(sortieDuReseau);
            cv::setNumThreads(avant);
            // A foreign file at the model's place fails here, not by reading past its output.
            CV_Assert(sortie.type() == CV_32F && sortie.total() == static_cast<size_t>(cote) * cote);
            // A gentle stretch: the last few percent of doubt at either end become sure, so
            // the subject's inside is opaque and the background's haze clear; edges stay soft.
            cv::Mat(cote, cote, CV_32F, const_cast<float*>(sortie.ptr<float>()))
                .convertTo(petit, CV_8U, 255.0 / (1.0 - 2 * marge), -255.0 * marge / (1.0 - 2 * marge));
            dernierUsage_ = Horloge::now();
            veiller();
            reveil_.notify_all();
        }
        cv::Mat1b grand;
        cv::resize(petit, grand, rgba.size(), 0, 0, cv::INTER_LINEAR);
        return grand;
    }

private:
    QString cheminSansVerrou() const
    {
        if (!impose_.isEmpty())
            return impose_;
        const QString voisin = QCoreApplication::applicationDirPath() + QStringLiteral("/modeles/") + fichier;
        if (!QCoreApplication::applicationDirPath().isEmpty() && QFile::exists(voisin))
            return voisin;
        return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation)
            + QStringLiteral("/vemo-vododod/modeles/") + fichier;
    }

    // False, said once, when the model is absent or unreadable.
    bool charger()
    {
        if (reseau_)
            return true;
        const QString c = cheminSansVerrou();
        if (!QFile::exists(c)) {
            if (!std::exchange(absentDit_, true))
                journal(QStringLiteral("Modèle de détourage absent (%1) : détourage classique").arg(c));
            return false;
        }
        if (illisibleDit_)
            return false;
        rendreLaMemoire();
        try {
            reseau_ = cv::dnn::readNetFromONNX(c.toStdString());
        } catch (const cv::Exception& e) {
            illisibleDit_ = true;
            journal(QStringLiteral("Modèle de détourage illisible (%1) : détourage classique. %2")
                        .arg(c, QString::fromStdString(e.what())));
            return false;
        }
        // The parser's copy of the weights is freed by now: give it back, so that it never
        // adds up with the buffers of the first inference.
        malloc_trim(0);
        return true;
    }

    // Starts, once, the thread that lets the network go after a minute without use.
    void veiller()
    {
        if (veilleur_)
            return;
        veilleur_ = true;
        std::thread([this] {
            std::unique_lock garde(verrou_);
            for (;;) {
                if (!reseau_)
                    reveil_.wait(garde, [this] { return reseau_.has_value(); });
                const auto echeance = dernierUsage_ + repos;
                if (Horloge::now() < echeance) {
                    reveil_.wait_until(garde, echeance);
                    continue;
                }
                reseau_.reset();
                // Give the freed layers back to the system, not only to the allocator.
                malloc_trim(0);
            }
        }).detach();
    }

    std::mutex verrou_;
    std::condition_variable reveil_;
    std::optional<cv::dnn::Net> reseau_;
    Horloge::time_point dernierUsage_;
    QString impose_;
    bool veilleur_ = false;
    bool enCours_ = false;
    bool absentDit_ = false;
    bool illisibleDit_ = false;
};

// Destroyed at exit before the libraries' own statics.
struct AlaSortie {
    ~AlaSortie() { Modele::unique().attendreLeChargement(); }
} alaSortie;

} // namespace

QString chemin()
{
    return Modele::unique().chemin();
}

void imposerChemin(const QString& c)
{
    Modele::unique().imposer(c);
}

void preparer()
{
    Modele::unique().preparer();
}

std::optional<cv::Mat1b> masque(const cv::Mat& rgba, const Releve& debut)
{
    return Modele::unique().masque(rgba, debut);
}

} // namespace Conversions::Isnet
