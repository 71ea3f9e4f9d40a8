#include <gtest/gtest.h>

#include "AdodbTestSupport.h"
#include "adodb/ConnectionString.h"
#include "adodb/ErrorNumbers.h"

using namespace orvane::adodb;
using namespace orvane::adodb::test;
using orvane::Variant;

namespace {

using ConnectionTest = DatabaseTest;

}  // namespace

TEST(ConnectionString, SplitsPairsWithBlanksTrimmedAndKeysInAnyCase) {
    const auto p = ParseConnectionString(" ;; Data Source = C:\\A b\\x.mdb;Mode\t=  Read ;x=a=b;X=later;k=; ");
    ASSERT_EQ(p.size(), 4u);
    EXPECT_EQ(p.at("DATA SOURCE"), "C:\\A b\\x.mdb");
    EXPECT_EQ(p.at("mode"), "Read");
    EXPECT_EQ(p.at("x"), "later");  // a later key replaces an earlier one
    EXPECT_EQ(p.at("K"), "");
    EXPECT_EQ(ParseConnectionString("y=a=b").at("y"), "a=b");
    EXPECT_TRUE(ParseConnectionString(" ; ;").empty());
    for (const char* bad : {"Provider=Microsoft.Jet.OLEDB.4.0;Addressbook.mdb", " = value"})
        EXPECT_EQ(ErrorOf([&] { ParseConnectionString(bad); }).Number(), aderr::InvalidArgument) << bad;
}

TEST(ConnectionString, QuotedValuesAndDataSourcesThatHoldASemicolon) {
    const auto quoted = ParseConnectionString("Data Source = \"C:\\a;b \"\"q\"\"\" ; Mode='Re;ad'");
    EXPECT_EQ(quoted.at("Data Source"), "C:\\a;b \"q\"");
    EXPECT_EQ(quoted.at("Mode"), "Re;ad");
    for (const char* bad : {"Data Source=\"open", "Data Source='x' y;"})
        EXPECT_EQ(ErrorOf([&] { ParseConnectionString(bad); }).Number(), aderr::InvalidArgument) << bad;

    // An unquoted Data Source runs on until what follows are pairs again.
    const std::pair<std::string, std::string> cases[] = {
        {"Data Source=/x/semi;colon\\Database\\A.mdb;Persist Security Info=False;", "/x/semi;colon\\Database\\A.mdb"},
        {"Data Source=/x/a;Mode=Read\\Database\\A.mdb;Mode=Read", "/x/a;Mode=Read\\Database\\A.mdb"},
        {"Data Source=/x/a;Data Source=b\\A.mdb;", "/x/a;Data Source=b\\A.mdb"},
        {"Data Source=/x/a;b=c;d\\A.mdb", "/x/a;b=c;d\\A.mdb"},
        {"Data Source=a.mdb;Mode=Read;User ID=admin", "a.mdb"},
    };
    for (const auto& [text, source] : cases) EXPECT_EQ(ParseConnectionString(text).at("data source"), source) << text;
    EXPECT_EQ(ParseConnectionString("Data Source=/x/a;Mode=Read\\A.mdb;Mode=Read").at("Mode"), "Read");
}

TEST(ConnectionString, BothOfTheDataTiersStringsNameTheFile) {
    const std::string file = "/srv/or vane\\app\\Database\\Addressbook.mdb";
    for (const std::string& text : {"Provider = Microsoft.jet.OLEDB.4.0;Data Source = " + file + ";Persist Security Info=False;",
                                    "Provider=Microsoft.Jet.OLEDB.4.0;Data Source=" + file + ";Persist Security Info=False;"}) {
        const auto target = ResolveConnectionString(text);
        EXPECT_EQ(target.path, "/srv/or vane/app/Database/Addressbook.mdb") << text;
        EXPECT_FALSE(target.readOnly);
    }
    EXPECT_TRUE(ResolveConnectionString("PROVIDER=MICROSOFT.JET.OLEDB.4.0;data source=x.mdb;mode=read").readOnly);
}

TEST(ConnectionString, UnknownOrMissingProviderAndMissingDataSource) {
    for (const char* text : {"Provider=SQLOLEDB;Data Source=x.mdb", "Data Source=x.mdb",
                             "Provider=Microsoft.Jet.OLEDB.3.51;Data Source=x.mdb"}) {
        const auto error = ErrorOf([&] { ResolveConnectionString(text); });
        EXPECT_EQ(error.Number(), aderr::ProviderNotFound) << text;
        EXPECT_NE(error.Description().find("Provider cannot be found"), std::string::npos) << text;
    }
    for (const char* text : {"Provider=Microsoft.Jet.OLEDB.4.0;Persist Security Info=False;",
                             "Provider=Microsoft.Jet.OLEDB.4.0;Data Source= ;"}) {
        const auto error = ErrorOf([&] { ResolveConnectionString(text); });
        EXPECT_NE(error.Description().find("Data Source"), std::string::npos) << error.Description();
    }
}

