#include <gtest/gtest.h>

#include "support/recording_reporter.h"

CRecordingReporter& Reporter() {
  static CRecordingReporter reporter;
  return reporter;
}

namespace {
// Each test starts with no messages left over from another.
class CClearMessages : public ::testing::EmptyTestEventListener {
  void OnTestStart(const ::testing::TestInfo&) override { Reporter().Take(); }
};
}  // namespace

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  SetReporter(&Reporter());
  ::testing::UnitTest::GetInstance()->listeners().Append(new CClearMessages);
  return RUN_ALL_TESTS();
}
