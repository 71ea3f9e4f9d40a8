#pragma once

#include <string>

#include "RadicaleServer.h"
#include "carddav/CardDavClient.h"

namespace orvane::carddav::test {

inline std::string Card(const std::string& uid, const std::string& given, const std::string& family) {
    return "BEGIN:VCARD\r\nVERSION:3.0\r\nUID:" + uid + "\r\nFN:" + given + " " + family + "\r\nN:" + family + ";" +
           given + ";;;\r\nEND:VCARD\r\n";
}

inline ConnectionSettings Settings(const orvane::test::RadicaleServer& server, const std::string& path = {},
                                   const std::string& password = "alice-secret") {
    ConnectionSettings settings;
    settings.url = server.BaseUrl() + path;
    settings.user = "alice";
    settings.password = password;
    return settings;
}

}  // namespace orvane::carddav::test
