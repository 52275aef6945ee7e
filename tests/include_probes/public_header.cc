// Any room may include the compiler's public header.
#include "compiler/compile.h"
