#pragma once

#include <QByteArray>
#include <QString>
#include <QStringDecoder>
#include <algorithm>
#include <mutex>
#include <optional>

namespace Conversions {

// What one run of ffmpeg shares between its two readers and the waiting caller:
// the log of its error stream and the input's duration read from it.
class Suivi {
public:
    // Appends bytes of the error stream (invalid UTF-8 repaired, a character cut
    // between two reads kept whole).
    void ajouter(const QByteArray& octets);
    // The input's duration in seconds from the "Duration:" line, 0 until it is printed.
    // Parsed once, then cached.
    double dureeLue();
    QString journal() const;

private:
    mutable std::mutex verrou_;
    double duree_ = 0;
    QString journal_;
    QStringDecoder decodeur_{QStringDecoder::Utf8};
};

// Cuts ffmpeg's progress stream into lines. A line cut between two reads is kept
// until its end arrives, so no value is lost or misread.
class LecteurDeProgres {
public:
    // The fractions done found in `octets`, for a run whose input lasts `duree` seconds.
    // `duree` is asked only when a progress line is complete.
    template <typename Duree, typename Rapport>
    void lire(const QByteArray& octets, Duree&& duree, Rapport&& rapport)
    {
        reste_ += octets;
        qsizetype debut = 0;
        for (qsizetype fin; (fin = reste_.indexOf('\n', debut)) >= 0; debut = fin + 1) {
            const QByteArray ligne = reste_.mid(debut, fin - debut);
            if (const auto f = fraction(ligne, duree))
                rapport(*f);
        }
        reste_.remove(0, debut);
    }

    // The fraction of one line, or none (another key, no duration yet, no number).
    template <typename Duree>
    static std::optional<double> fraction(const QByteArray& ligne, Duree&& duree)
    {
        static const QByteArray cle("out_time_us=");
        if (!ligne.startsWith(cle))
            return std::nullopt;
        const double d = duree();
        if (!(d > 0))
            return std::nullopt;
        bool ok = false;
        const double us = ligne.mid(cle.size()).trimmed().toDouble(&ok);
        if (!ok)
            return std::nullopt;
        return std::clamp(us / 1'000'000.0 / d, 0.0, 1.0);
    }

private:
    QByteArray reste_;
};

} // namespace Conversions
