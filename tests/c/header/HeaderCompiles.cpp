// The C header's compile test, compiled as C++.
#include "HeaderCompiles.c"
