#include "stats/distributions.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>

namespace vandro {
namespace {

constexpr long double kNaN = std::numeric_limits<long double>::quiet_NaN();
constexpr long double kInfinity = std::numeric_limits<long double>::infinity();

// Far more steps than any convergent fraction or series needs (a few
// thousand for parameters near the largest degrees of freedom); reached only
// when the values never settle, e.g. when they are NaN.
constexpr int kIterationLimit = 1000000;

// ln sqrt(2 pi)
constexpr long double kLnSqrtTwoPi = 0.91893853320467274178032973640562L;
constexpr long double kSqrtTwo = 1.41421356237309504880168872420970L;

// B(2k) / (2k (2k - 1)), k = 1..20: the coefficients of Stirling's series.
constexpr long double kStirling[20] = {
    1.0L / 12,
    -1.0L / 360,
    1.0L / 1260,
    -1.0L / 1680,
    1.0L / 1188,
    -691.0L / 360360,
    1.0L / 156,
    -3617.0L / 122400,
    43867.0L / 244188,
    -174611.0L / 125400,
    77683.0L / 5796,
    -236364091.0L / 1506960,
    657931.0L / 300,
    -3392780147.0L / 93960,
    1723168255201.0L / 2492028,
    -7709321041217.0L / 505920,
    151628697551.0L / 396,
    -26315271553053477373.0L / 2418179400,
    154210205991661.0L / 444,
    -261082718496449122051.0L / 21106800,
};

bool IsProbability(long double p) {
  return p >= 0 && p <= 1; // false for NaN
}

// The standard normal distribution function, as the quantile bisects it.
long double StandardNormal(long double z) {
  return 1 - NormalUpperTail(z, 0, 1);
}

} // namespace

long double LnGamma(long double x) {
  if (!(x > 0)) return kNaN;
  if (std::isinf(x)) return kInfinity;
  if (x == 1 || x == 2) return 0;
  // Stirling's series is exact to the last bit from 7 on; smaller arguments
  // are shifted up with Gamma(x + 1) = x Gamma(x).
  long double shift = 0;
  while (x < 7) {
    shift += std::log(x);
    x += 1;
  }
  long double s = (x - 0.5L) * std::log(x) - x + kLnSqrtTwoPi;
  long double t = s;
  long double power = x;
  for (long double coefficient : kStirling) {
    t = s + coefficient / power;
    if (t == s) break;
    power *= x * x;
    s = t;
  }
  return t - shift;
}

TBetaDistribution::TBetaDistribution(long double p, long double q)
    : p_(p), q_(q), lnBeta_(LnGamma(p) + LnGamma(q) - LnGamma(p + q)),
      valid_(p > 0 && q > 0 && std::isfinite(p) && std::isfinite(q)) {}

long double TBetaDistribution::ContinuedFraction(long double a, long double b, long double x,
                                                 long double complement) const {
  // 1 / (1 + d1 / (1 + d2 / (1 + ...))) by the two-term recurrence, scaled
  // by 1/B after every pair of terms so that nothing overflows.
  long double aOdd = 0, aEven = 1, bOdd = 1, bEven = 1, scale = 1, f = 1;
  for (int m = 0; m < kIterationLimit; ++m) {
    const long double odd = -(a + m) * (a + b + m) * x / ((a + 2 * m) * (a + 2 * m + 1));
    aOdd = (odd * aOdd + aEven) * scale;
    bOdd = (odd * bOdd + bEven) * scale;
    const long double next = m + 1;
    const long double even = next * (b - next) * x / ((a + 2 * next - 1) * (a + 2 * next));
    aEven = even * scale * aEven + aOdd;
    bEven = even * scale * bEven + bOdd;
    scale = 1 / bEven;
    const long double value = aEven * scale;
    const bool settled = std::fabs(value) == std::fabs(f);
    f = value;
    if (settled || std::isnan(value)) break;
  }
  return std::exp(a * std::log(x) + b * std::log(complement) - lnBeta_) * f / a;
}

long double TBetaDistribution::Distribution(long double x) const {
  return Distribution(x, 1 - x);
}

long double TBetaDistribution::Distribution(long double x, long double complement) const {
  if (!valid_ || std::isnan(x) || std::isnan(complement)) return kNaN;
  if (x <= 0) return 0;
  if (complement <= 0) return 1;
  // The fraction converges fast below the mean; above it, use the symmetry
  // I_x(p, q) = 1 - I_(1-x)(q, p).
  if (x < (p_ + 1) / (p_ + q_ + 2)) return ContinuedFraction(p_, q_, x, complement);
  return 1 - ContinuedFraction(q_, p_, complement, x);
}

long double TBetaDistribution::Inverse(long double y) const {
  if (!valid_ || !IsProbability(y)) return kNaN;
  if (y == 0 || y == 1) return y;
  // Bisection on [0, 1]: slow but sure, and it ends on its own once the
  // midpoint can no longer move at extended precision.
  long double low = 0, high = 1, middle = 0.5L;
  for (;;) {
    const long double value = Distribution(middle);
    if (y < value)
      high = middle;
    else if (y > value)
      low = middle;
    else
      return middle;
    const long double next = (low + high) / 2;
    if (next == low || next == high) return next;
    middle = next;
  }
}

TGammaDistribution::TGammaDistribution(long double shape, long double rate)
    : shape_(shape), rate_(rate), lnGammaShape_(LnGamma(shape)),
      valid_(shape > 0 && rate > 0 && std::isfinite(shape) && std::isfinite(rate)) {}

long double TGammaDistribution::Distribution(long double x) const {
  bool upper = false;
  const long double part = Part(x, upper);
  return upper ? 1 - part : part;
}

long double TGammaDistribution::UpperTail(long double x) const {
  bool upper = false;
  const long double part = Part(x, upper);
  return upper ? part : 1 - part;
}

long double TGammaDistribution::Part(long double x, bool& upper) const {
  upper = false;
  if (!valid_ || std::isnan(x)) return kNaN;
  const long double u = rate_ * x;
  if (u <= 0) return 0;
  if (std::isinf(u)) return 1;
  const long double a = shape_;
  const long double front = std::exp(a * std::log(u) - u - lnGammaShape_);
  if (u < a + 1) {
    // The series converges fast below the mean.
    long double term = 1 / a, sum = term, b = a;
    for (int n = 0; n < kIterationLimit; ++n) {
      b += 1;
      term *= u / b;
      const long double next = sum + term;
      if (next == sum) break;
      sum = next;
    }
    return sum * front;
  }
  // Above it, the continued fraction of the upper part.
  long double a0 = 1, a1 = u, b0 = 0, b1 = 1, factor = 1, g = 1 / u, previous = 0;
  for (int n = 1; n <= kIterationLimit; ++n) {
    a0 = (a1 + a0 * (n - a)) * factor;
    b0 = (b1 + b0 * (n - a)) * factor;
    a1 = u * a0 + n * factor * a1;
    b1 = u * b0 + n * factor * b1;
    if (a1 > 0) {
      factor = 1 / a1;
      previous = g;
      g = b1 * factor;
    }
    if (std::fabs(g) == std::fabs(previous) || std::isnan(g)) break;
  }
  upper = true;
  return g * front;
}

long double TGammaDistribution::Inverse(long double y) const {
  if (!valid_ || !IsProbability(y)) return kNaN;
  if (y == 0) return 0;
  if (y == 1) return kInfinity;
  long double low = 0, high = shape_ / 2;
  while (y > Distribution(high)) {
    low = high;
    high *= 2;
    if (std::isinf(high)) return kNaN;
  }
  long double middle = (low + high) / 2;
  for (;;) {
    const long double value = Distribution(middle);
    if (value == y) return middle;
    if (y < value)
      high = middle;
    else
      low = middle;
    const long double next = (low + high) / 2;
    if (next == low || next == high) return next;
    middle = next;
  }
}

long double StudentTwoTailedProbability(int df, long double t) {
  if (df < 1 || std::isnan(t)) return kNaN;
  t = std::fabs(t);
  if (t == 0) return 1;
  if (std::isinf(t)) return 0;
  const long double n = df;
  // I_z(n/2, 1/2) at z = n / (n + t^2); 1 - z is passed as computed
  // directly, since for small t it is far below the precision of z.
  const long double t2 = t * t;
  return TBetaDistribution(n / 2, 0.5L).Distribution(n / (n + t2), t2 / (n + t2));
}

long double StudentTwoTailedCritical(int df, long double p) {
  if (df < 1 || !IsProbability(p)) return kNaN;
  if (p == 1) return 0;
  const long double n = df;
  // P(|T| > t) = I_z(n/2, 1/2) with z = n / (n + t^2). Small p puts z near 0,
  // where it is found to full precision; large p puts u = 1 - z near 0.
  if (p < 0.5L) {
    const long double z = TBetaDistribution(n / 2, 0.5L).Inverse(p);
    return std::sqrt(n * (1 - z) / z);
  }
  const long double u = TBetaDistribution(0.5L, n / 2).Inverse(1 - p);
  return std::sqrt(n * u / (1 - u));
}

long double FDistribution(int d1, int d2, long double x) {
  if (d1 < 1 || d2 < 1 || std::isnan(x)) return kNaN;
  if (x <= 0) return 0;
  const long double n1 = d1, n2 = d2;
  // 1 - I_z(n2/2, n1/2) with z = n2 / (n2 + n1 x), written as the equal
  // I_(1-z)(n1/2, n2/2) with both z and 1 - z computed directly, so that a
  // probability near 0 keeps its digits.
  return TBetaDistribution(n1 / 2, n2 / 2).Distribution(n1 * x / (n2 + n1 * x), n2 / (n2 + n1 * x));
}

long double FUpperTail(long double d1, long double d2, long double x) {
  if (!(d1 > 0) || !(d2 > 0) || std::isnan(x)) return kNaN;
  if (x <= 0) return 1;
  if (std::isinf(x)) return 0;
  // I_z(d2/2, d1/2) at z = d2 / (d2 + d1 x), both z and 1 - z computed
  // directly so that a small probability keeps its digits.
  return TBetaDistribution(d2 / 2, d1 / 2).Distribution(d2 / (d2 + d1 * x), d1 * x / (d2 + d1 * x));
}

long double FUpperQuantile(int d1, int d2, long double p) {
  if (d1 < 1 || d2 < 1 || !IsProbability(p)) return kNaN;
  const long double n1 = d1, n2 = d2;
  // x = n2 u / (n1 (1 - u)) with I_u(n1/2, n2/2) = 1 - p; for small p, u is
  // near 1 and 1 - u is found directly as the v with I_v(n2/2, n1/2) = p.
  if (p < 0.5L) {
    const long double v = TBetaDistribution(n2 / 2, n1 / 2).Inverse(p);
    return n2 * (1 - v) / (n1 * v);
  }
  const long double u = TBetaDistribution(n1 / 2, n2 / 2).Inverse(1 - p);
  return n2 * u / (n1 * (1 - u));
}

long double ChiSquareDistribution(int df, long double x) {
  if (df < 1) return kNaN;
  return TGammaDistribution(df / 2.0L, 1).Distribution(x / 2);
}

long double ChiSquareUpperTail(int df, long double x) {
  if (df < 1) return kNaN;
  if (x <= 0 && !std::isnan(x)) return 1;
  return TGammaDistribution(df / 2.0L, 1).UpperTail(x / 2);
}

long double ChiSquareQuantile(int df, long double y) {
  if (df < 1) return kNaN;
  return 2 * TGammaDistribution(df / 2.0L, 1).Inverse(y);
}

long double NormalUpperTail(long double x, long double mean, long double sd) {
  if (!(sd > 0)) return kNaN;
  const long double z = (x - mean) / sd;
  if (std::isnan(z)) return kNaN;
  if (z >= 7) return 0;
  if (z <= -7) return 1;
  // erfc keeps full relative precision in the tail, where a power series
  // about 0 loses it all to cancellation (and with it every quantile of a
  // small probability).
  return std::erfc(z / kSqrtTwo) / 2;
}

long double NormalUpperQuantile(long double p, long double mean, long double sd, long double eps) {
  if (!IsProbability(p) || !(sd > 0) || std::isnan(mean)) return kNaN;
  const long double f = std::max(p, 1 - p);
  long double low = 0, high = 1;
  while (f > StandardNormal(high)) {
    low = high;
    high *= 2;
  }
  for (;;) {
    const long double middle = (low + high) / 2;
    if (middle == low || middle == high) break;
    if (f > StandardNormal(middle))
      low = middle;
    else
      high = middle;
    if (high - low <= eps) break;
  }
  return p >= 0.5L ? mean - sd * low : mean + sd * low;
}

long double ExponentialDistribution(long double x, long double scale) {
  if (!(scale > 0) || std::isnan(x)) return kNaN;
  if (x <= 0) return 0;
  return -std::expm1(-x / scale);
}

long double ExponentialQuantile(long double y, long double scale) {
  if (!(scale > 0) || !IsProbability(y)) return kNaN;
  return -scale * std::log1p(-y);
}

long double LognormalUpperTail(long double x, long double m, long double s) {
  if (!(s > 0) || std::isnan(x) || std::isnan(m)) return kNaN;
  if (x <= 0) return 1;
  return NormalUpperTail((std::log(x) - m) / s, 0, 1);
}

long double LognormalUpperQuantile(long double p, long double m, long double s, long double eps) {
  if (!(s > 0)) return kNaN;
  return std::exp(m + s * NormalUpperQuantile(p, 0, 1, eps));
}

long double LogisticDistribution(long double x, long double mu, long double s) {
  if (!(s > 0)) return kNaN;
  // 1 - 1 / (1 + e^w) written so that a tiny result keeps its digits.
  return 1 / (1 + std::exp(-(x - mu) / s));
}

long double LogisticQuantile(long double y, long double mu, long double s) {
  if (!(s > 0) || !IsProbability(y)) return kNaN;
  return mu + s * (std::log(y) - std::log1p(-y));
}

namespace {

// Nodes and weights of the 20-point Gauss-Legendre rule on [-1, 1], found by
// Newton's method on the Legendre polynomial.
struct TGaussLegendre {
  static constexpr int kPoints = 20;
  std::array<long double, kPoints> nodes{}, weights{};

