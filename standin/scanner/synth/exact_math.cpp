#include "exact_math.h"

#include <cmath>

#include "angles.h"

namespace tervo::synth::exact {
namespace {

constexpr double kTwoOverPi = 0.6366197723675814;
// pi/2 split so that k * kHalfPiHigh is exact for |k| < 2^20.
constexpr double kHalfPiHigh = 1.57079632673412561417e+00;
constexpr double kHalfPiLow = 6.07710050650619224932e-11;
constexpr double kLn2High = 6.93147180369123816490e-01;
constexpr double kLn2Low = 1.90821492927058770002e-10;
constexpr double kInverseLn2 = 1.4426950408889634;

// Taylor series on |r| <= pi/4.
double sinPolynomial(double r) {
    const double s = r * r;
    double p = 1.0 / 355687428096000.0;  // 1/17!
    p = p * s - 1.0 / 1307674368000.0;   // 1/15!
    p = p * s + 1.0 / 6227020800.0;
    p = p * s - 1.0 / 39916800.0;
    p = p * s + 1.0 / 362880.0;
    p = p * s - 1.0 / 5040.0;
    p = p * s + 1.0 / 120.0;
    p = p * s - 1.0 / 6.0;
    return r + r * s * p;
}

double cosPolynomial(double r) {
    const double s = r * r;
    double p = 1.0 / 6402373705728000.0;  // 1/18!
    p = p * s - 1.0 / 20922789888000.0;   // 1/16!
    p = p * s + 1.0 / 87178291200.0;
    p = p * s - 1.0 / 479001600.0;
    p = p * s + 1.0 / 3628800.0;
    p = p * s - 1.0 / 40320.0;
    p = p * s + 1.0 / 720.0;
    p = p * s - 1.0 / 24.0;
    p = p * s + 0.5;
    return 1.0 - s * p;
}

}  // namespace

void sinCos(double x, double& sine, double& cosine) {
    const double k = std::nearbyint(x * kTwoOverPi);
    const double r = (x - k * kHalfPiHigh) - k * kHalfPiLow;
    const double s = sinPolynomial(r);
    const double c = cosPolynomial(r);
    switch (static_cast<long long>(k) & 3) {
        case 0:
            sine = s, cosine = c;
            break;
        case 1:
            sine = c, cosine = -s;
            break;
        case 2:
            sine = -s, cosine = -c;
            break;
        default:
            sine = -c, cosine = s;
            break;
    }
}

double sin(double x) {
    double s, c;
    sinCos(x, s, c);
    return s;
}

double cos(double x) {
    double s, c;
    sinCos(x, s, c);
    return c;
}

double exp(double x) {
    if (x > 700.0) x = 700.0;
    if (x < -700.0) return 0.0;
    const double k = std::nearbyint(x * kInverseLn2);
    const double r = (x - k * kLn2High) - k * kLn2Low;  // |r| <= 0.35
    // 1 + r (1 + r/2 (1 + r/3 (... (1 + r/13)))): the Taylor series to r^13 / 13!.
    double p = 1.0;
    for (double n = 13.0; n >= 1.0; n -= 1.0) p = 1.0 + p * r / n;
    return std::ldexp(p, static_cast<int>(k));
}

double log(double x) {
    int exponent = 0;
    double m = std::frexp(x, &exponent);  // [0.5, 1)
    if (m < 0.7071067811865476) {
        m *= 2.0;
        --exponent;
    }
    const double f = (m - 1.0) / (m + 1.0);  // |f| <= 0.172
    const double s = f * f;
    double p = 1.0 / 23.0;
    for (double n = 21.0; n >= 3.0; n -= 2.0) p = p * s + 1.0 / n;
    const double logM = 2.0 * f + 2.0 * f * s * p;
    const double e = exponent;
    return e * kLn2High + (e * kLn2Low + logM);
}

double atan(double x) {
    const bool negative = x < 0.0;
    double t = negative ? -x : x;
    const bool inverted = t > 1.0;
    if (inverted) t = 1.0 / t;
    // atan(t) = 2 atan(t / (1 + sqrt(1 + t^2))), twice: |t| <= tan(pi/16).
    t = t / (1.0 + std::sqrt(1.0 + t * t));
    t = t / (1.0 + std::sqrt(1.0 + t * t));
    const double s = t * t;
    double p = 1.0 / 25.0;
    for (int n = 23; n >= 3; n -= 2) p = p * s + ((n / 2) % 2 == 0 ? 1.0 : -1.0) / n;
    double result = 4.0 * (t + t * s * p);
    if (inverted) result = kHalfPi - result;
    return negative ? -result : result;
}

double atan2(double y, double x) {
    if (x > 0.0) return atan(y / x);
    if (x < 0.0) return y >= 0.0 ? atan(y / x) + kPi : atan(y / x) - kPi;
    if (y > 0.0) return kHalfPi;
    if (y < 0.0) return -kHalfPi;
    return 0.0;
}

}  // namespace tervo::synth::exact
