#pragma once
// Counts OpenGL calls: glcallcounter.cpp defines the OpenGL 1.1 functions a
// drawing program uses itself, counts each call and hands it on to the real
// library. Linked into a test executable, it counts that executable's calls;
// built as a library and loaded with LD_PRELOAD (the frame benchmark does),
// a whole program's.

// Calls to any of the counted functions since the process started.
long long glCallCount();
// Calls to the one function of that name (0 for one not counted).
long long glCallCount(const char* function);
