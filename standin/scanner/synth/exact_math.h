// Sine, cosine, exponential, logarithm and arc tangents for the generator,
// built from the operations IEEE 754 rounds exactly (+ - * /, sqrt) and from
// exact scalings, so that every platform computes the very same bits. The
// math library's versions are accurate but not reproducible: their last bit
// differs between x86-64 and AArch64, and on x86-64 between CPUs with and
// without fused multiply-add. The synthesis sources are also compiled with
// -ffp-contract=off, so that no compiler fuses a product into a sum.
//
// Method: Cody-Waite range reduction, then Taylor (sine, cosine, exponential)
// or atanh-series (logarithm) polynomials, and two argument halvings for the
// arc tangent; all accurate to within a few units in the last place.
#ifndef TERVO_SYNTH_EXACT_MATH_H
#define TERVO_SYNTH_EXACT_MATH_H

namespace tervo::synth::exact {

double sin(double x);
double cos(double x);
void sinCos(double x, double& sine, double& cosine);
double exp(double x);
double log(double x);  // x > 0
double atan(double x);
double atan2(double y, double x);

}  // namespace tervo::synth::exact

#endif
