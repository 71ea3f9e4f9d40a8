// Exports into folders other users can write to, onto files that are not
// plain files, over private files, and onto a full device: what is found
// there is never written through, reused or replaced, and a failure says
// which file and why.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <termios.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <sstream>
#include <string>

#include "FileBytes.h"
#include "ErrorOf.h"
#include "TempAppFolder.h"
#include "core/Error.h"
#include "transfer/AddressExporter.h"

using orvane::test::ReadFileBytes;
using orvane::test::TempAppFolder;
using orvane::test::WriteFileBytes;
using orvane::transfer::AddressExporter;
using orvane::transfer::TransferFormat;
namespace fs = std::filesystem;

namespace {

constexpr uid_t kNobody = 65534;

struct stat LinkStatus(const fs::path& path) {
    struct stat st {};
    EXPECT_EQ(::lstat(path.c_str(), &st), 0) << path;
    return st;
}

std::set<std::string> Names(const fs::path& folder) {
    std::set<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder)) names.insert(entry.path().filename().string());
    return names;
}

// Sets the process's umask for the life of the object.
class Umask {
public:
    explicit Umask(mode_t mask) : old_(::umask(mask)) {}
    ~Umask() { ::umask(old_); }
    Umask(const Umask&) = delete;
    Umask& operator=(const Umask&) = delete;

private:
    mode_t old_;
};

class ExportSafetyTest : public ::testing::Test {
protected:
    TempAppFolder folder;
    fs::path shared = folder.Root() / "shared";

    void SetUp() override {
        folder.InsertAddress("Ann", "Lee", "1 Main St", "K1A", "Ontario", "Canada", "555-1");
        folder.InsertAddress("Bob", "Ray");
        fs::create_directory(shared);
        fs::permissions(shared, fs::perms::all | fs::perms::sticky_bit);
    }

    // What an export in the format gives, as the file should hold it.
    static std::string Expected(TransferFormat format) {
        std::ostringstream out;
        AddressExporter().Export(out, format);
        return out.str();
    }

    // The description of the error the export of path fails with.
    static std::string FailureOf(const fs::path& path) {
        try {
            AddressExporter().ExportToFile(path.string(), TransferFormat::Csv);
        } catch (const orvane::Error& e) {
            EXPECT_EQ(e.Number(), 75);
            return e.Description();
        }
        return "no failure";
    }
};

TEST_F(ExportSafetyTest, APlantedPartialFileIsNeitherWrittenThroughNorReused) {
    const fs::path victim = folder.Root() / "victim.txt", target = shared / "out.vcf";
    WriteFileBytes(victim, "precious");
    fs::create_symlink(victim, shared / "out.vcf.part");
    fs::create_symlink(folder.Root() / "created.txt", shared / "new.csv.part");

    EXPECT_EQ(AddressExporter().ExportToFile(target.string(), TransferFormat::VCard4), 2u);
    EXPECT_EQ(ReadFileBytes(target), Expected(TransferFormat::VCard4));
    EXPECT_TRUE(S_ISREG(LinkStatus(target).st_mode));
    EXPECT_EQ(ReadFileBytes(victim), "precious");
    EXPECT_TRUE(fs::is_symlink(shared / "out.vcf.part"));

    AddressExporter().ExportToFile((shared / "new.csv").string(), TransferFormat::Csv);
    EXPECT_FALSE(fs::exists(folder.Root() / "created.txt"));
    EXPECT_EQ(ReadFileBytes(shared / "new.csv"), Expected(TransferFormat::Csv));

    // A plain file planted under the name (by another user, where this
    // runs as root) is left alone; the export is a file of its own.
    const fs::path planted = shared / "plain.csv.part";
    WriteFileBytes(planted, "planted");
    ::chmod(planted.c_str(), 0666);
    if (::geteuid() == 0) {
        EXPECT_EQ(::chown(planted.c_str(), kNobody, kNobody), 0);
    }
    {
        Umask mask(0022);
        AddressExporter().ExportToFile((shared / "plain.csv").string(), TransferFormat::Csv);
    }
    EXPECT_EQ(ReadFileBytes(planted), "planted");
    const struct stat exported = LinkStatus(shared / "plain.csv");
    EXPECT_NE(exported.st_ino, LinkStatus(planted).st_ino);
    EXPECT_EQ(exported.st_uid, ::geteuid());
    EXPECT_EQ(exported.st_mode & 07777, 0644u);
}

// A file that is not a plain file, made for one case: where the export goes,
// what kind of file it must stay, and where what was written can be read
// (-1: nowhere). The descriptors are closed when it goes.
struct SpecialFile {
    fs::path path;
    mode_t kind = 0;
    int readEnd = -1;
    int held = -1;
    ~SpecialFile() {
        if (held >= 0) ::close(held);
        if (readEnd >= 0) ::close(readEnd);
    }
};

