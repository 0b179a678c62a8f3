// Feeds arbitrary bytes to the LRC parser and checks what it promises about every document.

#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "lyrics/LrcDocument.h"
#include "lyrics/LrcParser.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    LrcDocument document;
    const QString text =
        LrcParser::ParseLrc(QByteArrayView(data, static_cast<qsizetype>(size)), document);
    // One text line per document line, and no element that ends before it starts.
    if (text.count(u'\n') != document.lines.size()) {
        std::abort();
    }
    for (const LrcLine& line : document.lines) {
        for (const LrcElement& e : line.elements) {
            if (e.startHundredths < 0 || e.endHundredths < e.startHundredths ||
                e.endHundredths > LrcDocument::kMaxHundredths) {
                std::abort();
            }
        }
    }
    return 0;
}
