// main() of every GUI test binary: the tests run inside a started wx.
#include "tests/gui/support/ShotSupport.h"

#include <gtest/gtest.h>

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    return guitest::RunInsideWx(argv[0], [] { return RUN_ALL_TESTS(); });
}
