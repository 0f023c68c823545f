#include "render/Matrix4.h"

#include <cmath>
#include <utility>

namespace {

// Evaluated in double precision on the single-precision argument, rounded back.
float sine(float angle) {
    return static_cast<float>(std::sin(static_cast<double>(angle)));
}
float cosine(float angle) {
    return static_cast<float>(std::cos(static_cast<double>(angle)));
}
float tangent(float angle) {
    return static_cast<float>(std::tan(static_cast<double>(angle)));
}

} // namespace

Matrix4::Matrix4() : elements{1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1} {}

Matrix4 Matrix4::multiply(const Matrix4& m, const Matrix4& n) {
    Matrix4 result;
    for (int a = 0; a < 4; ++a)
        for (int b = 0; b < 4; ++b) {
            float sum = 0.0f;
            for (int k = 0; k < 4; ++k)
                sum += m.elements[4 * a + k] * n.elements[4 * k + b];
            result.elements[4 * a + b] = sum;
        }
    return result;
}

Matrix4& Matrix4::apply(const Matrix4& op) {
    *this = multiply(*this, op);
    return *this;
}

Matrix4& Matrix4::translate(float x, float y, float z) {
    Matrix4 op;
    op.elements[12] = x;
    op.elements[13] = y;
    op.elements[14] = z;
    return apply(op);
}

Matrix4& Matrix4::rotateX(float angle) {
    const float s = sine(angle), c = cosine(angle);
    Matrix4 op;
    op.elements[5] = c;
    op.elements[6] = s;
    op.elements[9] = -s;
    op.elements[10] = c;
    return apply(op);
}

Matrix4& Matrix4::rotateY(float angle) {
    const float s = sine(angle), c = cosine(angle);
    Matrix4 op;
    op.elements[0] = c;
    op.elements[2] = -s;
    op.elements[8] = s;
    op.elements[10] = c;
    return apply(op);
}

Matrix4& Matrix4::rotateZ(float angle) {
    const float s = sine(angle), c = cosine(angle);
    Matrix4 op;
    op.elements[0] = c;
    op.elements[1] = s;
    op.elements[4] = -s;
    op.elements[5] = c;
    return apply(op);
}

Matrix4& Matrix4::perspective(float fovY, float aspect, float near, float far) {
    const float f = 1.0f / tangent(fovY * 0.5f);
    Matrix4 op;
    op.elements[0] = f / aspect;
    op.elements[5] = f;
    op.elements[10] = (near + far) / (near - far);
    op.elements[11] = -1.0f;
    op.elements[14] = 2.0f * far * near / (near - far);
    op.elements[15] = 0.0f;
    return apply(op);
}

Matrix4& Matrix4::transpose() {
    std::swap(elements[1], elements[4]);
    std::swap(elements[2], elements[8]);
    std::swap(elements[3], elements[12]);
    std::swap(elements[6], elements[9]);
    std::swap(elements[7], elements[13]);
    std::swap(elements[11], elements[14]);
    return *this;
}
