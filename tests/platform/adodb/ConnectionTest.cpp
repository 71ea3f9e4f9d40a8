#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include "AdodbTestSupport.h"
#include "adodb/ErrorNumbers.h"
#include "core/App.h"

using namespace orvane::adodb;
using namespace orvane::adodb::test;
using orvane::Variant;

namespace {

constexpr int kEngineError = 1;      // SQLITE_ERROR
constexpr int kEngineReadOnly = 8;   // SQLITE_READONLY
constexpr int kEngineNotADb = 26;    // SQLITE_NOTADB

class ConnectionTest : public ::testing::Test {
protected:
    void SetUp() override { CreateDatabaseFile(database_, kAddressSchema); }

    TempDir dir_;
    std::string database_ = dir_.File("Addressbook.mdb");
};

}  // namespace

TEST_F(ConnectionTest, OpensFromBothOfTheDataTiersStrings) {
    // The data tier appends "\Database\Addressbook.mdb" to the application folder.
    std::filesystem::create_directories(dir_.Root() / "Database");
    std::filesystem::rename(database_, dir_.Root() / "Database" / "Addressbook.mdb");
    const std::string folder = dir_.Root().string();

    Connection connection;
    EXPECT_EQ(connection.State(), adStateClosed);
    connection.SetConnectionString("Provider = Microsoft.jet.OLEDB.4.0;Data Source = " + folder +
                                   "\\Database\\Addressbook.mdb;Persist Security Info=False;");
    connection.Open("", "", "", adOptionUnspecified);
    EXPECT_EQ(connection.State(), adStateOpen);
    connection.Close();
    EXPECT_EQ(connection.State(), adStateClosed);

    connection.Open("Provider=Microsoft.Jet.OLEDB.4.0;Data Source=" + folder +
                    "\\Database\\Addressbook.mdb;Persist Security Info=False;");
    EXPECT_EQ(connection.State(), adStateOpen);
    connection.Execute("INSERT INTO tblAddress (FirstName) VALUES ('Ann')");
    EXPECT_EQ(ReadAll(connection, "SELECT FirstName FROM tblAddress").Array().At(0, 0), Variant("Ann"));
}

TEST_F(ConnectionTest, OpeningAndClosingInTheWrongStateIsAnError) {
    Connection connection;
    EXPECT_EQ(ErrorOf([&] { connection.Close(); }).Number(), aderr::ObjectClosed);
    const auto closed = ErrorOf([&] { connection.Execute("DELETE * FROM tblAddress"); });
    EXPECT_EQ(closed.Number(), aderr::ObjectClosed);
    EXPECT_EQ(closed.Description(), "Operation is not allowed when the object is closed.");
    EXPECT_EQ(ErrorOf([&] { connection.Handle(); }).Number(), aderr::ObjectClosed);

    connection.Open(ConnectionStringFor(database_));
    EXPECT_EQ(ErrorOf([&] { connection.Open(ConnectionStringFor(database_)); }).Number(), aderr::ObjectOpen);
    EXPECT_EQ(ErrorOf([&] { connection.SetConnectionString("x=y"); }).Number(), aderr::ObjectOpen);
    EXPECT_EQ(connection.State(), adStateOpen);
}

TEST_F(ConnectionTest, AMissingFileIsAnErrorAndIsNeverCreated) {
    for (const std::string& missing : {dir_.File("Nothing.mdb"), dir_.File("NoFolder/Addressbook.mdb")}) {
        Connection connection;
        const auto error = ErrorOf([&] { connection.Open(ConnectionStringFor(missing)); });
        EXPECT_NE(error.Number(), 0);
        EXPECT_EQ(error.Description(), "Could not find file '" + missing + "'.");
        EXPECT_EQ(connection.State(), adStateClosed);
        EXPECT_FALSE(std::filesystem::exists(missing));
    }
    EXPECT_FALSE(std::filesystem::exists(dir_.Root() / "NoFolder"));

    // A name that reads like an engine URI is still just a file name.
    const std::string uri = "file:" + dir_.File("Uri.mdb") + "?mode=memory";
    Connection connection;
    EXPECT_THROW(connection.Open(ConnectionStringFor(uri)), orvane::Error);
    EXPECT_FALSE(std::filesystem::exists(dir_.File("Uri.mdb")));
}

TEST_F(ConnectionTest, AFileThatIsNoDatabaseFailsAtOpenAndStaysAsItWas) {
    const std::string bogus = dir_.File("Bogus.mdb");
    const std::string bytes(4096, 'Z');
    std::ofstream(bogus, std::ios::binary) << bytes;

    Connection connection;
    const auto error = ErrorOf([&] { connection.Open(ConnectionStringFor(bogus)); });
    EXPECT_EQ(error.Number() & 0xff, kEngineNotADb);
    EXPECT_NE(error.Description().find("is not a database"), std::string::npos) << error.Description();
    EXPECT_NE(error.Description().find(bogus), std::string::npos);
    EXPECT_EQ(connection.State(), adStateClosed);
    EXPECT_EQ(FileBytes(bogus), bytes);

    EXPECT_THROW(connection.Open(ConnectionStringFor(dir_.Root().string())), orvane::Error);  // a folder
    EXPECT_EQ(connection.State(), adStateClosed);
}

