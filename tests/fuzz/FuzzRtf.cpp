#include <QGuiApplication>
#include <QTextDocument>
#include <cstddef>
#include <cstdint>
#include <string>
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

// Each input is read whole, and again in the smallest steps, each of which
// ends its edit in whatever the document is in the middle of.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view rtf(reinterpret_cast<const char*>(data), size);
    try {
        QTextDocument doc;
        orvane::rtf::ReadRtf(rtf, doc);
        QTextDocument stepped;
        orvane::rtf::RtfStepReader reader{std::string(rtf), stepped};
        while (!reader.Step(std::chrono::milliseconds(0))) {
        }
    } catch (const orvane::Error&) {
    }
    return 0;
}