TEST_F(ConnectionTest, OpensFromTheDataTiersStringAndAFailedOpenStaysClosed) {
    // The data tier names the file with backslashes, after the application folder.
    const std::string file = dir_.root.string() + "\\Addressbook.mdb;Persist Security Info=False;";
    Connection connection;
    EXPECT_EQ(connection.State(), adStateClosed);
    connection.SetConnectionString("Provider=Nope;Data Source=" + database_);
    EXPECT_EQ(ErrorOf([&] { connection.Open(); }).Number(), aderr::ProviderNotFound);
    EXPECT_EQ(connection.State(), adStateClosed);
    connection.SetConnectionString("Provider = Microsoft.jet.OLEDB.4.0;Data Source = " + file);
    connection.Open("", "", "", adOptionUnspecified);
    EXPECT_EQ(connection.State(), adStateOpen);
    connection.Execute("INSERT INTO tblAddress (FirstName) VALUES ('Ann')");
    connection.Close();
    EXPECT_EQ(connection.State(), adStateClosed);
    EXPECT_EQ(ReadAll(connection_, "SELECT FirstName FROM tblAddress"), Rows(1, 1, {"Ann"}));
}

TEST_F(ConnectionTest, OpeningAndClosingInTheWrongStateIsAnError) {
    Connection connection;
    EXPECT_EQ(ErrorOf([&] { connection.Close(); }).Number(), aderr::ObjectClosed);
    const auto closed = ErrorOf([&] { connection.Execute("DELETE * FROM tblAddress"); });
    EXPECT_EQ(closed.Number(), aderr::ObjectClosed);
    EXPECT_EQ(closed.Description(), "Operation is not allowed when the object is closed.");
    EXPECT_EQ(ErrorOf([&] { connection.Handle(); }).Number(), aderr::ObjectClosed);

    EXPECT_EQ(ErrorOf([&] { connection_.Open(ConnectionStringFor(database_)); }).Number(), aderr::ObjectOpen);
    EXPECT_EQ(ErrorOf([&] { connection_.SetConnectionString("x=y"); }).Number(), aderr::ObjectOpen);
    EXPECT_EQ(connection_.State(), adStateOpen);
}

TEST_F(ConnectionTest, MissingFilesAreNeverCreated) {
    for (const std::string& missing : {dir_.File("Nothing.mdb"), dir_.File("NoFolder/Addressbook.mdb")}) {
        Connection connection;
        const auto error = ErrorOf([&] { connection.Open(ConnectionStringFor(missing)); });
        EXPECT_EQ(error.Number(), kEngineCantOpen);
        EXPECT_EQ(error.Description(), "Could not find file '" + missing + "'.");
        EXPECT_EQ(connection.State(), adStateClosed);
    }
    EXPECT_FALSE(std::filesystem::exists(dir_.root / "Nothing.mdb"));
    EXPECT_FALSE(std::filesystem::exists(dir_.root / "NoFolder"));
    // A name that reads like an engine URI is still just a file name.
    Connection connection;
    EXPECT_EQ(ErrorOf([&] { connection.Open(ConnectionStringFor("file:" + dir_.File("Uri.mdb") + "?mode=memory")); }).Number(),
              kEngineCantOpen);
    EXPECT_FALSE(std::filesystem::exists(dir_.File("Uri.mdb")));
    EXPECT_EQ(ErrorOf([&] { connection.Open(ConnectionStringFor(dir_.root.string())); }).Number(), kEngineCantOpen);  // a folder
    EXPECT_EQ(connection.State(), adStateClosed);
}

TEST_F(ConnectionTest, EngineFailuresCarryTheEnginesNumberAndMessage) {
    const auto error = ErrorOf([&] { connection_.Execute("SELECT * FROM tblMissing"); });
    EXPECT_EQ(error.Number(), kEngineError);
    EXPECT_NE(error.Description().find("no such table: tblMissing"), std::string::npos) << error.Description();
    EXPECT_NE(error.Description().find("SELECT * FROM tblMissing"), std::string::npos) << error.Description();

    EXPECT_EQ(ErrorOf([&] { connection_.Execute("DELETE * FRM tblAddress"); }).Number(), kEngineError);
    // One statement per call: the second is refused and the first never runs.
    connection_.Execute("INSERT INTO tblAddress (FirstName) VALUES ('Kept')");
    EXPECT_EQ(ErrorOf([&] { connection_.Execute("DELETE * FROM tblAddress; DROP TABLE tblAddress"); }).Number(),
              aderr::ErrorsInCommand);
    EXPECT_EQ(ReadAll(connection_, "SELECT COUNT(*) FROM tblAddress"), Rows(1, 1, {1}));
    // A trailing ";" is fine, and the connection stays usable after errors.
    connection_.Execute("DELETE * FROM tblAddress WHERE ID= 42;");
    EXPECT_EQ(connection_.State(), adStateOpen);
}

