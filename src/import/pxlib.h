#pragma once
// pxlib is C and its header declares its functions without extern "C".

extern "C" {
#include <paradox.h>
}
