// Helpers of the cell post-processing that places markers around slowdowns.
#pragma once

namespace compiler {

// The smaller of the two; `x` on equality.
template <class T>
const T& minimo(const T& x, const T& y) {
  return x > y ? y : x;
}

}  // namespace compiler
