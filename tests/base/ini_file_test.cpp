#include "base/ini_file.h"

#include <gtest/gtest.h>

#include <string>

#include "support/files.h"
#include "support/scratch_directory.h"

namespace tolvan {
namespace {

using testing::read_file;
using testing::write_file;

TEST(IniFileRead, MissingSectionOrKeyGivesTheFallback) {
    const IniFile file = IniFile::parse("[Ram]\nKo=8\n");
    EXPECT_EQ(file.get("Ram", "Ko", "16"), "8");
    EXPECT_EQ(file.get("Ram", "Other", "fallback"), "fallback");
    EXPECT_EQ(file.get("Horloge", "Ko", "fallback"), "fallback");
    EXPECT_EQ(IniFile::parse("").get("Ram", "Ko", "16"), "16");
}

TEST(IniFileRead, NamesMatchWithoutRegardToCaseAndBlanks) {
    const IniFile file = IniFile::parse("  [ram interne]\n  fileRam \t=  a b.ram \t\n");
    EXPECT_EQ(file.get("Ram Interne", "FILERAM", ""), "a b.ram");
    EXPECT_EQ(file.get("RAM INTERNE", "fileram", ""), "a b.ram");
}

TEST(IniFileRead, ValueIsEverythingAfterTheFirstEqualsSign) {
    const IniFile file = IniFile::parse("[S]\nk=a=b\nempty=\n");
    EXPECT_EQ(file.get("S", "k", ""), "a=b");
    EXPECT_EQ(file.get("S", "empty", "fallback"), "");
}

TEST(IniFileRead, KeysOnlyCountInsideTheirSection) {
    const IniFile file = IniFile::parse("k=outside\n[A]\nx=1\n[B]\nk=inside B\n");
    EXPECT_EQ(file.get("A", "k", "none"), "none");
    EXPECT_EQ(file.get("B", "k", "none"), "inside B");
}

TEST(IniFileRead, LinesWithoutEqualsSignAreIgnored) {
    const IniFile file = IniFile::parse("[S]\nk\n; k=comment\nk=value\n");
    EXPECT_EQ(file.get("S", "k", ""), "value");
}

TEST(IniFileRead, FirstDuplicateWins) {
    const IniFile file = IniFile::parse("[S]\nk=first\nk=second\n[s]\nk=third\nj=other\n");
    EXPECT_EQ(file.get("S", "k", ""), "first");
    // The second section of the same name is not looked at.
    EXPECT_EQ(file.get("S", "j", "none"), "none");
}

TEST(IniFileRead, CrLfLineEndsAndByteOrderMark) {
    const IniFile file = IniFile::parse("\xEF\xBB\xBF[S]\r\nk=v\r\nlast=no line end");
    EXPECT_EQ(file.get("S", "k", ""), "v");
    EXPECT_EQ(file.get("S", "last", ""), "no line end");
    EXPECT_EQ(file.text(), "[S]\r\nk=v\r\nlast=no line end\r\n");
    // CR alone, as some editors still write it, ends lines too.
    const IniFile cr_only = IniFile::parse("[S]\rk=v\r\r[T]\rk=w\r");
    EXPECT_EQ(cr_only.get("S", "k", ""), "v");
    EXPECT_EQ(cr_only.get("T", "k", ""), "w");
    EXPECT_EQ(cr_only.text(), "[S]\rk=v\r\r[T]\rk=w\r");
    EXPECT_EQ(IniFile::parse("\xEF\xBB\xBF\xEF\xBB\xBF[S]\nk=v\n").get("S", "k", ""), "v");
}

TEST(IniFileRead, LongValuesAreCutTo255Characters) {
    const std::string long_value(300, 'x');
    const IniFile file = IniFile::parse("[S]\nk=" + long_value + "\n");
    EXPECT_EQ(file.get("S", "k", ""), std::string(kIniValueCapacity, 'x'));

    // A cut that falls just after a blank does not leave the blank at the end.
    const std::string spaced = std::string(254, 'y') + "  tail";
    EXPECT_EQ(IniFile::parse("[S]\nk=" + spaced).get("S", "k", ""), std::string(254, 'y'));
}

TEST(IniFileWrite, ReplacesInPlaceKeepingEverythingElse) {
    const std::string before =
        "; emulator settings\n"
        "[Registres]\n"
        "# program counter\n"
        "pc = 5\n"
        "Unknown=kept\n"
        "\n"
        "[Mine]\n"
        "x=1\n";
    IniFile file = IniFile::parse(before);
    file.set("REGISTRES", "PC", "61711");
    EXPECT_EQ(file.text(),
              "; emulator settings\n"
              "[Registres]\n"
              "# program counter\n"
              "pc = 61711\n"
              "Unknown=kept\n"
              "\n"
              "[Mine]\n"
              "x=1\n");
}

TEST(IniFileWrite, ReplacesOnlyTheFirstDuplicate) {
    IniFile file = IniFile::parse("[S]\nk=1\nk=2\n[S]\nk=3\n");
    file.set("S", "k", "9");
    EXPECT_EQ(file.text(), "[S]\nk=9\nk=2\n[S]\nk=3\n");
}

TEST(IniFileWrite, NewKeyGoesAfterTheLastEntryOfItsSection) {
    IniFile file = IniFile::parse("[A]\na=1\n\n; about B\n[B]\nb=2\n");
    file.set("a", "new", "x");
    file.set("B", "other", "y");
    EXPECT_EQ(file.text(), "[A]\na=1\nnew=x\n\n; about B\n[B]\nb=2\nother=y\n");
}

TEST(IniFileWrite, NewSectionGoesAtTheEnd) {
    IniFile file;
    file.set("Ram", "Ko", "16");
    file.set("Registres", "PC", "0");
    file.set("Ram", "Extra", "1");
    EXPECT_EQ(file.text(), "[Ram]\nKo=16\nExtra=1\n[Registres]\nPC=0\n");
}

TEST(IniFileWrite, ValueStopsAtALineBreak) {
    // Otherwise a file name could smuggle in keys or sections of its own.
    IniFile file;
    file.set("Fichiers", "FileRAM", "a.ram\n[Registres]\nPC=1");
    EXPECT_EQ(file.text(), "[Fichiers]\nFileRAM=a.ram\n");
    EXPECT_EQ(file.get("Registres", "PC", "none"), "none");
}

class IniFileOnDisk : public testing::ScratchDirectoryTest {};

TEST_F(IniFileOnDisk, MissingFileIsEmpty) {
    const auto file = IniFile::load("absent.ini");
    ASSERT_TRUE(file.has_value());
    EXPECT_TRUE(file->lines.empty());
}

TEST_F(IniFileOnDisk, UnreadableFileIsNotMistakenForAnEmptyOne) {
    std::filesystem::create_directory("a directory.ini");
    EXPECT_FALSE(IniFile::load("a directory.ini").has_value());
}

TEST_F(IniFileOnDisk, SaveKeepsTheLineEndsAndLoadReadsItBack) {
    write_file("t.ini", "; comment\r\n[S]\r\nk=1\r\n");
    auto file = IniFile::load("t.ini");
    ASSERT_TRUE(file.has_value());
    file->set("S", "k", "2");
    ASSERT_TRUE(file->save("t.ini"));
    EXPECT_EQ(read_file("t.ini"), "; comment\r\n[S]\r\nk=2\r\n");
    EXPECT_EQ(IniFile::load("t.ini")->get("s", "K", ""), "2");
}

}  // namespace
}  // namespace tolvan
