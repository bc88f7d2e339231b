# Writes the reference values of the statistics tests (R 4.x, base packages
# only). The tests do not run R: the values are pasted into the *_test.cpp
# files as they come out. Usage: Rscript make_references.R WHAT, with WHAT
# one of distributions, tests, correlation, regression, welch, quantiles,
# pvalues, anova, ptukey.
args <- commandArgs(trailingOnly = TRUE)
what <- if (length(args)) args[1] else "distributions"

num <- function(x) {
  text <- format(x, digits = 15)
  if (as.numeric(text) != x) text <- sprintf("%.17g", x)
  text
}
ref <- function(x) sprintf("%.17g", x)

# Newton steps on R's forward functions, in the tail that holds the
# probability, make a quantile exact to double precision (R's own quantile
# functions lose digits at the extremes).
newton <- function(x, target, lowerTarget, cdf, sf, pdf) {
  for (k in 1:4) {
    r <- if (lowerTarget) cdf(x) - target else target - sf(x)
    d <- pdf(x)
    if (!is.finite(x) || !is.finite(d) || d == 0) break
    x <- x - r / d
  }
  x
}

if (what == "distributions") {
  rows <- character()
  add <- function(f, r, a, b = 0, c = 0, eps = 0) {
    rows <<- c(rows, sprintf("    {%s, %s, %s, %s, %s, %s},", f, num(a), num(b), num(c), num(eps), ref(r)))
  }
  for (x in c(1e-5, 0.1, 0.5, 0.9, 2.5, 6.9, 7, 33.3, 1000, 1e7)) add("kLnGamma", lgamma(x), x)
  for (pq in list(c(0.5, 0.5), c(2, 3), c(5, 0.5), c(50, 200), c(1000, 1000), c(0.1, 30))) {
    p <- pq[1]; q <- pq[2]
    for (x in c(1e-6, 0.1, 0.5, 0.9, 0.999999)) add("kBeta", pbeta(x, p, q), x, p, q)
    for (y in c(1e-10, 0.05, 0.5, 0.9999)) {
      r <- newton(qbeta(y, p, q), if (y < 0.5) y else 1 - y, y < 0.5, function(x) pbeta(x, p, q),
                  function(x) pbeta(x, p, q, lower.tail = FALSE), function(x) dbeta(x, p, q))
      add("kBetaInverse", r, y, p, q)
    }
  }
  for (a in c(0.1, 1, 2.5, 100)) {
    for (x in c(1e-4, 1, 2.5, 10, 200)) add("kGamma", pgamma(x, a), x, a)
    for (y in c(1e-8, 0.5, 0.99, 1 - 1e-8)) {
      r <- newton(qgamma(y, a), if (y < 0.5) y else 1 - y, y < 0.5, function(x) pgamma(x, a),
                  function(x) pgamma(x, a, lower.tail = FALSE), function(x) dgamma(x, a))
      add("kGammaInverse", r, y, a)
    }
  }
  for (n in c(1, 2, 10, 30, 10000)) {
    for (t in c(0.001, 1, 2.228, 5, 100)) add("kStudent", 2 * pt(-t, n), t, n)
    # P(|T| > t) = I_z(n/2, 1/2), z = n / (n + t^2); its complement I_(1-z)(1/2, n/2).
    for (p in c(1e-8, 0.01, 0.05, 0.5, 0.99999999)) {
      r <- newton(qt(p / 2, n, lower.tail = FALSE), if (p < 0.5) p else 1 - p, p >= 0.5,
                  function(x) pbeta(x^2 / (n + x^2), 0.5, n / 2),
                  function(x) pbeta(n / (n + x^2), n / 2, 0.5), function(x) 2 * dt(x, n))
      add("kStudentCritical", r, p, n)
    }
  }
  for (dd in list(c(1, 1), c(2, 5), c(30, 3), c(100, 100))) {
    d1 <- dd[1]; d2 <- dd[2]
    for (x in c(0.01, 0.5, 1, 5, 50)) add("kF", pf(x, d1, d2), x, d1, d2)
    for (p in c(1e-8, 0.05, 0.5, 0.99999999)) {
      r <- newton(qf(p, d1, d2, lower.tail = FALSE), if (p < 0.5) p else 1 - p, p >= 0.5,
                  function(x) pf(x, d1, d2), function(x) pf(x, d1, d2, lower.tail = FALSE),
                  function(x) df(x, d1, d2))
      add("kFUpperQuantile", r, p, d1, d2)
    }
  }
  for (n in c(1, 2, 3, 10, 100)) {
    for (x in c(0.001, 1, 3.841, 10, 200)) add("kChiSquare", pchisq(x, n), x, n)
    for (y in c(1e-8, 0.5, 0.95, 0.99999999)) {
      r <- newton(qchisq(y, n), if (y < 0.5) y else 1 - y, y < 0.5, function(x) pchisq(x, n),
                  function(x) pchisq(x, n, lower.tail = FALSE), function(x) dchisq(x, n))
      add("kChiSquareQuantile", r, y, n)
    }
  }
  for (ms in list(c(0, 1), c(10, 2.5))) {
    m <- ms[1]; s <- ms[2]
    for (z in c(-6.5, -1.96, 0, 0.5, 1.96, 3, 6.5))
      add("kNormalUpperTail", pnorm(m + s * z, m, s, lower.tail = FALSE), m + s * z, m, s)
    for (p in c(1e-8, 0.025, 0.3, 0.5, 0.975, 0.99999999))
      add("kNormalUpperQuantile", qnorm(p, m, s, lower.tail = FALSE), p, m, s, 1e-8)
  }
  for (s in c(0.5, 20)) {
    for (x in c(1e-6, 1, 100)) add("kExponential", pexp(x, 1 / s), x, s)
    for (y in c(1e-8, 0.5, 0.99999999)) add("kExponentialQuantile", qexp(y, 1 / s), y, s)
  }
  for (ms in list(c(0, 1), c(2, 0.5))) {
    m <- ms[1]; s <- ms[2]
    for (x in c(0.01, 1, 7.4, 50)) add("kLognormalUpperTail", plnorm(x, m, s, lower.tail = FALSE), x, m, s)
    for (p in c(1e-8, 0.5, 0.9)) add("kLognormalUpperQuantile", qlnorm(p, m, s, lower.tail = FALSE), p, m, s, 1e-8)
  }
  for (ms in list(c(0, 1), c(-3, 2.5))) {
    m <- ms[1]; s <- ms[2]
    for (x in c(-40, -1, 0, 2, 40)) add("kLogistic", plogis(x, m, s), x, m, s)
    for (y in c(1e-8, 0.5, 0.99999999)) add("kLogisticQuantile", qlogis(y, m, s), y, m, s)
  }
  writeLines(rows)
}

