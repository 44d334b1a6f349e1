#include "glcallcounter.h"

#include <GL/gl.h>
#include <dlfcn.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

// Every function counted: its result, name, parameters and arguments. The
// list covers what the viewer calls and the rest of the drawing calls of
// OpenGL 1.1 a drawing could turn to.
#define FACETRY_COUNTED_GL(X)                                                                              \
    X(void, glBegin, (GLenum a), (a))                                                                      \
    X(void, glEnd, (), ())                                                                                 \
    X(void, glVertex2f, (GLfloat a, GLfloat b), (a, b))                                                    \
    X(void, glVertex3f, (GLfloat a, GLfloat b, GLfloat c), (a, b, c))                                      \
    X(void, glVertex3fv, (const GLfloat* a), (a))                                                          \
    X(void, glNormal3f, (GLfloat a, GLfloat b, GLfloat c), (a, b, c))                                      \
    X(void, glNormal3fv, (const GLfloat* a), (a))                                                          \
    X(void, glColor3f, (GLfloat a, GLfloat b, GLfloat c), (a, b, c))                                       \
    X(void, glColor3fv, (const GLfloat* a), (a))                                                           \
    X(void, glColor4f, (GLfloat a, GLfloat b, GLfloat c, GLfloat d), (a, b, c, d))                         \
    X(void, glArrayElement, (GLint a), (a))                                                                \
    X(void, glDrawArrays, (GLenum a, GLint b, GLsizei c), (a, b, c))                                       \
    X(void, glDrawElements, (GLenum a, GLsizei b, GLenum c, const GLvoid* d), (a, b, c, d))                \
    X(void, glVertexPointer, (GLint a, GLenum b, GLsizei c, const GLvoid* d), (a, b, c, d))                \
    X(void, glNormalPointer, (GLenum a, GLsizei b, const GLvoid* c), (a, b, c))                            \
    X(void, glColorPointer, (GLint a, GLenum b, GLsizei c, const GLvoid* d), (a, b, c, d))                 \
    X(void, glInterleavedArrays, (GLenum a, GLsizei b, const GLvoid* c), (a, b, c))                        \
    X(void, glEnableClientState, (GLenum a), (a))                                                          \
    X(void, glDisableClientState, (GLenum a), (a))                                                         \
    X(void, glCallList, (GLuint a), (a))                                                                   \
    X(void, glPointSize, (GLfloat a), (a))                                                                 \
    X(void, glLineWidth, (GLfloat a), (a))                                                                 \
    X(void, glLoadName, (GLuint a), (a))                                                                   \
    X(void, glPushName, (GLuint a), (a))                                                                   \
    X(void, glPopName, (), ())                                                                             \
    X(void, glInitNames, (), ())                                                                           \
    X(GLint, glRenderMode, (GLenum a), (a))                                                                \
    X(void, glEnable, (GLenum a), (a))                                                                     \
    X(void, glDisable, (GLenum a), (a))                                                                    \
    X(void, glShadeModel, (GLenum a), (a))                                                                 \
    X(void, glClear, (GLbitfield a), (a))                                                                  \
    X(void, glFlush, (), ())                                                                               \
    X(void, glFinish, (), ())                                                                              \
    X(void, glMatrixMode, (GLenum a), (a))                                                                 \
    X(void, glLoadIdentity, (), ())                                                                        \
    X(void, glPushMatrix, (), ())                                                                          \
    X(void, glPopMatrix, (), ())                                                                           \
    X(void, glMultMatrixf, (const GLfloat* a), (a))                                                        \
    X(void, glMultMatrixd, (const GLdouble* a), (a))                                                       \
    X(void, glScalef, (GLfloat a, GLfloat b, GLfloat c), (a, b, c))                                        \
    X(void, glTranslatef, (GLfloat a, GLfloat b, GLfloat c), (a, b, c))                                    \
    X(void, glTranslated, (GLdouble a, GLdouble b, GLdouble c), (a, b, c))                                 \
    X(void, glRotatef, (GLfloat a, GLfloat b, GLfloat c, GLfloat d), (a, b, c, d))                         \
    X(void, glViewport, (GLint a, GLint b, GLsizei c, GLsizei d), (a, b, c, d))                            \
    X(void, glGetIntegerv, (GLenum a, GLint* b), (a, b))                                                   \
    X(void, glGetFloatv, (GLenum a, GLfloat* b), (a, b))                                                   \
    X(void, glPushAttrib, (GLbitfield a), (a))                                                             \
    X(void, glPopAttrib, (), ())

namespace {

enum Counted {
#define FACETRY_ENUM(result, name, parameters, arguments) k_##name,
    FACETRY_COUNTED_GL(FACETRY_ENUM)
#undef FACETRY_ENUM
    kCountedFunctions
};

const char* const kNames[] = {
#define FACETRY_NAME(result, name, parameters, arguments) #name,
    FACETRY_COUNTED_GL(FACETRY_NAME)
#undef FACETRY_NAME
};

// Per function, its calls so far. OpenGL is called from one thread.
long long counts[kCountedFunctions];

// The library's own function of that name: the next definition after ours.
void* realFunction(const char* name) {
    void* function = dlsym(RTLD_NEXT, name);
    if (!function) {
        std::fprintf(stderr, "glcallcounter: no %s in the OpenGL library\n", name);
        std::abort();
    }
    return function;
}

}  // namespace

#define FACETRY_WRAP(result, name, parameters, arguments)                                       \
    extern "C" result name parameters {                                                         \
        ++counts[k_##name];                                                                     \
        static const auto real = reinterpret_cast<result(*) parameters>(realFunction(#name));  \
        return real arguments;                                                                  \
    }
FACETRY_COUNTED_GL(FACETRY_WRAP)
#undef FACETRY_WRAP

long long glCallCount() {
    long long total = 0;
    for (long long n : counts) total += n;
    return total;
}

long long glCallCount(const char* function) {
    for (int k = 0; k < kCountedFunctions; ++k)
        if (std::strcmp(kNames[k], function) == 0) return counts[k];
    return 0;
}