  TGaussLegendre() {
    const long double pi = 3.141592653589793238462643383279502884L;
    for (int i = 0; i < kPoints; ++i) {
      long double x = std::cos(pi * (i + 0.75L) / (kPoints + 0.5L));
      long double derivative = 0;
      for (int iteration = 0; iteration < 100; ++iteration) {
        long double p0 = 1, p1 = x;
        for (int n = 2; n <= kPoints; ++n) {
          const long double p2 = ((2 * n - 1) * x * p1 - (n - 1) * p0) / n;
          p0 = p1;
          p1 = p2;
        }
        derivative = kPoints * (x * p1 - p0) / (x * x - 1);
        const long double next = x - p1 / derivative;
        if (next == x) break;
        x = next;
      }
      nodes[static_cast<size_t>(i)] = x;
      weights[static_cast<size_t>(i)] = 2 / ((1 - x * x) * derivative * derivative);
    }
  }

  // The integral of f over [a, b] cut into panels of equal width.
  template <class F> long double Integrate(F&& f, long double a, long double b, int panels) const {
    const long double width = (b - a) / panels;
    long double sum = 0;
    for (int j = 0; j < panels; ++j) {
      const long double middle = a + (j + 0.5L) * width, half = width / 2;
      long double panel = 0;
      for (int i = 0; i < kPoints; ++i)
        panel += weights[static_cast<size_t>(i)] * f(middle + half * nodes[static_cast<size_t>(i)]);
      sum += panel * half;
    }
    return sum;
  }
};

const TGaussLegendre& GaussLegendre() {
  static const TGaussLegendre rule;
  return rule;
}

long double NormalDensity(long double z) {
  return std::exp(-z * z / 2) / std::sqrt(2 * 3.141592653589793238462643383279502884L);
}

// Phi(z), to full relative precision in the lower tail.
long double NormalLower(long double z) {
  return std::erfc(-z / kSqrtTwo) / 2;
}

// 1 - W(w), W the probability that the range of k standard normal values is
// below w. With k phi(z) Phi(z)^(k-1) integrating to 1,
//   1 - W(w) = k * integral of phi(z) [Phi(z)^(k-1) - (Phi(z) - Phi(z - w))^(k-1)] dz,
// and the bracket is written as Phi(z)^(k-1) (1 - (1 - r)^(k-1)) with
// r = Phi(z - w) / Phi(z), so that a small 1 - W keeps its digits.
long double RangeUpperTail(long double w, int k) {
  if (w <= 0) return 1;
  const long double m = k - 1;
  const auto integrand = [&](long double z) {
    const long double a = NormalLower(z);
    if (a == 0) return 0.0L;
    const long double r = std::min(1.0L, NormalLower(z - w) / a);
    return NormalDensity(z) * std::pow(a, m) * -std::expm1(m * std::log1p(-r));
  };
  // The integrand lives where phi(z) does and, for a large w, around w / 2.
  const long double low = -9, high = std::max(9.0L, w / 2 + 9);
  const int panels = static_cast<int>(std::ceil((high - low) / 2));
  return std::clamp(k * GaussLegendre().Integrate(integrand, low, high, panels), 0.0L, 1.0L);
}

} // namespace

long double StudentizedRangeUpperTail(long double q, int k, int df) {
  if (k < 2 || df < 1 || std::isnan(q)) return kNaN;
  if (q <= 0) return 1;
  if (std::isinf(q)) return 0;
  // P(Q > q) = integral of f(s) (1 - W(q s)) ds, with s = sqrt(chi2_df / df)
  // the deviation estimate's ratio to the true deviation:
  //   ln f(s) = (df/2) ln df - ln Gamma(df/2) - (df/2 - 1) ln 2 + (df - 1) ln s - df s^2 / 2.
  // s is integrated between its 1e-18 and 1 - 1e-18 quantiles.
  const long double n = df;
  const long double lowS = std::sqrt(ChiSquareQuantile(df, 1e-18L) / n);
  const long double highS = std::sqrt(ChiSquareQuantile(df, 1 - 1e-18L) / n);
  const long double lnConstant =
      n / 2 * std::log(n) - LnGamma(n / 2) - (n / 2 - 1) * std::log(2.0L);
  const auto integrand = [&](long double s) {
    if (s <= 0) return 0.0L;
    const long double density = std::exp(lnConstant + (n - 1) * std::log(s) - n * s * s / 2);
    return density * RangeUpperTail(q * s, k);
  };
  return std::clamp(GaussLegendre().Integrate(integrand, lowS, highS, 8), 0.0L, 1.0L);
}

long double StudentizedRangeQuantile(long double p, int k, int df) {
  if (k < 2 || df < 1 || !IsProbability(p)) return kNaN;
  if (p == 1) return 0;
  if (p == 0) return kInfinity;
  // P(Q > q) falls from 1 at q = 0: bracket the root, then regula falsi
  // with the Illinois step, on ln P so that small p converge as fast.
  const long double target = std::log(p);
  long double low = 0, high = 4, fLow = -target; // ln P(Q > 0) = 0
  long double fHigh = std::log(StudentizedRangeUpperTail(high, k, df)) - target;
  for (int i = 0; fHigh > 0 && i < 60; ++i) {
    low = high;
    fLow = fHigh;
    high *= 2;
    fHigh = std::log(StudentizedRangeUpperTail(high, k, df)) - target;
  }
  if (fHigh > 0 || std::isnan(fHigh)) return kNaN;
  int side = 0;
  for (int i = 0; i < 200; ++i) {
    const long double q = (low * fHigh - high * fLow) / (fHigh - fLow);
    if (!(q > low && q < high) || high - low <= 1e-15L * high) return (low + high) / 2;
    const long double f = std::log(StudentizedRangeUpperTail(q, k, df)) - target;
    if (f == 0) return q;
    if (f > 0) {
      low = q;
      fLow = f;
      if (side == 1) fHigh /= 2;
      side = 1;
    } else {
      high = q;
      fHigh = f;
      if (side == -1) fLow /= 2;
      side = -1;
    }
  }
  return (low + high) / 2;
}

} // namespace vandro
