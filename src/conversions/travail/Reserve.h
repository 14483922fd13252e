#pragma once

#include <QString>
#include <QtGlobal>
#include <optional>

namespace Conversions {

// Memory set aside by a conversion before it holds a large picture. What may be set aside is
// three quarters of what the machine has available (MemAvailable, or what is left of the
// process's address space when it is bounded and that is less), less what the other
// conversions of this process hold at that moment: two huge drops at once cannot both take
// what only one of them may. Given back when destroyed.
class Reserve {
public:
    // Sets `octets` aside for `source`; throws Erreur::rien « nom » est trop grand when they
    // do not fit (the log says how much was asked and how much was left).
    Reserve(qint64 octets, const QString& source);
    // Nothing when `octets` do not fit: the caller takes a road that needs less.
    static std::optional<Reserve> essayer(qint64 octets);

    Reserve(Reserve&& autre) noexcept;
    Reserve(const Reserve&) = delete;
    Reserve& operator=(const Reserve&) = delete;
    Reserve& operator=(Reserve&&) = delete;
    ~Reserve();

private:
    explicit Reserve(qint64 octets) : octets_(octets) {}
    qint64 octets_ = 0;
};

// Tests stand in for the machine's available memory; std::nullopt gives the machine's back.
void imposerMemoireDisponible(std::optional<qint64> octets);

} // namespace Conversions
