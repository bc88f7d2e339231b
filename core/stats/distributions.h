// Probability distributions: the numbers behind every p-value, test and
// quantile the statistics show.
//
// Everything is computed in long double (80-bit extended on x86-64). The
// continued fractions and series stop when two successive values are equal
// at that precision; the inverses bisect until the midpoint equals an end.
// Every loop is also bounded, so that NaN, infinite or out-of-domain input
// ends in NaN (callers show "n/a" or an error) instead of a hang.
//
// Degrees of freedom are integers of at least 1; probabilities lie in [0, 1].
// Input outside those domains gives NaN.
#pragma once

namespace vandro {

// ln Gamma(x) for x > 0; NaN for x <= 0 or NaN, +infinity for +infinity.
long double LnGamma(long double x);

// The beta distribution with parameters p, q > 0, made for one computation.
class TBetaDistribution {
public:
  TBetaDistribution(long double p, long double q);

  // The regularized incomplete beta function I_x(p, q): 0 for x <= 0, 1 for x >= 1.
  long double Distribution(long double x) const;
  // The same where the caller has 1 - x to better precision than 1 - x
  // computed from x (x = a / (a + b), complement = b / (a + b)).
  long double Distribution(long double x, long double complement) const;
  // x in [0, 1] with I_x(p, q) = y, for y in [0, 1].
  long double Inverse(long double y) const;

private:
  // The continued fraction of I_x(a, b), good for x < (a + 1) / (a + b + 2).
  long double ContinuedFraction(long double a, long double b, long double x,
                                long double complement) const;

  long double p_;
  long double q_;
  long double lnBeta_; // ln B(p, q), the normalising constant of both fractions
  bool valid_;
};

// The gamma distribution with shape a > 0 and rate lambda > 0 (every caller
// of the system uses rate 1), made for one computation.
class TGammaDistribution {
public:
  TGammaDistribution(long double shape, long double rate);

  // The regularized lower incomplete gamma function P(a, lambda * x).
  long double Distribution(long double x) const;
  // 1 - P(a, lambda * x), to full relative precision in the upper tail.
  long double UpperTail(long double x) const;
  // x >= 0 with P(a, lambda * x) = y, for y in [0, 1]; +infinity for y = 1.
  long double Inverse(long double y) const;

private:
  // The lower part (series) or, with upper set, the upper part (fraction),
  // whichever converges at x.
  long double Part(long double x, bool& upper) const;

  long double shape_;
  long double rate_;
  long double lnGammaShape_;
  bool valid_;
};

// Student's t: P(|T| > |t|) with df degrees of freedom.
long double StudentTwoTailedProbability(int df, long double t);
// t >= 0 with P(|T| > t) = p.
long double StudentTwoTailedCritical(int df, long double p);

// Fisher's F with d1 (numerator) and d2 (denominator) degrees of freedom.
long double FDistribution(int d1, int d2, long double x);
// P(F > x) for real degrees of freedom d1, d2 > 0 (Welch's analysis of
// variance makes d2 fractional), to full relative precision in the tail.
long double FUpperTail(long double d1, long double d2, long double x);
// x with P(F > x) = p.
long double FUpperQuantile(int d1, int d2, long double p);

// Chi-square: P(X <= x) and its inverse.
long double ChiSquareDistribution(int df, long double x);
long double ChiSquareQuantile(int df, long double y);
// P(X > x), to full relative precision in the tail.
long double ChiSquareUpperTail(int df, long double x);

// The studentized range: the range of k >= 2 independent standard normal
// values over an independent estimate of their deviation with df >= 1
// degrees of freedom (Tukey's honest significant differences). P(Q > q),
// and the q with P(Q > q) = p. Computed as the double integral of
// Copenhaver & Holland (1988), with both integrals taken by composite
// Gauss-Legendre quadrature in long double.
long double StudentizedRangeUpperTail(long double q, int k, int df);
long double StudentizedRangeQuantile(long double p, int k, int df);

// Normal with the given mean and standard deviation (> 0): P(X > x), exactly
// 0 or 1 from 7 standard deviations on, and the x with P(X > x) = p, bisected
// to a width of eps standard deviations.
long double NormalUpperTail(long double x, long double mean, long double sd);
long double NormalUpperQuantile(long double p, long double mean, long double sd, long double eps);

// Exponential with the given scale (the mean, > 0): P(X <= x) and its inverse.
long double ExponentialDistribution(long double x, long double scale);
long double ExponentialQuantile(long double y, long double scale);

// Lognormal: ln X is normal with mean m and standard deviation s > 0.
long double LognormalUpperTail(long double x, long double m, long double s);
long double LognormalUpperQuantile(long double p, long double m, long double s, long double eps);

// Logistic with location mu and scale s > 0: P(X <= x) and its inverse.
long double LogisticDistribution(long double x, long double mu, long double s);
long double LogisticQuantile(long double y, long double mu, long double s);

} // namespace vandro
