#include <gtest/gtest.h>

#include "AdodbTestSupport.h"
#include "adodb/ConnectionString.h"
#include "adodb/ErrorNumbers.h"

using namespace orvane::adodb;
using orvane::adodb::test::ErrorOf;

TEST(ConnectionString, SplitsPairsWithBlanksTrimmedAndKeysInAnyCase) {
    const auto p = ParseConnectionString(
        "Provider = Microsoft.jet.OLEDB.4.0;Data Source = C:\\Apps\\Orvane\\Database\\Addressbook.mdb;Persist Security Info=False;");
    ASSERT_EQ(p.size(), 3u);
    EXPECT_EQ(p.at("provider"), "Microsoft.jet.OLEDB.4.0");
    EXPECT_EQ(p.at("DATA SOURCE"), "C:\\Apps\\Orvane\\Database\\Addressbook.mdb");
    EXPECT_EQ(p.at("Persist Security Info"), "False");

    const auto q = ParseConnectionString(" ;; Mode\t=  Read ;x=a=b;X=later; ");
    ASSERT_EQ(q.size(), 2u);
    EXPECT_EQ(q.at("mode"), "Read");
    EXPECT_EQ(q.at("x"), "later");  // a later key replaces an earlier one
    EXPECT_TRUE(ParseConnectionString("").empty());
    EXPECT_TRUE(ParseConnectionString(" ; ;").empty());
    EXPECT_EQ(ParseConnectionString("k=").at("K"), "");
}

TEST(ConnectionString, RefusesSegmentsThatAreNoPairs) {
    EXPECT_EQ(ErrorOf([] { ParseConnectionString("Provider=Microsoft.Jet.OLEDB.4.0;Addressbook.mdb"); }).Number(),
              aderr::InvalidArgument);
    EXPECT_THROW(ParseConnectionString(" = value"), orvane::Error);
}

TEST(ConnectionString, BothOfTheDataTiersStringsNameTheFile) {
    const std::string folder = "/srv/or vane\\app";
    const auto first = ResolveConnectionString("Provider = Microsoft.jet.OLEDB.4.0;Data Source = " + folder +
                                               "\\Database\\Addressbook.mdb;Persist Security Info=False;");
    const auto second = ResolveConnectionString("Provider=Microsoft.Jet.OLEDB.4.0;Data Source=" + folder +
                                                "\\Database\\Addressbook.mdb;Persist Security Info=False;");
    EXPECT_EQ(first.path, "/srv/or vane/app/Database/Addressbook.mdb");
    EXPECT_EQ(second.path, first.path);
    EXPECT_FALSE(first.readOnly);
    EXPECT_TRUE(ResolveConnectionString("PROVIDER=MICROSOFT.JET.OLEDB.4.0;data source=x.mdb;mode=read").readOnly);
}

TEST(ConnectionString, UnknownOrMissingProviderAndMissingDataSource) {
    const auto unknown = ErrorOf([] { ResolveConnectionString("Provider=SQLOLEDB;Data Source=x.mdb"); });
    EXPECT_EQ(unknown.Number(), aderr::ProviderNotFound);
    EXPECT_NE(unknown.Description().find("Provider cannot be found"), std::string::npos);
    EXPECT_EQ(ErrorOf([] { ResolveConnectionString("Data Source=x.mdb"); }).Number(), aderr::ProviderNotFound);
    EXPECT_EQ(ErrorOf([] { ResolveConnectionString("Provider=Microsoft.Jet.OLEDB.3.51;Data Source=x.mdb"); }).Number(),
              aderr::ProviderNotFound);

    const auto noSource = ErrorOf([] { ResolveConnectionString("Provider=Microsoft.Jet.OLEDB.4.0;Persist Security Info=False;"); });
    EXPECT_NE(noSource.Description().find("Data Source"), std::string::npos) << noSource.Description();
    EXPECT_THROW(ResolveConnectionString("Provider=Microsoft.Jet.OLEDB.4.0;Data Source= ;"), orvane::Error);
}
