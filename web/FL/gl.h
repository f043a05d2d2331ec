// The GL calls Velmora makes, and no others. Five are WebGL's own, the same
// calls under the same names; the strips and the matrices of GL 1.1 are the
// stand-in's, made on WebGL in web/gl.cpp.
#pragma once
#include "Fl.H"

// GL's types and the constants Velmora passes, spelled as GL's headers spell them.
typedef unsigned int GLenum;
typedef unsigned int GLbitfield;
typedef int GLint;
typedef int GLsizei;
typedef float GLfloat;
typedef double GLdouble;
typedef unsigned char GLubyte;
#define GL_DEPTH_BUFFER_BIT               0x00000100
#define GL_COLOR_BUFFER_BIT               0x00004000
#define GL_TRIANGLE_STRIP                 0x0005
#define GL_DEPTH_TEST                     0x0B71
#define GL_VERSION                        0x1F02

extern "C" {
void glViewport(GLint x, GLint y, GLsizei width, GLsizei height);
void glClearColor(GLfloat red, GLfloat green, GLfloat blue, GLfloat alpha);
void glEnable(GLenum capability);
void glClear(GLbitfield mask);
const GLubyte* glGetString(GLenum name);

void glBegin(GLenum mode);
void glColor3f(GLfloat red, GLfloat green, GLfloat blue);
void glVertex3f(GLfloat x, GLfloat y, GLfloat z);
void glEnd();
void glLoadIdentity();
void glOrtho(GLdouble left, GLdouble right, GLdouble bottom, GLdouble top, GLdouble near_value,
             GLdouble far_value);
void glPushMatrix();
void glPopMatrix();
void glRotated(GLdouble angle, GLdouble x, GLdouble y, GLdouble z);
void glTranslatef(GLfloat x, GLfloat y, GLfloat z);
}
