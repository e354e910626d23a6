#include <gtest/gtest.h>

#include "base/manuals.h"

namespace plorimet {
namespace {

TEST(ManualDirectory, FoundProgramFileGivesItsDirectory) {
    EXPECT_EQ(ManualDirectory("C:\\Tools\\Plorimet\\TAVRO_95.EXE", "C:\\Other\\x.exe"), "C:\\Tools\\Plorimet\\");
    EXPECT_EQ(ManualDirectory("Z:\\w\\build\\tavro_95.exe", ""), "Z:\\w\\build\\");
}

TEST(ManualDirectory, RenamedProgramFallsBackToItsOwnDirectory) {
    EXPECT_EQ(ManualDirectory("", "D:\\Apps\\plorimet-1.42.exe"), "D:\\Apps\\");
    // A file that merely ends in the name is not the program.
    EXPECT_EQ(ManualDirectory("C:\\x\\OLDTAVRO_95.EXE", "D:\\Apps\\p.exe"), "D:\\Apps\\");
    EXPECT_EQ(ManualDirectory("", "p.exe"), "");
}

TEST(ManualDirectory, LongDirectoriesAreKeptWhole) {
    const std::string directory = "C:\\" + std::string(240, 'd') + "\\";
    EXPECT_EQ(ManualDirectory(directory + "TAVRO_95.EXE", ""), directory);
}

}  // namespace
}  // namespace plorimet
