#pragma once
#include "Fl.H"

#include <GL/gl.h>
