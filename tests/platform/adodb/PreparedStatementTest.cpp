#include <gtest/gtest.h>

#include "AdodbTestSupport.h"
#include "adodb/PreparedStatement.h"

using namespace orvane::adodb;
using namespace orvane::adodb::test;

using PreparedStatementTest = DatabaseTest;

TEST_F(PreparedStatementTest, RunsAgainWithNewValuesAndReadsBytesWhole) {
    PreparedStatement insert(connection_, "INSERT INTO tblAddress (ID, FirstName, Address) VALUES (?1, ?2, ?3)");
    const std::string blob("a\0b", 3);
    for (const int id : {7, 3, 5}) {
        insert.Bind(1, id);
        insert.BindText(2, "N" + std::to_string(id));
        insert.BindBlob(3, blob);
        insert.Run();
    }
    PreparedStatement read(connection_, "SELECT ID, FirstName, Address FROM tblAddress WHERE ID >= ?1 ORDER BY ID");
    for (const auto& [from, expected] : {std::pair(1, "3 N3 5 N5 7 N7 "), std::pair(6, "7 N7 ")}) {
        read.Bind(1, from);
        std::string got;
        while (read.Step()) {
            got += std::to_string(read.Int64(0)) + " " + std::string(read.Bytes(1)) + " ";
            EXPECT_EQ(read.Bytes(2), blob);
        }
        read.Reset();
        EXPECT_EQ(got, expected);
    }
    // The connection's rules hold for it as for any statement.
    EXPECT_NE(ErrorOf([&] { PreparedStatement(connection_, "DROP TABLE tblAddress").Run(); }).Description().find("refused"),
              std::string::npos);
}
