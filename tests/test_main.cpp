// main() of the GoogleTest programs: exits with QUELLIX_SKIP_RETURN_CODE when every test
// that ran was skipped (a language or a system feature this build or machine lacks), so
// that ctest reports the program as skipped rather than passed.
#include <gtest/gtest.h>

int main(int argc, char** argv) {
  testing::InitGoogleTest(&argc, argv);
  const int status = RUN_ALL_TESTS();
  const testing::UnitTest& unit = *testing::UnitTest::GetInstance();
  if (status == 0 && unit.successful_test_count() == 0 && unit.skipped_test_count() > 0)
    return QUELLIX_SKIP_RETURN_CODE;
  return status;
}