if (what == "tests") {
  A <- c(5.1, 4.9, 6.2, 5.8, 6.0, 5.5, 5.3, 6.1)
  B <- c(4.2, 4.8, 5.0, 4.6, 5.2, 4.4, 4.9)
  C <- c(6.5, 6.1, 5.9, 6.8, 6.3, 6.0, 6.6, 6.2, 7.0)
  show <- function(what, statistic, p) cat(what, ref(statistic), ref(p), "\n")
  t <- t.test(A, B, var.equal = TRUE)
  show("t", t$statistic, t$p.value)
  # The F test cuts every series to the shortest.
  d <- data.frame(v = c(A[1:7], B[1:7], C[1:7]), g = factor(rep(1:3, each = 7)))
  o <- oneway.test(v ~ g, d, var.equal = TRUE)
  show("F", o$statistic, o$p.value)
  d <- data.frame(v = c(A[1:7], B), g = factor(rep(1:2, each = 7)))
  o <- oneway.test(v ~ g, d, var.equal = TRUE)
  show("F of two", o$statistic, o$p.value)
  for (yates in c(FALSE, TRUE)) {
    z <- sqrt(prop.test(c(30, 18), c(50, 50), correct = yates)$statistic)
    show(paste("z, Yates", yates), z, 2 * pt(-z, 10000))
  }
  ch <- chisq.test(rbind(c(12, 7, 9), c(5, 14, 8), c(9, 6, 15)))
  show("chi-square 3 x 3", ch$statistic, ch$p.value)
  for (yates in c(FALSE, TRUE)) {
    ch <- chisq.test(rbind(c(10, 20), c(20, 10)), correct = yates)
    show(paste("chi-square 2 x 2, Yates", yates), ch$statistic, ch$p.value)
  }
}

if (what == "correlation") {
  X <- 1:10
  Y <- c(2.1, 3.9, 6.2, 7.8, 10.1, 12.2, 13.8, 16.1, 18.0, 19.9)
  Z <- c(5, 3, 8, 1, 9, 2, 7, 4, 6, 10)
  for (pair in list(list("X : Y", X, Y), list("X : Z", X, Z), list("Y : Z", Y, Z))) {
    ct <- cor.test(pair[[2]], pair[[3]])
    cat(pair[[1]], ref(ct$estimate), ref(abs(ct$statistic)), ref(ct$p.value), "\n")
  }
}

