#pragma once

// A 4x4 single-precision matrix stored as OpenGL reads it untransposed: element = column * 4 + row.
// Each transform replaces M by Op * M (column vectors), so chained calls apply left to right:
// Matrix4().rotateX(a).translate(x, y, z) rotates first, then moves.
class Matrix4 {
  public:
    Matrix4();

    Matrix4& translate(float x, float y, float z);
    Matrix4& rotateX(float angle);
    Matrix4& rotateY(float angle);
    Matrix4& rotateZ(float angle);
    // Right-handed OpenGL projection: view depths -near..-far map to -1..1.
    Matrix4& perspective(float fovY, float aspect, float near, float far);
    Matrix4& transpose();

    // Apply m, then n (in column-vector notation the product n * m).
    static Matrix4 multiply(const Matrix4& m, const Matrix4& n);

    float& operator[](int index) { return elements[index]; }
    float operator[](int index) const { return elements[index]; }
    const float* data() const { return elements; }

  private:
    Matrix4& apply(const Matrix4& op);

    float elements[16];
};
