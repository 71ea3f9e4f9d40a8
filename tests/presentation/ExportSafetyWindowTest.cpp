// The window's export takes the same safe path as orvane-transfer's: a
// private file keeps its mode, nothing is left beside it, and a failure is
// shown with the file and its cause.

#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <filesystem>
#include <set>

#include "AddressBookFixture.h"
#include "toolkit/FileDialog.h"
#include "toolkit/Testing.h"
#include "toolkit/TestingExtras.h"

using namespace orvane::toolkit;
namespace fs = std::filesystem;

namespace {

class ExportSafetyWindowTest : public AddressBookTest {
protected:
    void SetUp() override {
        folder.InsertAddress("Ann", "Lee", "1 Main St", "K1A", "Ontario", "Canada", "555-1");
        fs::create_directory(out);
        frm().Show();
        sim::ProcessEvents();
    }

    std::set<std::string> Names() const {
        std::set<std::string> names;
        for (const auto& entry : fs::directory_iterator(out)) names.insert(entry.path().filename().string());
        return names;
    }

    void ExportTo(const fs::path& path) {
        dialogs.QueueSave({path.string(), 2});
        sim::ChooseFromContextMenu(frm().lstAddress, -1, "Export Addresses…");
    }

    fs::path out = folder.Root() / "out";
    FileDialogTester dialogs;
};

TEST_F(ExportSafetyWindowTest, APrivateFileStaysPrivateAndAFailureNamesTheFileAndTheCause) {
    const fs::path secret = out / "secret.csv";
    folder.WriteFile("out/secret.csv", "old");
    ASSERT_EQ(::chmod(secret.c_str(), 0600), 0);
    ExportTo(secret);
    struct stat st {};
    ASSERT_EQ(::lstat(secret.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0600u);
    EXPECT_EQ(Names(), std::set<std::string>{"secret.csv"});
    ASSERT_EQ(messages.Shown().size(), 1u);
    EXPECT_EQ(messages.Shown()[0].prompt, "Exported 1 address to secret.csv.");

    // A full device: written into, not replaced. As root, a node of the
    // test's own, so a faulty export cannot replace the machine's /dev/full;
    // otherwise the user's own link to it.
    const fs::path full = out / "full.csv";
    if (::geteuid() == 0)
        ASSERT_EQ(::mknod(full.c_str(), S_IFCHR | 0666, makedev(1, 7)), 0);
    else
        fs::create_symlink("/dev/full", full);
    ExportTo(full);
    ASSERT_EQ(messages.Shown().size(), 2u);
    EXPECT_EQ(messages.Shown()[1].prompt,
              "Path/File access error: No space left on device while writing " + full.string());
    EXPECT_EQ(messages.Shown()[1].style, vbCritical);
    EXPECT_TRUE(fs::is_symlink(full) || fs::is_character_file(full));
    EXPECT_EQ(Names(), (std::set<std::string>{"full.csv", "secret.csv"}));
}

}  // namespace