TEST_F(ConnectionTest, AFailedOpenLeavesItClosedAndTheNextOpenTriesAgain) {
    Connection connection;
    connection.SetConnectionString("Provider=Nope;Data Source=" + database_);
    EXPECT_EQ(ErrorOf([&] { connection.Open(); }).Number(), aderr::ProviderNotFound);
    EXPECT_EQ(connection.State(), adStateClosed);
    connection.SetConnectionString(ConnectionStringFor(database_));
    connection.Open();
    EXPECT_EQ(connection.State(), adStateOpen);
}

TEST_F(ConnectionTest, EngineFailuresCarryTheEnginesNumberAndMessage) {
    Connection connection;
    connection.Open(ConnectionStringFor(database_));
    const auto error = ErrorOf([&] { connection.Execute("SELECT * FROM tblMissing"); });
    EXPECT_EQ(error.Number(), kEngineError);
    EXPECT_NE(error.Description().find("no such table: tblMissing"), std::string::npos) << error.Description();
    EXPECT_NE(error.Description().find("SELECT * FROM tblMissing"), std::string::npos) << error.Description();

    EXPECT_THROW(connection.Execute("DELETE * FRM tblAddress"), orvane::Error);
    // One statement per call: the second is refused and the first never runs.
    connection.Execute("INSERT INTO tblAddress (FirstName) VALUES ('Kept')");
    EXPECT_THROW(connection.Execute("DELETE * FROM tblAddress; DROP TABLE tblAddress"), orvane::Error);
    EXPECT_EQ(ReadAll(connection, "SELECT COUNT(*) FROM tblAddress").Array().At(0, 0), Variant(1));
    // A trailing ";" is fine, and the connection stays usable after errors.
    connection.Execute("DELETE * FROM tblAddress WHERE ID= 42;");
    EXPECT_EQ(connection.State(), adStateOpen);
}

TEST_F(ConnectionTest, ALockedDatabaseReportsTheLockAfterWaiting) {
    Connection holder;
    holder.Open(ConnectionStringFor(database_));
    holder.Execute("BEGIN EXCLUSIVE");

    Connection blocked;
    const auto error = ErrorOf([&] { blocked.Open(ConnectionStringFor(database_)); });
    EXPECT_NE(error.Description().find("database is locked"), std::string::npos) << error.Description();
    EXPECT_EQ(blocked.State(), adStateClosed);

    holder.Execute("COMMIT");
    blocked.Open(ConnectionStringFor(database_));
    EXPECT_EQ(blocked.State(), adStateOpen);
}

TEST_F(ConnectionTest, OpenedForReadingItRefusesWritesClearly) {
    Connection connection;
    connection.Open(ConnectionStringFor(database_) + "Mode=Read;");
    EXPECT_TRUE(ReadAll(connection, "SELECT * FROM tblAddress").IsEmpty());
    const auto error = ErrorOf([&] { connection.Execute("INSERT INTO tblAddress (FirstName) VALUES ('x')"); });
    EXPECT_EQ(error.Number() & 0xff, kEngineReadOnly);
    EXPECT_NE(error.Description().find("readonly"), std::string::npos) << error.Description();
}

TEST_F(ConnectionTest, AWriteProtectedFileRefusesWritesClearly) {
    std::filesystem::permissions(database_, std::filesystem::perms::owner_read | std::filesystem::perms::group_read |
                                                std::filesystem::perms::others_read);
    std::filesystem::permissions(dir_.Root(), std::filesystem::perms::owner_all | std::filesystem::perms::group_read |
                                                  std::filesystem::perms::group_exec | std::filesystem::perms::others_read |
                                                  std::filesystem::perms::others_exec);
    // Permission bits do not bind root, so the write is tried as an
    // unprivileged user in a child process, which reports the error number.
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        if (geteuid() == 0 && setuid(65534) != 0) _exit(100);
        try {
            Connection connection;
            connection.Open(ConnectionStringFor(database_));
            connection.Execute("DELETE * FROM tblAddress");
        } catch (const orvane::Error& e) {
            _exit(e.Number() & 0xff);
        }
        _exit(101);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), kEngineReadOnly);
}

TEST_F(ConnectionTest, SchemaChangesOnTheSameConnectionAreSeenByTextJoining) {
    Connection connection;
    connection.Open(ConnectionStringFor(database_));
    EXPECT_TRUE(ReadAll(connection, "SELECT FirstName+LastName FROM tblAddress").IsEmpty());  // schema read now
    connection.Execute("CREATE TABLE tblExtra (Nick VARCHAR(20), Age INTEGER)");
    connection.Execute("INSERT INTO tblExtra VALUES ('7', 3)");
    const Variant row = ReadAll(connection, "SELECT Nick+Nick, Age+Age, Nick+Age FROM tblExtra");
    EXPECT_EQ(row.Array().At(0, 0), Variant("77"));
    EXPECT_EQ(row.Array().At(1, 0), Variant(6));
    EXPECT_EQ(row.Array().At(2, 0), Variant("73"));
}
