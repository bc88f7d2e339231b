// Dense matrices and vectors of long double for the regression: products,
// linear systems, and least squares by Householder QR.
#pragma once

#include <cstddef>
#include <vector>

namespace vandro {

using TVector = std::vector<long double>;

// Row-major, rows x columns.
class TMatrix {
public:
  TMatrix() = default;
  TMatrix(size_t rows, size_t columns, long double value = 0)
      : rows_(rows), columns_(columns), items_(rows * columns, value) {}
  static TMatrix Identity(size_t size);

  size_t Rows() const { return rows_; }
  size_t Columns() const { return columns_; }
  long double& operator()(size_t row, size_t column) { return items_[row * columns_ + column]; }
  long double operator()(size_t row, size_t column) const {
    return items_[row * columns_ + column];
  }
  bool operator==(const TMatrix&) const = default;

private:
  size_t rows_ = 0;
  size_t columns_ = 0;
  std::vector<long double> items_;
};

TMatrix Transpose(const TMatrix& a);
// a b; the columns of a must match the rows of b.
TMatrix Product(const TMatrix& a, const TMatrix& b);
// a v; the columns of a must match the size of v.
TVector Product(const TMatrix& a, const TVector& v);
long double Dot(const TVector& a, const TVector& b);

// x with a x = v for a square a, by Gauss-Jordan elimination with partial
// pivoting. False when a is singular: a pivot column without an element
// above n * epsilon times the largest element of a.
bool Solve(const TMatrix& a, const TVector& v, TVector& x);
// The inverse of a square a, solved column by column; false when singular.
bool Inverse(const TMatrix& a, TMatrix& inverse);

// The QR factorisation of an m x n matrix a (m >= n) by Householder
// reflections: a = Q R, Q orthogonal, R upper triangular. Solving least
// squares through it avoids squaring the condition of a, which forming
// a^T a would do.
class THouseholderQR {
public:
  explicit THouseholderQR(const TMatrix& a);

  // Whether every |R(j, j)| exceeds tolerance times the norm of column j of
  // a: no column lies (numerically) in the span of the columns before it.
  bool FullRank(long double tolerance) const;

  // x minimising |a x - y|, and the squared norms of the parts of y inside
  // the column space of a (explained) and orthogonal to it (residual).
  // Requires FullRank.
  void Solve(const TVector& y, TVector& x, long double& explained, long double& residual) const;

  // The diagonal of (a^T a)^-1 = R^-1 R^-T. Requires FullRank.
  TVector InverseGramDiagonal() const;
  // v^T (a^T a)^-1 v = |R^-T v|^2. Requires FullRank.
  long double InverseGramForm(const TVector& v) const;

private:
  // Q^T y, by the stored reflections.
  TVector ApplyTransposeQ(TVector y) const;

  size_t rows_;
  size_t columns_;
  TMatrix factors_;     // R above the diagonal, the reflection vectors on and below it
  TVector diagonal_;    // R(j, j)
  TVector columnNorms_; // |column j of a|
};

} // namespace vandro
