#include "yuv420.h"

#ifdef __SSE2__
#include <emmintrin.h>
#endif

namespace {

// BT.709 in 1.15 fixed point, scaled to limited range (luma 16-235, chroma 16-240), each chroma
// row rounded so that it sums to 0 and greys keep their chroma at exactly 128. Small enough for
// 16-bit multiplies of a chroma sum of four pixels.
const int shift = 15;
const int yR = 5983, yG = 20127, yB = 2032;    // 0.2126, 0.7152, 0.0722 x 219/255
const int uR = -3298, uG = -11094, uB = 14392; // (B - Y) / 1.8556 x 224/255
const int vR = 14392, vG = -13072, vB = -1320; // (R - Y) / 1.5748 x 224/255
const int lumaBias = (16 << shift) + (1 << (shift - 1));
// Chroma comes from the sum of four pixels: two more bits to take off.
const int chromaShift = shift + 2;
const int chromaBias = (128 << chromaShift) + (1 << (chromaShift - 1));

inline std::uint8_t luma(const std::uint8_t* p) {
    return static_cast<std::uint8_t>((yR * p[0] + yG * p[1] + yB * p[2] + lumaBias) >> shift);
}

// Pixels [from, width) of two picture rows, one pixel at a time.
void convertPlainly(const std::uint8_t* top, const std::uint8_t* below, int from, int width,
                    std::uint8_t* yTop, std::uint8_t* yBelow, std::uint8_t* u, std::uint8_t* v) {
    for (int x = from; x < width; x += 2) {
        const std::uint8_t* a = top + x * 4;
        const std::uint8_t* b = below + x * 4;
        yTop[x] = luma(a);
        yTop[x + 1] = luma(a + 4);
        yBelow[x] = luma(b);
        yBelow[x + 1] = luma(b + 4);
        const int r = a[0] + a[4] + b[0] + b[4];
        const int g = a[1] + a[5] + b[1] + b[5];
        const int bl = a[2] + a[6] + b[2] + b[6];
        u[x / 2] =
            static_cast<std::uint8_t>((uR * r + uG * g + uB * bl + chromaBias) >> chromaShift);
        v[x / 2] =
            static_cast<std::uint8_t>((vR * r + vG * g + vB * bl + chromaBias) >> chromaShift);
    }
}

#ifdef __SSE2__
// Products of 16-bit RGBA with (c0, c1, c2, 0) per pixel, summed per pixel: [a] holds pixels
// 0 and 1, [b] pixels 2 and 3; the result is their four 32-bit sums.
inline __m128i dotPerPixel(__m128i a, __m128i b, __m128i coefficients) {
    const __m128 pa = _mm_castsi128_ps(_mm_madd_epi16(a, coefficients));
    const __m128 pb = _mm_castsi128_ps(_mm_madd_epi16(b, coefficients));
    return _mm_add_epi32(_mm_castps_si128(_mm_shuffle_ps(pa, pb, _MM_SHUFFLE(2, 0, 2, 0))),
                         _mm_castps_si128(_mm_shuffle_ps(pa, pb, _MM_SHUFFLE(3, 1, 3, 1))));
}

// Sixteen pixels of one row into sixteen luma bytes.
inline __m128i lumaOf16(const std::uint8_t* p) {
    const __m128i zero = _mm_setzero_si128();
    const __m128i coefficients = _mm_setr_epi16(yR, yG, yB, 0, yR, yG, yB, 0);
    const __m128i bias = _mm_set1_epi32(lumaBias);
    __m128i quarters[4];
    for (int i = 0; i < 4; ++i) {
        const __m128i pixels = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 16 * i));
        const __m128i sums = dotPerPixel(_mm_unpacklo_epi8(pixels, zero),
                                         _mm_unpackhi_epi8(pixels, zero), coefficients);
        quarters[i] = _mm_srai_epi32(_mm_add_epi32(sums, bias), shift);
    }
    return _mm_packus_epi16(_mm_packs_epi32(quarters[0], quarters[1]),
                            _mm_packs_epi32(quarters[2], quarters[3]));
}

