// A test of the saver windows changes what the whole process shares: the monitor list, the
// application object and the values the entry would set. This fixture gives each test a fresh
// application titled as the saver's, an empty monitor list, and puts everything back after it,
// so the tests of one program can run in any order.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "forms/application.h"
#include "platform/monitors.h"

class SaverProcessTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;
  TApplication& App() { return *application_; }

 private:
  std::vector<std::unique_ptr<TMonitor>> savedMonitors_;
  std::unique_ptr<TApplication> application_;
};
