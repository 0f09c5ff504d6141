#pragma once

#include <QString>
#include <optional>

namespace gsm {

// The relative validity period octet TP-VP (3GPP TS 23.040 9.2.3.12.1) for a code of a
// number and a unit letter: H hours, D days, W weeks, M months of 30 days ("1W", "12H").
// A period the octet cannot state exactly is rounded up to the next one it can.
// nullopt: the code is not of that form.
std::optional<int> relativeValidity(const QString &code);

// The period in minutes that a TP-VP octet stands for.
int validityMinutes(int vp);

} // namespace gsm
