#include "stats/matrix.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <stdexcept>

namespace vandro {

TMatrix TMatrix::Identity(size_t size) {
  TMatrix identity(size, size);
  for (size_t i = 0; i < size; ++i)
    identity(i, i) = 1;
  return identity;
}

TMatrix Transpose(const TMatrix& a) {
  TMatrix t(a.Columns(), a.Rows());
  for (size_t i = 0; i < a.Rows(); ++i)
    for (size_t j = 0; j < a.Columns(); ++j)
      t(j, i) = a(i, j);
  return t;
}

TMatrix Product(const TMatrix& a, const TMatrix& b) {
  if (a.Columns() != b.Rows()) throw std::invalid_argument("Matrix sizes do not match");
  TMatrix c(a.Rows(), b.Columns());
  for (size_t i = 0; i < a.Rows(); ++i)
    for (size_t k = 0; k < a.Columns(); ++k)
      for (size_t j = 0; j < b.Columns(); ++j)
        c(i, j) += a(i, k) * b(k, j);
  return c;
}

TVector Product(const TMatrix& a, const TVector& v) {
  if (a.Columns() != v.size()) throw std::invalid_argument("Matrix sizes do not match");
  TVector result(a.Rows(), 0);
  for (size_t i = 0; i < a.Rows(); ++i)
    for (size_t j = 0; j < a.Columns(); ++j)
      result[i] += a(i, j) * v[j];
  return result;
}

long double Dot(const TVector& a, const TVector& b) {
  if (a.size() != b.size()) throw std::invalid_argument("Vector sizes do not match");
  long double sum = 0;
  for (size_t i = 0; i < a.size(); ++i)
    sum += a[i] * b[i];
  return sum;
}

bool Solve(const TMatrix& a, const TVector& v, TVector& x) {
  const size_t n = a.Rows();
  if (a.Columns() != n || v.size() != n) throw std::invalid_argument("Matrix sizes do not match");
  // The augmented matrix [a | v].
  TMatrix m(n, n + 1);
  long double largest = 0;
  for (size_t i = 0; i < n; ++i) {
    for (size_t j = 0; j < n; ++j) {
      m(i, j) = a(i, j);
      largest = std::max(largest, std::fabs(a(i, j)));
    }
    m(i, n) = v[i];
  }
  // Below this a pivot is rounding left over from a column that depends on
  // the others.
  const long double negligible =
      largest * static_cast<long double>(n) * std::numeric_limits<long double>::epsilon();
  for (size_t i = 0; i < n; ++i) {
    size_t pivot = i;
    for (size_t r = i + 1; r < n; ++r)
      if (std::fabs(m(r, i)) > std::fabs(m(pivot, i))) pivot = r;
    if (!(std::fabs(m(pivot, i)) > negligible)) return false;
    if (pivot != i)
      for (size_t j = 0; j <= n; ++j)
        std::swap(m(i, j), m(pivot, j));
    const long double divisor = m(i, i);
    for (size_t j = i; j <= n; ++j)
      m(i, j) /= divisor;
    for (size_t r = 0; r < n; ++r) {
      if (r == i || m(r, i) == 0) continue;
      const long double multiple = m(r, i);
      for (size_t j = i; j <= n; ++j)
        m(r, j) -= multiple * m(i, j);
    }
  }
  x.resize(n);
  for (size_t i = 0; i < n; ++i)
    x[i] = m(i, n);
  return true;
}

bool Inverse(const TMatrix& a, TMatrix& inverse) {
  const size_t n = a.Rows();
  TMatrix result(n, n);
  TVector unit(n, 0), column;
  for (size_t j = 0; j < n; ++j) {
    unit.assign(n, 0);
    unit[j] = 1;
    if (!Solve(a, unit, column)) return false;
    for (size_t i = 0; i < n; ++i)
      result(i, j) = column[i];
  }
  inverse = std::move(result);
  return true;
}

THouseholderQR::THouseholderQR(const TMatrix& a)
    : rows_(a.Rows()), columns_(a.Columns()), factors_(a), diagonal_(a.Columns(), 0),
      columnNorms_(a.Columns(), 0) {
  if (rows_ < columns_) throw std::invalid_argument("Fewer rows than columns");
  for (size_t j = 0; j < columns_; ++j) {
    long double norm = 0;
    for (size_t i = 0; i < rows_; ++i)
      norm = std::hypot(norm, a(i, j));
    columnNorms_[j] = norm;
  }
  for (size_t k = 0; k < columns_; ++k) {
    long double norm = 0;
    for (size_t i = k; i < rows_; ++i)
      norm = std::hypot(norm, factors_(i, k));
    if (norm == 0) {
      diagonal_[k] = 0;
      continue;
    }
    // The reflection that maps column k below the diagonal onto -+norm e_k,
    // with the sign that avoids cancellation; v is stored scaled so that
    // v_k = 1 + |x_k| / norm and H = I - v v^T / v_k.
    if (factors_(k, k) < 0) norm = -norm;
    for (size_t i = k; i < rows_; ++i)
      factors_(i, k) /= norm;
    factors_(k, k) += 1;
    for (size_t j = k + 1; j < columns_; ++j) {
      long double s = 0;
      for (size_t i = k; i < rows_; ++i)
        s += factors_(i, k) * factors_(i, j);
      s = -s / factors_(k, k);
      for (size_t i = k; i < rows_; ++i)
        factors_(i, j) += s * factors_(i, k);
    }
    diagonal_[k] = -norm;
  }
}

bool THouseholderQR::FullRank(long double tolerance) const {
  for (size_t j = 0; j < columns_; ++j)
    if (!(std::fabs(diagonal_[j]) > tolerance * columnNorms_[j])) return false;
  return true;
}

TVector THouseholderQR::ApplyTransposeQ(TVector y) const {
  for (size_t k = 0; k < columns_; ++k) {
    if (diagonal_[k] == 0) continue;
    long double s = 0;
    for (size_t i = k; i < rows_; ++i)
      s += factors_(i, k) * y[i];
    s = -s / factors_(k, k);
    for (size_t i = k; i < rows_; ++i)
      y[i] += s * factors_(i, k);
  }
  return y;
}

void THouseholderQR::Solve(const TVector& y, TVector& x, long double& explained,
                           long double& residual) const {
  const TVector qy = ApplyTransposeQ(y);
  explained = residual = 0;
  for (size_t i = 0; i < rows_; ++i)
    (i < columns_ ? explained : residual) += qy[i] * qy[i];
  // Back substitution in R x = (Q^T y)[0..n).
  x.assign(columns_, 0);
  for (size_t k = columns_; k-- > 0;) {
    long double s = qy[k];
    for (size_t j = k + 1; j < columns_; ++j)
      s -= factors_(k, j) * x[j];
    x[k] = s / diagonal_[k];
  }
}

TVector THouseholderQR::InverseGramDiagonal() const {
  // Row i of R^-1 by back substitution; (R^-1 R^-T)(i, i) is its squared norm.
  const size_t n = columns_;
  TMatrix inverse(n, n);
  for (size_t k = n; k-- > 0;) {
    inverse(k, k) = 1 / diagonal_[k];
    for (size_t j = k + 1; j < n; ++j) {
      long double s = 0;
      for (size_t m = k + 1; m <= j; ++m)
        s += factors_(k, m) * inverse(m, j);
      inverse(k, j) = -s / diagonal_[k];
    }
  }
  TVector result(n, 0);
  for (size_t i = 0; i < n; ++i)
    for (size_t j = i; j < n; ++j)
      result[i] += inverse(i, j) * inverse(i, j);
  return result;
}

long double THouseholderQR::InverseGramForm(const TVector& v) const {
  // w = R^-T v by forward substitution: R^T is lower triangular.
  TVector w(columns_, 0);
  long double sum = 0;
  for (size_t i = 0; i < columns_; ++i) {
    long double s = v[i];
    for (size_t m = 0; m < i; ++m)
      s -= factors_(m, i) * w[m];
    w[i] = s / diagonal_[i];
    sum += w[i] * w[i];
  }
  return sum;
}

} // namespace vandro
