#include <gtest/gtest.h>

#include <QApplication>
#include <cstdlib>

#include "platform/StringTable.h"

// Every test program runs without a display: the offscreen platform is chosen here because
// test discovery starts the program outside ctest's environment.
int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QApplication application(argc, argv);
    platform::StringTable::selectLanguage(platform::StringTable::Language::English);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