// The 16-bit RGBA sums of the two 2x2 blocks in four pixels of two rows.
inline __m128i blockSums(const std::uint8_t* a, const std::uint8_t* b) {
    const __m128i zero = _mm_setzero_si128();
    const __m128i rowA = _mm_loadu_si128(reinterpret_cast<const __m128i*>(a));
    const __m128i rowB = _mm_loadu_si128(reinterpret_cast<const __m128i*>(b));
    const __m128i left =
        _mm_add_epi16(_mm_unpacklo_epi8(rowA, zero), _mm_unpacklo_epi8(rowB, zero));
    const __m128i right =
        _mm_add_epi16(_mm_unpackhi_epi8(rowA, zero), _mm_unpackhi_epi8(rowB, zero));
    return _mm_unpacklo_epi64(_mm_add_epi16(left, _mm_srli_si128(left, 8)),
                              _mm_add_epi16(right, _mm_srli_si128(right, 8)));
}

// Two halves of 32-bit chroma sums into eight chroma bytes.
inline void storeChroma(const __m128i (&halves)[2], std::uint8_t* out) {
    const __m128i bias = _mm_set1_epi32(chromaBias);
    const __m128i words =
        _mm_packs_epi32(_mm_srai_epi32(_mm_add_epi32(halves[0], bias), chromaShift),
                        _mm_srai_epi32(_mm_add_epi32(halves[1], bias), chromaShift));
    _mm_storel_epi64(reinterpret_cast<__m128i*>(out), _mm_packus_epi16(words, words));
}

// Eight 2x2 blocks (sixteen pixels of two rows) into eight U and eight V bytes; both come from
// the same block sums.
inline void chromaOf16(const std::uint8_t* a, const std::uint8_t* b, std::uint8_t* u,
                       std::uint8_t* v) {
    const __m128i uCoefficients = _mm_setr_epi16(uR, uG, uB, 0, uR, uG, uB, 0);
    const __m128i vCoefficients = _mm_setr_epi16(vR, vG, vB, 0, vR, vG, vB, 0);
    __m128i uHalves[2], vHalves[2];
    for (int i = 0; i < 2; ++i) {
        const __m128i left = blockSums(a + 32 * i, b + 32 * i);
        const __m128i right = blockSums(a + 32 * i + 16, b + 32 * i + 16);
        uHalves[i] = dotPerPixel(left, right, uCoefficients);
        vHalves[i] = dotPerPixel(left, right, vCoefficients);
    }
    storeChroma(uHalves, u);
    storeChroma(vHalves, v);
}

// The pixels of two rows that come in whole runs of sixteen; returns how many that is.
int convertFast(const std::uint8_t* top, const std::uint8_t* below, int width, std::uint8_t* yTop,
                std::uint8_t* yBelow, std::uint8_t* u, std::uint8_t* v) {
    const int whole = width / 16 * 16;
    for (int x = 0; x < whole; x += 16) {
        _mm_storeu_si128(reinterpret_cast<__m128i*>(yTop + x), lumaOf16(top + x * 4));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(yBelow + x), lumaOf16(below + x * 4));
        chromaOf16(top + x * 4, below + x * 4, u + x / 2, v + x / 2);
    }
    return whole;
}
#else
int convertFast(const std::uint8_t*, const std::uint8_t*, int, std::uint8_t*, std::uint8_t*,
                std::uint8_t*, std::uint8_t*) {
    return 0;
}
#endif

} // namespace

void rgbaToYuv420(const std::uint8_t* rgba, int width, int height, std::uint8_t* yuv) {
    const std::size_t stride = std::size_t(width) * 4;
    std::uint8_t* u = yuv + std::size_t(width) * height;
    std::uint8_t* v = u + std::size_t(width / 2) * (height / 2);
    for (int row = 0; row < height; row += 2) {
        // Picture rows `row` and `row + 1` are GL rows counted from the bottom.
        const std::uint8_t* top = rgba + std::size_t(height - 1 - row) * stride;
        const std::uint8_t* below = top - stride;
        std::uint8_t* yTop = yuv + std::size_t(row) * width;
        std::uint8_t* yBelow = yTop + width;
        const int done = convertFast(top, below, width, yTop, yBelow, u, v);
        convertPlainly(top, below, done, width, yTop, yBelow, u, v);
        u += width / 2;
        v += width / 2;
    }
}
