#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>

#include "base/file_save.h"

namespace plorimet {
namespace {

namespace fs = std::filesystem;

}  // namespace

void PrintTo(SaveOutcome outcome, std::ostream* out) {
    static const char* const kNames[] = {"Saved", "CannotCreate", "CannotWrite", "ReadOnlyTarget"};
    *out << kNames[static_cast<int>(outcome)];
}

namespace {

std::string Contents(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return "<missing>";
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void Put(const fs::path& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

std::set<std::string> Entries(const fs::path& folder) {
    std::set<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder)) names.insert(entry.path().filename().string());
    return names;
}

void MakeWritable(const fs::path& path) {
    std::error_code ignored;
    fs::permissions(path, fs::perms::owner_write, fs::perm_options::add, ignored);
}

// A fresh folder of the test's own, removed with all it holds.
class SaveTest : public ::testing::Test {
protected:
    void SetUp() override {
        folder_ = fs::temp_directory_path() / ("plorimet-save-" + std::to_string(TemporaryNameNumber() % 1000000000));
        fs::create_directories(folder_);
    }
    void TearDown() override {
        std::error_code ignored;
        for (const auto& entry : fs::recursive_directory_iterator(folder_, ignored)) MakeWritable(entry.path());
        fs::remove_all(folder_, ignored);
    }
    fs::path folder_;
};

TEST(TemporaryFileName, NeverMoreThanTwoBytesLongerThanTheTargetsName) {
    // A longer temporary name took the path past Windows' 259 characters near the dialog's limit.
    const struct {
        size_t targetName;
        size_t expected;
    } cases[] = {{0, 3}, {1, 3}, {4, 6}, {5, 7}, {10, 12}, {11, 12}, {255, 12}};
    for (const auto& c : cases) {
        const std::string name = TemporaryFileName(c.targetName, 0xfedcba9876543210u);
        EXPECT_EQ(name.size(), c.expected) << c.targetName;
        EXPECT_EQ(name[0], '~');
        EXPECT_EQ(name.find_first_not_of("~0123456789abcdefghijklmnopqrstuvwxyz"), std::string::npos) << name;
    }
    EXPECT_NE(TemporaryFileName(5, 1), TemporaryFileName(5, 2));
}

TEST_F(SaveTest, OutcomesLeaveTheTargetWholeAndNoTemporaryFile) {
    // The command line replaced a read-only file.
    const struct {
        const char* what;
        const char* old;       // the target's bytes before, nullptr when there is none
        bool readOnly;
        SaveOutcome outcome;
        const char* after;     // the target's bytes after
    } cases[] = {
        {"new file", nullptr, false, SaveOutcome::Saved, "new\r\n"},
        {"replaced file", "old one, longer than the new\r\n", false, SaveOutcome::Saved, "new\r\n"},
        {"read-only file", "old\r\n", true, SaveOutcome::ReadOnlyTarget, "old\r\n"},
    };
    for (const auto& c : cases) {
        const fs::path target = folder_ / "data.txt";
        if (c.old) Put(target, c.old);
        if (c.readOnly) fs::permissions(target, fs::perms::all & ~fs::perms::owner_write & ~fs::perms::group_write &
                                                    ~fs::perms::others_write);
        EXPECT_EQ(SaveFileReplacing(target.string(), "new\r\n"), c.outcome) << c.what;
        EXPECT_EQ(Contents(target), c.after) << c.what;
        EXPECT_EQ(Entries(folder_), std::set<std::string>{"data.txt"}) << c.what;
        MakeWritable(target);
        fs::remove(target);
    }
}

TEST_F(SaveTest, FoldersCannotBeCreatedOrReplaced) {
    fs::create_directory(folder_ / "folder.txt");
    EXPECT_EQ(SaveFileReplacing((folder_ / "folder.txt").string(), "x"), SaveOutcome::CannotCreate);
    EXPECT_TRUE(fs::is_directory(folder_ / "folder.txt"));
    EXPECT_EQ(SaveFileReplacing((folder_ / "missing" / "a.txt").string(), "x"), SaveOutcome::CannotCreate);
    EXPECT_EQ(SaveFileReplacing(folder_.string() + "/", "x"), SaveOutcome::CannotCreate);
    EXPECT_EQ(Entries(folder_), std::set<std::string>{"folder.txt"});
}

TEST_F(SaveTest, TemporaryNameTakenByAFileOrALinkIsPassedOver) {
    // A fixed temporary name let a planted link send the save into an unrelated file.
    const fs::path target = folder_ / "out.txt";
    const std::string taken = TemporaryFileName(7, 1);
    const std::string linked = TemporaryFileName(7, 2);
    Put(folder_ / taken, "someone else's file");
    Put(folder_ / "victim", "unrelated");
    std::error_code noLinks;
    fs::create_symlink(folder_ / "victim", folder_ / linked, noLinks);
    std::uint64_t next = 1;
    EXPECT_EQ(SaveFileReplacing(target.string(), "saved", [&] { return next++; }), SaveOutcome::Saved);
    EXPECT_EQ(next, noLinks ? 3u : 4u);
    EXPECT_EQ(Contents(target), "saved");
    EXPECT_EQ(Contents(folder_ / taken), "someone else's file");
    EXPECT_EQ(Contents(folder_ / "victim"), "unrelated");
}

TEST_F(SaveTest, EveryPathTheSaveDialogTakesWorks) {
    // Saves into folders of 247 characters and more were refused by the temporary-name function
    // used. The dialog's name buffer holds 257 characters; the folder alone can take 251 of them.
    const std::string base = folder_.string();
    for (size_t folderLength : {200u, 246u, 247u, 250u, 251u}) {
        ASSERT_LT(base.size() + 1, folderLength);
        const fs::path folder = base + "/" + std::string(folderLength - base.size() - 1, 'd');
        std::error_code error;
        fs::create_directory(folder, error);
        ASSERT_FALSE(error) << folderLength << ": " << error.message();
        for (size_t pathLength : {folderLength + 6, size_t{257}}) {
            const std::string name = std::string(pathLength - folderLength - 5, 'n') + ".txt";
            const std::string target = folder.string() + "/" + name;
            ASSERT_EQ(target.size(), pathLength);
            EXPECT_EQ(SaveFileReplacing(target, "pair\r\n"), SaveOutcome::Saved) << target.size();
            EXPECT_EQ(SaveFileReplacing(target, "again\r\n"), SaveOutcome::Saved) << target.size();
            EXPECT_EQ(Contents(target), "again\r\n");
            EXPECT_EQ(Entries(folder), std::set<std::string>{name});
            fs::remove(target);
        }
        fs::remove(folder);
    }
}

}  // namespace
}  // namespace plorimet
