// Saves in a child process that is killed at random moments; after each
// kill the database must be intact and hold every address whose save had
// returned before the kill.
#include <gtest/gtest.h>

#include <csignal>
#include <cstdio>
#include <random>
#include <set>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

#include "AddressbookSchema.h"
#include "CDataDBTier.h"
#include "TempAppFolder.h"
#include "adodb/Connection.h"
#include "adodb/Recordset.h"

using orvane::Variant;
using orvane::VariantArray;
using orvane::test::TempAppFolder;

namespace {

Variant NewAddress(const std::string& first) {
    VariantArray a(0, 7, 0, 0);
    a.At(0, 0) = 0;
    a.At(1, 0) = first;
    for (std::int32_t i = 2; i <= 7; ++i) a.At(i, 0) = std::string(40, 'x');
    return Variant(std::move(a));
}

// In the child: save addresses "round-k" one after another and report each
// one on the pipe once its save has returned. Never returns.
[[noreturn]] void SaveUntilKilled(int round, int writeFd) {
    try {
        CDataDBTier tier;
        for (int k = 0;; ++k) {
            tier.SaveAddress(NewAddress(std::to_string(round) + "-" + std::to_string(k)));
            std::string ack = std::to_string(k) + "\n";
            if (write(writeFd, ack.data(), ack.size()) < 0) _exit(3);
            if (k % 7 == 3) tier.DeleteAddress(-1);  // mix in other statements
        }
    } catch (...) {
        _exit(2);
    }
}

std::set<std::string> StoredFirstNames(const TempAppFolder& folder, std::string& integrity) {
    orvane::adodb::Connection connection;
    connection.Open(folder.ConnectionString());
    {
        orvane::adodb::Recordset check;
        check.Open("PRAGMA integrity_check", connection);
        integrity = check.GetRows(-1).Array().At(0, 0).ToText();
    }
    std::set<std::string> names;
    orvane::adodb::Recordset rst;
    rst.Open("SELECT FirstName FROM tblAddress", connection);
    if (rst.Eof()) return names;
    Variant rows = rst.GetRows(-1);
    for (std::int32_t i = 0; i <= rows.Array().UBound(2); ++i) names.insert(rows.Array().At(0, i).ToText());
    return names;
}

}  // namespace

TEST(CrashSafety, KilledSavesNeverCorruptTheFileOrLoseAReturnedSave) {
    TempAppFolder folder;
    std::mt19937 random(12345);
    std::uniform_int_distribution<int> delayMicros(0, 30000);
    std::set<std::string> acknowledged;
    int totalAcks = 0;

    for (int round = 0; round < 40; ++round) {
        int fds[2];
        ASSERT_EQ(pipe(fds), 0);
        std::fflush(nullptr);
        pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            close(fds[0]);
            SaveUntilKilled(round, fds[1]);
        }
        close(fds[1]);
        // Wait for the first returned save, then kill at a random moment
        // during the saves that follow.
        std::string acks;
        char buffer[4096];
        ssize_t n = read(fds[0], buffer, sizeof buffer);
        ASSERT_GT(n, 0) << "the child failed before its first save returned";
        acks.append(buffer, static_cast<std::size_t>(n));
        usleep(static_cast<useconds_t>(delayMicros(random)));
        kill(child, SIGKILL);
        int status = 0;
        waitpid(child, &status, 0);
        ASSERT_TRUE(WIFSIGNALED(status)) << "child stopped by itself with status " << status;

        // Everything the child reported had returned from its save.
        while ((n = read(fds[0], buffer, sizeof buffer)) > 0) acks.append(buffer, static_cast<std::size_t>(n));
        close(fds[0]);
        std::size_t start = 0;
        for (std::size_t end; (end = acks.find('\n', start)) != std::string::npos; start = end + 1) {
            acknowledged.insert(std::to_string(round) + "-" + acks.substr(start, end - start));
            ++totalAcks;
        }

        std::string integrity;
        std::set<std::string> stored = StoredFirstNames(folder, integrity);
        ASSERT_EQ(integrity, "ok") << "after round " << round;
        for (const std::string& name : acknowledged)
            ASSERT_TRUE(stored.count(name)) << "lost the returned save " << name << " in round " << round;
    }
    EXPECT_GE(totalAcks, 40);
}
