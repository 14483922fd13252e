#include "conversions/travail/Suivi.h"

#include <QRegularExpression>

namespace Conversions {

void Suivi::ajouter(const QByteArray& octets)
{
    std::lock_guard garde(verrou_);
    journal_ += decodeur_.decode(octets);
}

double Suivi::dureeLue()
{
    std::lock_guard garde(verrou_);
    if (duree_ != 0)
        return duree_;
    static const QRegularExpression motif(QStringLiteral("Duration: (\\d+):(\\d+):(\\d+\\.\\d+)"));
    const QRegularExpressionMatch m = motif.match(journal_);
    if (!m.hasMatch())
        return 0;
    duree_ = m.captured(1).toDouble() * 3600 + m.captured(2).toDouble() * 60 + m.captured(3).toDouble();
    return duree_;
}

QString Suivi::journal() const
{
    std::lock_guard garde(verrou_);
    return journal_;
}

} // namespace Conversions
