#pragma once

#include "velm/agents/magician_agent.hpp"

namespace velm {

/// Sums every charge (NEUTRAL counted negative) into one result.
class PlusMagician : public MagicianAgent {
public:
    explicit PlusMagician(std::string visual_id);
    bool execute(std::vector<Charge>& charges) override;
};

/// Subtracts every later charge from the first (NEUTRAL counted negative).
class MinusMagician : public MagicianAgent {
public:
    explicit MinusMagician(std::string visual_id);
    bool execute(std::vector<Charge>& charges) override;
};

/// Multiplies every magnitude; the sign follows the count of NEGATIVE charges.
class MultiplyMagician : public MagicianAgent {
public:
    explicit MultiplyMagician(std::string visual_id);
    bool execute(std::vector<Charge>& charges) override;
};

/// Divides the first magnitude by every later one, declining on any near-zero divisor;
/// the sign follows the count of NEGATIVE charges.
class DivideMagician : public MagicianAgent {
public:
    explicit DivideMagician(std::string visual_id);
    bool execute(std::vector<Charge>& charges) override;
};

/// Replaces the last two charges by the floating remainder of their magnitudes
/// (second-to-last modulo last).
class ModuloMagician : public MagicianAgent {
public:
    explicit ModuloMagician(std::string visual_id);
    bool execute(std::vector<Charge>& charges) override;
};

/// Raises the second-to-last charge to the power of the last (NEUTRAL counted positive).
class PowerSorcerer : public MagicianAgent {
public:
    explicit PowerSorcerer(std::string visual_id);
    bool execute(std::vector<Charge>& charges) override;
};

/// Square root of a lone charge, or the root of the last magnitude to the degree of the
/// one before it (real root for odd whole degrees).
class RootMagician : public MagicianAgent {
public:
    explicit RootMagician(std::string visual_id);
    bool execute(std::vector<Charge>& charges) override;
};

/// Factorial of the floor of the last magnitude, saturating at +infinity.
class FactorialMagician : public MagicianAgent {
public:
    explicit FactorialMagician(std::string visual_id);
    bool execute(std::vector<Charge>& charges) override;
};

/// Turns every NEGATIVE charge POSITIVE in place, renaming it with its kind's prefix.
class AbsMagician : public MagicianAgent {
public:
    explicit AbsMagician(std::string visual_id);
    bool execute(std::vector<Charge>& charges) override;
};

/// Decimal logarithm of a lone charge, or the logarithm of the last magnitude to the base
/// of the one before it.
class LogMagician : public MagicianAgent {
public:
    explicit LogMagician(std::string visual_id);
    bool execute(std::vector<Charge>& charges) override;
};

}  // namespace velm
