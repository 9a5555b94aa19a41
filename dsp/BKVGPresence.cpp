#include "dsp/BKVGPresence.h"

void BKVGPresence::analogCoefficients(double* den, double* num) const noexcept
{
    const float q = 0.9f * presence.load();
    const double r1 = double(5000.0f * q);
    const double r2 = double(5000.0f * (1.0f - q));
    den[0] = r1 + r2;
    den[1] = 2.2e-8 * r1 * r2;
    num[0] = r1 + r2 + 100000.0;
    num[1] = 0.0022 * r1 + 2.2e-8 * r1 * r2;
}

void BKVGPresence::updateCoefficients() noexcept
{
    double den[kOrder + 1];
    double num[kOrder + 1];
    analogCoefficients(den, num);
    if (den[1] == 0.0 && num[1] == 0.0) {
        // With the upper segment at zero the network is a plain gain. Run
        // through the bilinear transform it would become
        // (21 + 21/z)/(1 + 1/z): a pole on the unit circle at Nyquist,
        // cancelled by a zero only as long as the histories are clean. A
        // switch to this setting with signal in the histories would ring at
        // Nyquist for ever, so the cancelled form is installed instead.
        SZCoefficients<kOrder> flat;
        flat.a0 = den[0];
        flat.a = {0.0};
        flat.b = {num[0] / den[0], 0.0};
        publish(flat);
        return;
    }
    setCoefficients(den, num);
}
