#pragma once

#include <filesystem>
#include <fstream>
#include <string>

#include "carddav/CardDavTypes.h"

// Cards, connection settings and password files as the tests of every tier
// make them.
namespace orvane::test {

// A plain version 3.0 card as a server or a phone holds it: UID, FN and N,
// then a cell phone when given and any further lines.
inline std::string Card(const std::string& uid, const std::string& given, const std::string& family,
                        const std::string& phone = {}, const std::string& extra = {}) {
    std::string card = "BEGIN:VCARD\r\nVERSION:3.0\r\nUID:" + uid + "\r\nFN:" + given + " " + family + "\r\nN:" +
                       family + ";" + given + ";;;\r\n";
    if (!phone.empty()) card += "TEL;TYPE=CELL:" + phone + "\r\n";
    return card + extra + "END:VCARD\r\n";
}

// Settings to reach url as alice, the user every test server knows.
inline carddav::ConnectionSettings AliceSettings(const std::string& url, const std::string& password = "alice-secret") {
    carddav::ConnectionSettings settings;
    settings.url = url;
    settings.user = "alice";
    settings.password = password;
    return settings;
}

// A file holding bytes (a password and whatever ends it), only its owner
// may read it unless other permissions are given. Returns its path.
inline std::string WritePasswordFile(const std::filesystem::path& file, const std::string& bytes,
                                     std::filesystem::perms perms = std::filesystem::perms(0600)) {
    std::ofstream(file, std::ios::binary) << bytes;
    std::filesystem::permissions(file, perms);
    return file.string();
}

}  // namespace orvane::test
