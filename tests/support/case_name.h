// Names each case of a parameterised suite after the case itself, so that a
// test's name says what it checks and stays the same from run to run (the
// default would print the case's bytes, heap addresses included).
#pragma once

#include <gtest/gtest.h>

#include <cctype>
#include <string>

namespace testing_support {

struct CaseName {
  template <class Case>
  std::string operator()(const ::testing::TestParamInfo<Case>& info) const {
    if constexpr (requires { info.param.name; })
      return identifier(info.param.name);
    else
      return identifier(::testing::PrintToString(info.param));
  }

  // GoogleTest takes letters, digits and underscores only.
  static std::string identifier(std::string text) {
    for (char& c : text)
      if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
    return text;
  }
};

}  // namespace testing_support
