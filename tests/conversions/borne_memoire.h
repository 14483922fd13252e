#pragma once

// The machine's available memory stands in for `octets` while a Borne lives.

#include "conversions/travail/Reserve.h"

class Borne {
public:
    explicit Borne(qint64 octets) { Conversions::imposerMemoireDisponible(octets); }
    ~Borne() { Conversions::imposerMemoireDisponible(std::nullopt); }
    Borne(const Borne&) = delete;
    Borne& operator=(const Borne&) = delete;
};
