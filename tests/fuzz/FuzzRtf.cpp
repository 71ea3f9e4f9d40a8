#include <QGuiApplication>
#include <QTextDocument>
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "core/Error.h"
#include "rtf/RtfReader.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static int argc = 1;
    static char name[] = "fuzz_rtf";
    static char* argv[] = {name, nullptr};
    static QGuiApplication app(argc, argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    QTextDocument doc;
    try {
        orvane::rtf::ReadRtf(std::string_view(reinterpret_cast<const char*>(data), size), doc);
    } catch (const orvane::Error&) {
    }
    return 0;
}