// A FIFO, opened for reading first so the export's open finds a reader (the
// export is small enough for the pipe's buffer).
void MakeFifo(const fs::path& shared, SpecialFile& file) {
    file = {shared / "pipe.csv", S_IFIFO};
    ASSERT_EQ(::mkfifo(file.path.c_str(), 0600), 0);
    file.readEnd = ::open(file.path.c_str(), O_RDONLY | O_NONBLOCK);
    ASSERT_GE(file.readEnd, 0);
}

// A terminal, held open so its output waits for the read; raw, so the bytes
// arrive as written.
void MakeTerminal(const fs::path&, SpecialFile& file) {
    file.readEnd = ::posix_openpt(O_RDWR | O_NOCTTY);
    ASSERT_GE(file.readEnd, 0);
    ASSERT_EQ(::grantpt(file.readEnd), 0);
    ASSERT_EQ(::unlockpt(file.readEnd), 0);
    file.path = ::ptsname(file.readEnd);
    file.kind = S_IFCHR;
    file.held = ::open(file.path.c_str(), O_RDWR | O_NOCTTY);
    ASSERT_GE(file.held, 0);
    struct termios raw {};
    ::tcgetattr(file.held, &raw);
    ::cfmakeraw(&raw);
    ::tcsetattr(file.held, TCSANOW, &raw);
    ::fcntl(file.readEnd, F_SETFL, O_NONBLOCK);
}

// A null device of the test's own, so a faulty export cannot harm the
// machine's /dev/null; making one needs root (the terminal covers devices).
void MakeNullDevice(const fs::path& shared, SpecialFile& file) {
    if (::geteuid() != 0) return;
    file = {shared / "null", S_IFCHR};
    ASSERT_EQ(::mknod(file.path.c_str(), S_IFCHR | 0666, makedev(1, 3)), 0);
}

TEST_F(ExportSafetyTest, AFifoATerminalAndANullDeviceReceiveTheExportAndStayWhatTheyAre) {
    for (const auto make : {MakeFifo, MakeTerminal, MakeNullDevice}) {
        SpecialFile file;
        make(shared, file);
        ASSERT_FALSE(HasFatalFailure());
        if (file.path.empty()) continue;  // not made here
        SCOPED_TRACE(file.path);
        const struct stat before = LinkStatus(file.path);
        EXPECT_EQ(AddressExporter().ExportToFile(file.path.string(), TransferFormat::Csv), 2u);
        if (file.readEnd >= 0) {
            std::string received;
            char buffer[4096];
            for (ssize_t n; (n = ::read(file.readEnd, buffer, sizeof buffer)) > 0;)
                received.append(buffer, static_cast<std::size_t>(n));
            EXPECT_EQ(received, Expected(TransferFormat::Csv));
        }
        const struct stat after = LinkStatus(file.path);
        EXPECT_EQ(after.st_mode & S_IFMT, file.kind);
        EXPECT_EQ(after.st_rdev, before.st_rdev);
        if (file.path.parent_path() == shared) {
            EXPECT_EQ(Names(shared), std::set<std::string>{file.path.filename().string()});
            fs::remove(file.path);
        }
    }
}

TEST_F(ExportSafetyTest, AFullDeviceGivesTheCauseAndTheName) {
    fs::path full = "/dev/full";
    if (::geteuid() == 0) {
        full = shared / "full";
        ASSERT_EQ(::mknod(full.c_str(), S_IFCHR | 0666, makedev(1, 7)), 0);
    }
    EXPECT_EQ(FailureOf(full), "Path/File access error: No space left on device while writing " + full.string());
    EXPECT_TRUE(S_ISCHR(LinkStatus(full).st_mode));
}

// A stream that takes every write into its buffer and fails only when the
// buffer is handed on at the end, as a pipe or a full disk may.
class FailsAtFlush : public std::stringbuf {
    int sync() override { return -1; }
};

TEST_F(ExportSafetyTest, AStreamThatFailsOnlyAtItsLastFlushIsAFailure) {
    FailsAtFlush buffer;
    std::ostream out(&buffer);
    for (const TransferFormat format : {TransferFormat::Csv, TransferFormat::VCard4}) {
        out.clear();
        EXPECT_EQ(orvane::test::ErrorNumberOf([&] { AddressExporter().Export(out, format); }), 75);
    }
}

