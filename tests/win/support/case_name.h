// Names of parameterised cases: each case carries a description (`name`), and GoogleTest's
// test name is made from it, so that "Enter on Ok" runs as .../EnterOnOk.
#pragma once

#include <gtest/gtest.h>

#include <cctype>
#include <string>

struct CaseName {
  template <class Case>
  std::string operator()(const ::testing::TestParamInfo<Case>& info) const {
    std::string name;
    bool wordStart = true;
    for (const char* c = info.param.name; *c; ++c) {
      const unsigned char letter = static_cast<unsigned char>(*c);
      if (!std::isalnum(letter)) {
        wordStart = true;
        continue;
      }
      name += static_cast<char>(wordStart ? std::toupper(letter) : letter);
      wordStart = false;
    }
    return name;
  }
};
