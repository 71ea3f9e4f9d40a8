// The application as the desktop sees it: the name it gives (on Wayland its
// application id) is that of the desktop entry the system install puts in
// share/applications, so docks and task bars find its icon and name.

#include <gtest/gtest.h>

#include <QGuiApplication>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

namespace {

namespace fs = std::filesystem;

std::string Text(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

std::string Replaced(std::string text, const std::string& from, const std::string& to) {
    for (std::size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
        text.replace(at, from.size(), to);
    return text;
}

TEST(ApplicationTest, TheDesktopFileNameIsTheInstalledDesktopEntrysBaseName) {
    const std::string id = QGuiApplication::desktopFileName().toStdString();
    ASSERT_FALSE(id.empty());
    const fs::path entry = fs::path(ORVANE_SYSTEM_INSTALL_FILES) / (id + ".desktop");
    ASSERT_TRUE(fs::is_regular_file(entry)) << entry;
    // Orvane's own entry from app/desktop, with its icon installed under the same name.
    const fs::path source = fs::path(ORVANE_DESKTOP_SOURCE);
    ASSERT_TRUE(fs::is_regular_file(source)) << source;
    const std::string expected =
        Replaced(Replaced(Text(source), "@ORVANE_DESKTOP_EXEC@", "orvane"), "@ORVANE_DESKTOP_ICON@", id);
    EXPECT_EQ(Text(entry), expected);
}

}  // namespace
