// Outside the compiler, its internal headers are not found.
#include "compiler/passes.h"
