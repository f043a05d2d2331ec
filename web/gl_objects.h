// What the toolkit side (fl.cpp) asks of the stand-in's GL (gl.cpp).
#pragma once

// Makes the program and vertex buffer that the strips are drawn with, in
// the current WebGL context: once it is made, and again when the browser
// gives back a context it took away, whose objects went with it.
void make_gl_objects();
