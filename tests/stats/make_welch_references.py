"""Reference values of the two-sample t tests (Welch's and the pooled one),
their effect sizes and 95 % confidence intervals: an exact cross-check of the
values R gives, which stat_tests_test.cpp holds (make_references.R welch).

Means, variances and Welch-Satterthwaite's degrees of freedom are exact
rational numbers (fractions.Fraction of the decimal data); the t distribution
is evaluated with mpmath at 60 significant digits (its regularized incomplete
beta function, and the quantile found by root finding on it), so every value
printed is correct to far more than the 17 digits shown. R's t.test(x, y)
and t.test(x, y, var.equal = TRUE) agree with them to about 1e-15.
Usage: python3 make_welch_references.py
"""
from fractions import Fraction

import mpmath

mpmath.mp.dps = 60

DATA = {
    "A/B": ("5.1 4.9 6.2 5.8 6.0 5.5 5.3 6.1", "4.2 4.8 5.0 4.6 5.2 4.4 4.9"),
    "sleep": ("0.7 -1.6 -0.2 -1.2 -0.1 3.4 3.7 0.8 0.0 2.0",
              "1.9 0.8 1.1 0.1 -0.1 4.4 5.5 1.6 4.6 3.4"),
    "spread": ("19.1 22.4 17.8 25.3 30.2 15.6 28.9 21.0 26.7 18.4 23.3 20.5",
               "24.1 24.6 23.8 25.0 24.3"),
    "far apart": ("102.5 98.7 101.2 99.9 100.4 103.1",
                  "88.2 95.6 79.4 91.0 84.3 97.8 82.5"),
}


def two_tailed(df, t):
    df, t = mpmath.mpf(df), mpmath.mpf(t)
    return mpmath.betainc(df / 2, mpmath.mpf(1) / 2, 0, df / (df + t * t), regularized=True)


def critical95(df):
    return mpmath.findroot(lambda t: two_tailed(df, t) - mpmath.mpf("0.05"), mpmath.mpf(2))


def moments(text):
    xs = [Fraction(v) for v in text.split()]
    n = len(xs)
    mean = sum(xs) / n
    return n, mean, sum((x - mean) ** 2 for x in xs) / (n - 1)


def M(q):
    """A fraction at the working precision."""
    return mpmath.mpf(q.numerator) / q.denominator


def f(v):
    return mpmath.nstr(mpmath.mpf(v), 17, min_fixed=-30, max_fixed=30)


for name, (a, b) in DATA.items():
    n1, m1, v1 = moments(a)
    n2, m2, v2 = moments(b)
    diff = m1 - m2
    # Welch.
    e1, e2 = v1 / n1, v2 / n2
    df = (e1 + e2) ** 2 / (e1 ** 2 / (n1 - 1) + e2 ** 2 / (n2 - 1))
    se = mpmath.sqrt(M(e1 + e2))
    t = M(diff) / se
    half = critical95(M(df)) * se
    d = M(diff) / mpmath.sqrt(M((v1 + v2) / 2))
    print(f'welch  {name}: t {f(t)} df {f(M(df))} p {f(two_tailed(M(df), t))} '
          f'low {f(M(diff) - half)} high {f(M(diff) + half)} d {f(d)}')
    # Pooled.
    pdf = n1 + n2 - 2
    sp = mpmath.sqrt(M(((n1 - 1) * v1 + (n2 - 1) * v2) / pdf))
    se = sp * mpmath.sqrt(M(Fraction(1, n1) + Fraction(1, n2)))
    t = M(diff) / se
    half = critical95(pdf) * se
    print(f'pooled {name}: t {f(t)} df {pdf} p {f(two_tailed(pdf, t))} '
          f'low {f(M(diff) - half)} high {f(M(diff) + half)} d {f(M(diff) / sp)}')

# The difference of two proportions (30 of 50 against 18 of 50) and its Wald
# interval, as prop.test(c(30, 18), c(50, 50), correct = ...) gives it: the
# continuity correction widens it by min(1/2, |difference| / (1/n1 + 1/n2))
# times (1/n1 + 1/n2).
z975 = mpmath.sqrt(2) * mpmath.erfinv(mpmath.mpf("0.95"))
p1, p2, n1, n2 = Fraction(30, 50), Fraction(18, 50), 50, 50
spread = Fraction(1, n1) + Fraction(1, n2)
for correct in (False, True):
    half = z975 * mpmath.sqrt(M(p1 * (1 - p1) / n1 + p2 * (1 - p2) / n2))
    if correct:
        half += M(min(Fraction(1, 2), abs(p1 - p2) / spread) * spread)
    print(f'z correct={correct}: difference {f(M(p1 - p2))} '
          f'low {f(M(p1 - p2) - half)} high {f(M(p1 - p2) + half)}')
