// The one way a fuzz check says which invariant an input broke: it returns
// the condition's text.
#pragma once

#define REQUIRE(condition)               \
  do {                                   \
    if (!(condition)) return #condition; \
  } while (0)