if (what == "regression") {
  # NIST StRD Longley in its own units (R's longley is scaled).
  L <- longley
  d <- data.frame(y = round(L$Employed * 1000), x1 = L$GNP.deflator, x2 = round(L$GNP * 1000),
                  x3 = round(L$Unemployed * 10), x4 = round(L$Armed.Forces * 10),
                  x5 = round(L$Population * 1000), x6 = L$Year)
  m <- lm(y ~ ., d)
  cat("p-values", sapply(summary(m)$coefficients[-1, 4], ref), "\n")
  cat("partial sums", sapply(drop1(m)$"Sum of Sq"[-1], ref), "\n")
  # The backward elimination data: p = 0.064, 1e-10, 0.030; alpha 0.05 ends with x2.
  set.seed(7)
  n <- 20
  x1 <- round(runif(n, 0, 10), 1); x2 <- round(runif(n, 0, 10), 1); x3 <- round(runif(n, 0, 10), 1)
  y <- round(1 + 0.25 * x1 + 1.5 * x2 + 0.05 * x3 + rnorm(n, 0, 2), 2)
  for (i in 1:n) cat(sprintf("{%.2f, %.1f, %.1f, %.1f},", y[i], x1[i], x2[i], x3[i]), "\n")
  print(summary(lm(y ~ x1 + x2 + x3))$coefficients[, 4])
  print(summary(lm(y ~ x2 + x3))$coefficients[, 4])
  m <- lm(y ~ x2)
  cat("x2 alone", sapply(c(coef(m), summary(m)$coefficients[2, 3], summary(m)$fstatistic[1]), ref), "\n")
}

# Welch's and the pooled two-sample t-test of stat_tests_test.cpp: t, degrees
# of freedom, P and the 95 % interval of the difference of means as t.test
# gives them; Cohen's d over the mean of the two variances (Welch) or the
# pooled variance.
if (what == "welch") {
  data <- list(
    "A/B" = list(c(5.1, 4.9, 6.2, 5.8, 6.0, 5.5, 5.3, 6.1), c(4.2, 4.8, 5.0, 4.6, 5.2, 4.4, 4.9)),
    "sleep" = list(c(0.7, -1.6, -0.2, -1.2, -0.1, 3.4, 3.7, 0.8, 0.0, 2.0),
                   c(1.9, 0.8, 1.1, 0.1, -0.1, 4.4, 5.5, 1.6, 4.6, 3.4)),
    "spread" = list(c(19.1, 22.4, 17.8, 25.3, 30.2, 15.6, 28.9, 21.0, 26.7, 18.4, 23.3, 20.5),
                    c(24.1, 24.6, 23.8, 25.0, 24.3)),
    "far apart" = list(c(102.5, 98.7, 101.2, 99.9, 100.4, 103.1),
                       c(88.2, 95.6, 79.4, 91.0, 84.3, 97.8, 82.5)))
  for (name in names(data)) {
    x <- data[[name]][[1]]
    y <- data[[name]][[2]]
    nx <- length(x)
    ny <- length(y)
    pooled <- sqrt(((nx - 1) * var(x) + (ny - 1) * var(y)) / (nx + ny - 2))
    for (equal in c(FALSE, TRUE)) {
      r <- t.test(x, y, var.equal = equal)
      d <- (mean(x) - mean(y)) / (if (equal) pooled else sqrt((var(x) + var(y)) / 2))
      cat(if (equal) "pooled" else "welch ", name, ": t", ref(r$statistic), "df", ref(r$parameter),
          "p", ref(r$p.value), "low", ref(r$conf.int[1]), "high", ref(r$conf.int[2]), "d", ref(d),
          "\n")
    }
  }
}

