// GL 1.1's strips and matrices, as far as Velmora uses them, on WebGL 1.
// The current matrix, its stack and the current colour are kept here, and
// each vertex is transformed here as it is given, in single precision and
// in the order Mesa computes (column-major matrices, each new one multiplied
// on the right), so that the picture is the desktop's. glEnd hands the
// strip, already in clip coordinates, to one minimal shader.
#include "gl_objects.h"

#include <FL/gl.h>
#include <GLES2/gl2.h>

#include <cmath>
#include <cstddef>
#include <vector>

namespace {

struct Matrix {
    float m[16];  // column-major: m[column * 4 + row]
};

constexpr Matrix identity = {{1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1}};
constexpr int stack_depth = 32;  // the least GL allows for the model-view stack
Matrix stack[stack_depth] = {identity};
int top = 0;  // the current matrix is stack[top]

struct Vertex {
    float clip[4];  // x, y, z, w in clip coordinates
    float colour[3];
};
float colour[3] = {1, 1, 1};
GLenum strip_mode = 0;
std::vector<Vertex> strip;

// The current matrix times b, as Mesa's matmul4.
void multiply(const Matrix& b)
{
    float* a = stack[top].m;
    for (int row = 0; row < 4; ++row) {
        const float a0 = a[row], a1 = a[4 + row], a2 = a[8 + row], a3 = a[12 + row];
        for (int column = 0; column < 4; ++column) {
            const float* bc = b.m + column * 4;
            a[column * 4 + row] = a0 * bc[0] + a1 * bc[1] + a2 * bc[2] + a3 * bc[3];
        }
    }
}

}  // namespace

void make_gl_objects()
{
    const struct {
        GLenum type;
        const char* source;
    } shaders[] = {{GL_VERTEX_SHADER,
                    "attribute vec4 position;"
                    "attribute vec3 colour;"
                    "varying vec3 shade;"
                    "void main() { gl_Position = position; shade = colour; }"},
                   {GL_FRAGMENT_SHADER,
                    "precision mediump float;"  // ample for colours of 8 bits a channel
                    "varying vec3 shade;"
                    "void main() { gl_FragColor = vec4(shade, 1.0); }"}};
    const GLuint program = glCreateProgram();
    for (const auto& [type, source] : shaders) {
        const GLuint shader = glCreateShader(type);
        glShaderSource(shader, 1, &source, nullptr);
        glCompileShader(shader);
        glAttachShader(program, shader);
    }
    glBindAttribLocation(program, 0, "position");
    glBindAttribLocation(program, 1, "colour");
    // Not asked whether it linked: that would wait for the compiler here,
    // instead of letting it work while the page goes on.
    glLinkProgram(program);
    glUseProgram(program);
    GLuint buffer = 0;
    glGenBuffers(1, &buffer);
    glBindBuffer(GL_ARRAY_BUFFER, buffer);
    glVertexAttribPointer(0, 4, GL_FLOAT, GL_FALSE, sizeof(Vertex), nullptr);
    glVertexAttribPointer(1, 3, GL_FLOAT, GL_FALSE, sizeof(Vertex),
                          reinterpret_cast<void*>(offsetof(Vertex, colour)));
    glEnableVertexAttribArray(0);
    glEnableVertexAttribArray(1);
}

void glBegin(GLenum mode)
{
    strip_mode = mode;
    strip.clear();
}

void glColor3f(GLfloat red, GLfloat green, GLfloat blue)
{
    colour[0] = red;
    colour[1] = green;
    colour[2] = blue;
}

void glVertex3f(GLfloat x, GLfloat y, GLfloat z)
{
    const float* m = stack[top].m;
    Vertex vertex = {{}, {colour[0], colour[1], colour[2]}};
    for (int row = 0; row < 4; ++row)
        vertex.clip[row] = m[row] * x + m[4 + row] * y + m[8 + row] * z + m[12 + row];
    strip.push_back(vertex);
}

void glEnd()
{
    const auto bytes = static_cast<GLsizeiptr>(strip.size() * sizeof(Vertex));
    glBufferData(GL_ARRAY_BUFFER, bytes, strip.data(), GL_STREAM_DRAW);
    glDrawArrays(strip_mode, 0, static_cast<GLsizei>(strip.size()));
}

void glLoadIdentity() { stack[top] = identity; }

void glOrtho(GLdouble left, GLdouble right, GLdouble bottom, GLdouble top_edge, GLdouble near_value,
             GLdouble far_value)
{
    // GL's invalid value: nothing happens.
    if (left == right || bottom == top_edge || near_value == far_value) return;
    const float l = static_cast<float>(left), r = static_cast<float>(right);
    const float b = static_cast<float>(bottom), t = static_cast<float>(top_edge);
    const float n = static_cast<float>(near_value), f = static_cast<float>(far_value);
    multiply({{2.0f / (r - l), 0, 0, 0, 0, 2.0f / (t - b), 0, 0, 0, 0, -2.0f / (f - n), 0,
               -(r + l) / (r - l), -(t + b) / (t - b), -(f + n) / (f - n), 1}});
}

void glPushMatrix()
{
    if (top + 1 < stack_depth) {  // else GL's stack overflow: nothing happens
        stack[top + 1] = stack[top];
        ++top;
    }
}

void glPopMatrix()
{
    if (top > 0) --top;
}

// As Mesa: the angle in single precision, its sine and cosine too, and a
// rotation about a coordinate axis made exactly, without the rounding of
// the general formula.
void glRotated(GLdouble angle_degrees, GLdouble axis_x, GLdouble axis_y, GLdouble axis_z)
{
    const float angle = static_cast<float>(angle_degrees);
    float x = static_cast<float>(axis_x);
    float y = static_cast<float>(axis_y);
    float z = static_cast<float>(axis_z);
    if (angle == 0.0f) return;
    const float s = std::sin(static_cast<float>(angle * M_PI / 180.0));
    const float c = std::cos(static_cast<float>(angle * M_PI / 180.0));
    Matrix rotation = identity;
    float* m = rotation.m;
    if (x == 0.0f && y == 0.0f && z != 0.0f) {
        m[0] = m[5] = c;
        m[4] = z < 0.0f ? s : -s;
        m[1] = -m[4];
    } else if (x == 0.0f && z == 0.0f && y != 0.0f) {
        m[0] = m[10] = c;
        m[8] = y < 0.0f ? -s : s;
        m[2] = -m[8];
    } else if (y == 0.0f && z == 0.0f && x != 0.0f) {
        m[5] = m[10] = c;
        m[9] = x < 0.0f ? s : -s;
        m[6] = -m[9];
    } else {
        const float length = std::sqrt(x * x + y * y + z * z);
        if (length <= 1.0e-4f) return;
        x /= length;
        y /= length;
        z /= length;
        const float xx = x * x, yy = y * y, zz = z * z, xy = x * y, yz = y * z, zx = z * x;
        const float xs = x * s, ys = y * s, zs = z * s, one_c = 1.0f - c;
        m[0] = one_c * xx + c;
        m[4] = one_c * xy - zs;
        m[8] = one_c * zx + ys;
        m[1] = one_c * xy + zs;
        m[5] = one_c * yy + c;
        m[9] = one_c * yz - xs;
        m[2] = one_c * zx - ys;
        m[6] = one_c * yz + xs;
        m[10] = one_c * zz + c;
    }
    multiply(rotation);
}

void glTranslatef(GLfloat x, GLfloat y, GLfloat z)
{
    float* m = stack[top].m;
    for (int row = 0; row < 4; ++row)
        m[12 + row] = m[row] * x + m[4 + row] * y + m[8 + row] * z + m[12 + row];
}
