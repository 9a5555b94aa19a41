// Every copy of the convolver's loops against the plain one, on the counts
// and lengths where the vector loops hand over to their remainders, and the
// spectrum products against the complex products they stand for.

#include "cabinet/ConvolverKernels.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>
#include <vector>

namespace {

std::vector<double> noise(std::size_t n, unsigned seed)
{
    std::mt19937 rng(seed);
    std::uniform_real_distribution<double> dist(-1.0, 1.0);
    std::vector<double> x(n);
    for (double& v : x)
        v = dist(rng);
    return x;
}

bool sameBits(double a, double b) { return std::memcmp(&a, &b, sizeof a) == 0; }

std::vector<const ConvolverKernels*> vectorCopies()
{
    std::vector<const ConvolverKernels*> copies{&kBaselineConvolverKernels};
    if (&ConvolverKernels::best() != &kBaselineConvolverKernels)
        copies.push_back(&ConvolverKernels::best());
    return copies;
}

} // namespace

TEST(ConvolverKernels, HeadBlockEqualsHeadSampleForEveryCount)
{
    const ConvolverKernels& plain = kPlainConvolverKernels;
    for (int b : {4, 8, 64, 128}) {
        const std::vector<double> taps = noise(std::size_t(b), 1);
        std::vector<double> line = noise(std::size_t(b - 1 + 40), 2);
        // A negative zero product must survive as in the reference sums.
        line[std::size_t(b)] = -0.0;
        for (const ConvolverKernels* kernels : vectorCopies()) {
            for (int count = 1; count <= 40; ++count) {
                SCOPED_TRACE(std::string(kernels->name) + " b=" + std::to_string(b) + " count=" + std::to_string(count));
                std::vector<double> out(std::size_t(count), 99.0);
                kernels->headBlock(taps.data(), line.data(), out.data(), b, count);
                for (int i = 0; i < count; ++i) {
                    const double expected = plain.headSample(taps.data(), line.data() + i, b);
                    ASSERT_TRUE(sameBits(out[std::size_t(i)], expected)) << "output " << i;
                    ASSERT_TRUE(sameBits(kernels->headSample(taps.data(), line.data() + i, b), expected)) << "output " << i;
                }
            }
        }
    }
}

TEST(ConvolverKernels, HeadOfSilenceIsPositiveZero)
{
    const std::vector<double> taps(64, -0.5);
    const std::vector<double> line(63 + 9, 0.0);
    for (const ConvolverKernels* kernels : vectorCopies()) {
        std::vector<double> out(9, 1.0);
        kernels->headBlock(taps.data(), line.data(), out.data(), 64, 9);
        for (double v : out)
            EXPECT_TRUE(sameBits(v, 0.0)) << kernels->name;
    }
}

// The product of two grouped spectra, written packed, against the complex
// product of the packed spectra bin by bin (with the two real bins), and
// every vector copy against the plain loop bit for bit.
TEST(ConvolverKernels, SpectrumProductsOfGroupedSpectraAreThePackedProducts)
{
    for (int n : {8, 16, 32, 128, 1024, 2048}) {
        const std::size_t size = std::size_t(n);
        const std::vector<double> x = noise(size, 3);
        const std::vector<double> h = noise(size, 4);
        std::vector<double> gx(size), gh(size);
        groupSpectrum(x.data(), gx.data(), n);
        groupSpectrum(h.data(), gh.data(), n);
        std::vector<double> expected(size, 99.0);
        kPlainConvolverKernels.multiplySpectra(gx.data(), gh.data(), expected.data(), n);
        const std::size_t m = size / 2;
        EXPECT_EQ(expected[0], x[0] * h[0]) << "n=" << n;
        EXPECT_EQ(expected[m], x[m] * h[m]) << "n=" << n;
        for (std::size_t k = 1; k < m; ++k) {
            ASSERT_EQ(expected[k], x[k] * h[k] - x[m + k] * h[m + k]) << "n=" << n << " bin " << k;
            ASSERT_EQ(expected[m + k], x[k] * h[m + k] + x[m + k] * h[k]) << "n=" << n << " bin " << k;
        }
        for (const ConvolverKernels* kernels : vectorCopies()) {
            std::vector<double> p(size, 99.0);
            kernels->multiplySpectra(gx.data(), gh.data(), p.data(), n);
            for (std::size_t i = 0; i < size; ++i)
                ASSERT_TRUE(sameBits(p[i], expected[i])) << kernels->name << " n=" << n << " value " << i;
        }
    }
}

// Grouping moves every value of a packed spectrum to groupedIndex() and
// nowhere else; spectra of a single group keep the packed layout.
TEST(ConvolverKernels, GroupingMovesEveryValueOnce)
{
    for (int i = 0; i < 8; ++i)
        EXPECT_EQ(groupedIndex(i, 8), i);
    for (int n : {8, 16, 64, 1024}) {
        std::vector<double> packed(static_cast<std::size_t>(n)), grouped(static_cast<std::size_t>(n), -1.0);
        for (int i = 0; i < n; ++i)
            packed[std::size_t(i)] = double(i);
        groupSpectrum(packed.data(), grouped.data(), n);
        std::vector<int> hits(std::size_t(n), 0);
        for (int i = 0; i < n; ++i) {
            const int place = groupedIndex(i, n);
            ASSERT_GE(place, 0);
            ASSERT_LT(place, n);
            ++hits[std::size_t(place)];
            EXPECT_EQ(grouped[std::size_t(place)], double(i)) << "n=" << n << " value " << i;
        }
        for (int hit : hits)
            EXPECT_EQ(hit, 1);
    }
    // Bin 1's real and imaginary parts of a 32-value spectrum, and the real
    // bin 16 in bin 0's imaginary place.
    EXPECT_EQ(groupedIndex(1, 32), 1);
    EXPECT_EQ(groupedIndex(17, 32), 9);
    EXPECT_EQ(groupedIndex(16, 32), 8);
    EXPECT_EQ(groupedIndex(9, 32), 17);
}

// The seven due products summed in one go against products formed one by one
// and summed in the stage's order, for lengths shorter than one run of the
// loop and longer.
TEST(ConvolverKernels, SummedProductsEqualProductsSummedInOrder)
{
    for (int n : {8, 16, 32, 128, 1024, 2048}) {
        const std::size_t size = std::size_t(n);
        std::vector<std::vector<double>> spectra;
        for (unsigned j = 0; j < 7; ++j)
            spectra.push_back(noise(size, 10 + j));
        const std::vector<double> partitions = noise(7 * size, 20);
        const double* x[7];
        for (std::size_t j = 0; j < 7; ++j)
            x[j] = spectra[j].data();

        std::vector<std::vector<double>> d(7, std::vector<double>(size));
        for (std::size_t j = 0; j < 7; ++j)
            kPlainConvolverKernels.multiplySpectra(x[j], partitions.data() + j * size, d[j].data(), n);
        std::vector<double> expected(size);
        for (std::size_t i = 0; i < size; ++i)
            expected[i] = ((d[0][i] + d[1][i]) + (d[2][i] + d[3][i])) + ((d[4][i] + d[5][i]) + d[6][i]);

        std::vector<const ConvolverKernels*> copies = vectorCopies();
        copies.push_back(&kPlainConvolverKernels);
        for (const ConvolverKernels* kernels : copies) {
            std::vector<double> acc(size, 99.0);
            kernels->sumProducts(x, partitions.data(), acc.data(), n);
            for (std::size_t i = 0; i < size; ++i)
                ASSERT_TRUE(sameBits(acc[i], expected[i])) << kernels->name << " n=" << n << " value " << i;
        }
    }
}