# Tertiles, quartiles and quintiles by quantile(type = 2) of series the test
# makes the same way: for n = 1..40, "spread" values (i * 7919 + n * 104729)
# mod 1009 and "ties" values (i^2 + 3 n) mod 7. Printed as rows of
# {n, ties, {1/3, 2/3, 1/4, 3/4, 1/5, 2/5, 3/5, 4/5}}, then the same rows of
# seven moments as date-time texts.
if (what == "quantiles") {
  p <- c(1/3, 2/3, 1/4, 3/4, 1/5, 2/5, 3/5, 4/5)
  for (ties in c(FALSE, TRUE)) {
    for (n in 1:40) {
      i <- 1:n
      x <- if (ties) (i^2 + 3 * n) %% 7 else (i * 7919 + n * 104729) %% 1009
      q <- quantile(x, p, type = 2, names = FALSE)
      cat(sprintf("    {%d, %s, {%s}},\n", n, if (ties) "true" else "false",
                  paste(format(q, nsmall = 1, trim = TRUE), collapse = ", ")))
    }
  }
  moments <- as.POSIXct(c("2020-01-05 06:00", "2020-01-01 00:00", "2020-01-03 12:00",
                          "2020-01-02 18:00", "2020-01-04 00:00", "2020-01-07 00:00",
                          "2020-01-06 08:30"), tz = "UTC")
  print(format(quantile(moments, p, type = 2, names = FALSE), "%d.%m.%Y %H:%M:%S"))
}

# The studentized range distribution over a grid of k, df and q (upper
# tail), and its upper 5 % and 1 % points: rows {q, k, df, P(Q > q)} and
# {p, k, df, q}.
if (what == "ptukey") {
  for (k in c(2, 3, 5, 10, 20)) for (df in c(10, 41, 120, 1000)) for (q in c(0.5, 2, 3.5, 6, 10)) {
    cat(sprintf("    {%s, %d, %d, %s},\n", num(q), k, df, ref(ptukey(q, k, df, lower.tail = FALSE))))
  }
  for (k in c(2, 4, 10)) for (df in c(10, 41, 1000)) for (p in c(0.05, 0.01)) {
    cat(sprintf("    {%s, %d, %d, %s},\n", num(p), k, df, ref(qtukey(p, k, df, lower.tail = FALSE))))
  }
}

# One-way analysis of variance of three data sets: aov's table, eta squared,
# oneway.test(var.equal = FALSE), Levene's test about the medians (car's
# leveneTest, computed by hand: the aov of |x - median|) and TukeyHSD. The
# data are printed first, then the rows the test pastes.
if (what == "anova") {
  cw <- subset(ChickWeight, Time == 21)
  data <- list(
    chicks = split(cw$weight, cw$Diet),
    abc = list(A = c(5.1, 4.9, 6.2, 5.8, 6.0, 5.5, 5.3, 6.1), B = c(4.2, 4.8, 5.0, 4.6, 5.2, 4.4, 4.9),
               C = c(6.5, 6.1, 5.9, 6.8, 6.3, 6.0, 6.6, 6.2, 7.0)),
    uneven = list(P = c(10.2, 10.4, 10.1),
                  Q = c(14.0, 3.5, 22.8, 9.9, 17.1, 1.2, 25.6, 11.3, 6.4, 19.9, 13.7, 8.8, 30.1, 4.6, 16.2),
                  R = c(12.5, 13.1, 11.8, 12.9, 14.4, 12.2),
                  S = c(9.0, 15.5, 7.7, 18.3)))
  for (name in names(data)) {
    g <- data[[name]]
    for (i in seq_along(g)) cat(name, "group", i, ":", g[[i]], "\n")
    d <- data.frame(v = unlist(g), f = factor(rep(seq_along(g), lengths(g))))
    a <- summary(aov(v ~ f, d))[[1]]
    ss <- a$"Sum Sq"
    cat(name, "aov: ssb", ref(ss[1]), "ssw", ref(ss[2]), "F", ref(a$"F value"[1]), "p", ref(a$"Pr(>F)"[1]),
        "df", a$Df, "eta", ref(ss[1] / sum(ss)),
        "omega", ref((ss[1] - a$Df[1] * a$"Mean Sq"[2]) / (sum(ss) + a$"Mean Sq"[2])), "\n")
    w <- oneway.test(v ~ f, d, var.equal = FALSE)
    cat(name, "welch: F", ref(w$statistic), "df2", ref(w$parameter[2]), "p", ref(w$p.value), "\n")
    med <- ave(d$v, d$f, FUN = median)
    l <- summary(aov(abs(d$v - med) ~ d$f))[[1]]
    cat(name, "levene: F", ref(l$"F value"[1]), "p", ref(l$"Pr(>F)"[1]), "\n")
    t <- TukeyHSD(aov(v ~ f, d))$f
    for (i in seq_len(nrow(t)))
      cat(sprintf("      {%s, %s, %s, %s},  // %s\n", ref(t[i, 1]), ref(t[i, 2]), ref(t[i, 3]), ref(t[i, 4]),
                  rownames(t)[i]))
  }
}
