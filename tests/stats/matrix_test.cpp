#include "stats/matrix.h"

#include <gtest/gtest.h>

#include <cmath>

namespace vandro {
namespace {

TMatrix Matrix(std::initializer_list<std::initializer_list<long double>> rows) {
  TMatrix m(rows.size(), rows.begin()->size());
  size_t i = 0;
  for (const auto& row : rows) {
    size_t j = 0;
    for (long double value : row)
      m(i, j++) = value;
    ++i;
  }
  return m;
}

TEST(Matrix, ProductsAndTranspose) {
  const TMatrix a = Matrix({{1, 2, 3}, {4, 5, 6}});
  EXPECT_EQ(Matrix({{1, 4}, {2, 5}, {3, 6}}), Transpose(a));
  EXPECT_EQ(Matrix({{14, 32}, {32, 77}}), Product(a, Transpose(a)));
  EXPECT_EQ((TVector{-2, -2}), Product(a, TVector{1, 0, -1}));
  EXPECT_EQ(32, Dot({1, 2, 3}, {4, 5, 6}));
  EXPECT_THROW(Product(a, a), std::invalid_argument);
}

// A zero first pivot needs a row exchange; elimination without one fails.
TEST(Matrix, SolveAndInverse) {
  const TMatrix a = Matrix({{0, 2, 1}, {1, 1, 1}, {2, 1, 0}});
  TVector x;
  ASSERT_TRUE(Solve(a, {5, 4, 4}, x));
  EXPECT_NEAR(1, x[0], 1e-18L);
  EXPECT_NEAR(2, x[1], 1e-18L);
  EXPECT_NEAR(1, x[2], 1e-18L);
  TMatrix inverse;
  ASSERT_TRUE(Inverse(a, inverse));
  const TMatrix identity = Product(a, inverse);
  for (size_t i = 0; i < 3; ++i)
    for (size_t j = 0; j < 3; ++j)
      EXPECT_NEAR(i == j ? 1 : 0, identity(i, j), 1e-18L);

  // The third row is the sum of the first two.
  const TMatrix singular = Matrix({{1, 2, 3}, {4, 5, 6}, {5, 7, 9}});
  EXPECT_FALSE(Solve(singular, {1, 2, 3}, x));
  EXPECT_FALSE(Inverse(singular, inverse));
}

TEST(Matrix, LeastSquaresByQR) {
  // The line through four points: 1.3 + 1.8 t, residuals 0.2, -0.6, 0.6, -0.2 (R's lm.fit).
  const TMatrix a = Matrix({{1, 0}, {1, 1}, {1, 2}, {1, 3}});
  const THouseholderQR qr(a);
  ASSERT_TRUE(qr.FullRank(1e-12L));
  TVector x;
  long double explained = 0, residual = 0;
  qr.Solve({1.5L, 2.5L, 5.5L, 6.5L}, x, explained, residual);
  EXPECT_NEAR(1.3L, x[0], 1e-17L);
  EXPECT_NEAR(1.8L, x[1], 1e-17L);
  EXPECT_NEAR(0.8L, residual, 1e-17L);
  EXPECT_NEAR(1.5L * 1.5L + 2.5L * 2.5L + 5.5L * 5.5L + 6.5L * 6.5L, explained + residual, 1e-15L);
  // (a^T a)^-1 = [[0.7, -0.3], [-0.3, 0.2]]
  const TVector diagonal = qr.InverseGramDiagonal();
  EXPECT_NEAR(0.7L, diagonal[0], 1e-18L);
  EXPECT_NEAR(0.2L, diagonal[1], 1e-18L);

  EXPECT_FALSE(THouseholderQR(Matrix({{1, 2}, {2, 4}, {3, 6}})).FullRank(1e-12L));
  EXPECT_FALSE(THouseholderQR(Matrix({{1, 0}, {2, 0}, {3, 0}})).FullRank(1e-12L));
}

} // namespace
} // namespace vandro