TEST_F(ExportSafetyTest, AnExistingFileKeepsItsModeAndOwnerANewOneGetsTheUmask) {
    const fs::path secret = shared / "secret.vcf";
    WriteFileBytes(secret, "old");
    ASSERT_EQ(::chmod(secret.c_str(), 0600), 0);
    const bool root = ::geteuid() == 0;
    if (root) {
        ASSERT_EQ(::chown(secret.c_str(), kNobody, kNobody), 0);
    }
    AddressExporter().ExportToFile(secret.string(), TransferFormat::VCard3);
    EXPECT_EQ(ReadFileBytes(secret), Expected(TransferFormat::VCard3));
    struct stat st = LinkStatus(secret);
    EXPECT_EQ(st.st_mode & 07777, 0600u);
    if (root) {
        EXPECT_EQ(st.st_uid, kNobody);
        EXPECT_EQ(st.st_gid, kNobody);
    }

    const fs::path wide = shared / "wide.csv";
    WriteFileBytes(wide, "old");
    ASSERT_EQ(::chmod(wide.c_str(), 0664), 0);
    {
        Umask mask(0077);
        AddressExporter().ExportToFile(wide.string(), TransferFormat::Csv);
    }
    EXPECT_EQ(LinkStatus(wide).st_mode & 07777, 0664u);

    for (const mode_t mask : {mode_t{0027}, mode_t{0077}, mode_t{0002}}) {
        const fs::path fresh = shared / ("fresh" + std::to_string(mask) + ".csv");
        {
            Umask set(mask);
            AddressExporter().ExportToFile(fresh.string(), TransferFormat::Csv);
        }
        EXPECT_EQ(LinkStatus(fresh).st_mode & 07777, 0666u & ~mask) << mask;
    }
}

TEST_F(ExportSafetyTest, TheUsersOwnLinkIsFollowedAnotherUsersIsRefused) {
    const fs::path real = folder.Root() / "real.vcf", link = shared / "link.vcf";
    WriteFileBytes(real, "old");
    ASSERT_EQ(::chmod(real.c_str(), 0600), 0);
    fs::create_symlink(real, link);
    AddressExporter().ExportToFile(link.string(), TransferFormat::VCard4);
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_EQ(ReadFileBytes(real), Expected(TransferFormat::VCard4));
    EXPECT_EQ(LinkStatus(real).st_mode & 07777, 0600u);
    EXPECT_EQ(Names(shared), std::set<std::string>{"link.vcf"});
    EXPECT_EQ(Names(folder.Root()), (std::set<std::string>{"Database", "Documents", "Lists", "real.vcf", "shared"}));

    if (::geteuid() != 0) return;  // only root can plant a link as another user here
    WriteFileBytes(real, "precious");
    const fs::path planted = shared / "planted.vcf";
    fs::create_symlink(real, planted);
    ASSERT_EQ(::lchown(planted.c_str(), kNobody, kNobody), 0);
    EXPECT_EQ(FailureOf(planted), "Path/File access error: " + planted.string() +
                                      " is a symbolic link of another user; it is not followed");
    EXPECT_EQ(ReadFileBytes(real), "precious");
    EXPECT_TRUE(fs::is_symlink(planted));
}

TEST_F(ExportSafetyTest, AFolderIsRefusedAndAFailedExportLeavesNoTemporaryFile) {
    fs::create_directory(shared / "folder.csv");
    EXPECT_EQ(FailureOf(shared / "folder.csv"),
              "Path/File access error: " + (shared / "folder.csv").string() + " is a folder, not a file");
    EXPECT_TRUE(fs::is_directory(shared / "folder.csv"));

    // The longest name a file may have is written like any other.
    const fs::path longest = shared / (std::string(251, 'n') + ".csv");
    EXPECT_EQ(AddressExporter().ExportToFile(longest.string(), TransferFormat::Csv), 2u);
    EXPECT_EQ(ReadFileBytes(longest), Expected(TransferFormat::Csv));
    fs::remove(longest);

    EXPECT_EQ(FailureOf(shared / "missing" / "x.csv"),
              "Path/File access error: No such file or directory while writing " + (shared / "missing" / "x.csv").string());

    // A database that cannot be read fails the export after the file was begun.
    WriteFileBytes(folder.DatabaseFile(), std::string(4096, 'x'));
    const fs::path out = shared / "out.csv";
    WriteFileBytes(out, "kept");
    EXPECT_EQ(orvane::test::ErrorNumberOf([&] { AddressExporter().ExportToFile(out.string(), TransferFormat::Csv); }),
              orvane::test::kEngineNotADatabase);
    EXPECT_EQ(ReadFileBytes(out), "kept");
    EXPECT_EQ(Names(shared), (std::set<std::string>{"folder.csv", "out.csv"}));
}

}  // namespace