TEST_F(ConnectionTest, OpenedForReadingItRefusesWritesClearly) {
    Connection connection;
    connection.Open(ConnectionStringFor(database_) + "Mode=Read;");
    EXPECT_TRUE(ReadAll(connection, "SELECT * FROM tblAddress").IsEmpty());
    const auto error = ErrorOf([&] { connection.Execute("INSERT INTO tblAddress (FirstName) VALUES ('x')"); });
    EXPECT_EQ(error.Number() & 0xff, kEngineReadOnly);
    EXPECT_NE(error.Description().find("readonly"), std::string::npos) << error.Description();
}

// The program never changes the structure of a file with its own statements;
// the one way a connection lets through is CreateObject, and only for the
// object it names. The file is left as it was by each refusal.
TEST_F(ConnectionTest, StructureChangesAreRefusedButTheNamedObjectOfCreateObject) {
    const auto schema = [&] { return ReadAll(connection_, "SELECT type, name, sql FROM sqlite_master ORDER BY name"); };
    const Variant before = schema();
    for (const char* statement :
         {"CREATE TABLE tblOther (x TEXT)", "CREATE INDEX ixName ON tblAddress (LastName)",
          "CREATE TRIGGER wipe AFTER INSERT ON tblAddress BEGIN DELETE FROM tblAddress; END",
          "CREATE VIEW vAll AS SELECT * FROM tblAddress", "CREATE TEMP TABLE tmp (x)", "DROP TABLE SavedQueries",
          "ALTER TABLE tblAddress ADD COLUMN Email TEXT", "ALTER TABLE tblAddress RENAME TO tblGone",
          "CREATE VIRTUAL TABLE vt USING fts4(x)", "ANALYZE"}) {
        const auto error = ErrorOf([&] { connection_.Execute(statement); });
        EXPECT_EQ(error.Number(), 23) << statement;  // the engine's authorization error
        EXPECT_NE(error.Description().find("change the structure of the database"), std::string::npos)
            << statement << ": " << error.Description();
    }
    EXPECT_EQ(schema(), before);

    // The named object, its engine-made index, the counter table of
    // AUTOINCREMENT, and an index on a table that already has rows.
    connection_.CreateObject("CREATE TABLE Notes (Key TEXT PRIMARY KEY, ID INTEGER)", "Notes");
    connection_.CreateObject("CREATE TABLE Log (ID INTEGER PRIMARY KEY AUTOINCREMENT, Line TEXT)", "Log");
    connection_.Execute("INSERT INTO Notes VALUES ('a', 1)");
    connection_.CreateObject("CREATE INDEX NotesByID ON Notes (ID)", "NotesByID");
    EXPECT_EQ(ReadAll(connection_, "SELECT name FROM sqlite_master WHERE name LIKE 'Notes%' OR name = 'Log' ORDER BY name"),
              Rows(1, 3, {"Log", "Notes", "NotesByID"}));

    // Anything else under that name, or another object, is refused.
    const Variant after = schema();
    for (const auto& [statement, name] : std::vector<std::pair<std::string, std::string>>{
             {"CREATE TABLE Other (x)", "Notes2"},
             {"CREATE TRIGGER Trap AFTER INSERT ON Notes BEGIN DELETE FROM tblAddress; END", "Trap"},
             {"CREATE VIEW Peek AS SELECT * FROM tblAddress", "Peek"},
             {"DROP TABLE Notes", "Notes"},
             {"ALTER TABLE Notes ADD COLUMN y", "Notes"},
             {"CREATE INDEX Sneak ON tblAddress (Phone)", "Notes"}})
        EXPECT_EQ(ErrorOf([&] { connection_.CreateObject(statement, name); }).Number(), 23) << statement;
    EXPECT_EQ(schema(), after);
    // AlterTable adds a column to the table it names, and to no other.
    EXPECT_EQ(ErrorOf([&] { connection_.AlterTable("ALTER TABLE tblAddress ADD COLUMN y", "Notes"); }).Number(), 23);
    connection_.AlterTable("ALTER TABLE Notes ADD COLUMN y", "Notes");
    EXPECT_EQ(ReadAll(connection_, "SELECT y FROM Notes"), Rows(1, 1, {kNull}));
    // The scope ends with the call.
    EXPECT_EQ(ErrorOf([&] { connection_.Execute("CREATE TABLE Notes2 (x)"); }).Number(), 23);
}
