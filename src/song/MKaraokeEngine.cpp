#include "song/MKaraokeEngine.h"

#include <QFontDatabase>
#include <mutex>

#include "log/MLogEvents.h"
#include "log/MTraceLog.h"

namespace {

std::mutex& DictionaryMutex() {
    static std::mutex m;
    return m;
}

std::map<QString, int>& Dictionary() {
    static std::map<QString, int> d;
    return d;
}

}  // namespace

bool MKaraokeEngine::MKaraoke_Initialize() {
    MTraceLog& trace = MTraceLog::Global();
    trace.Trace(MLogEvents::kTraceInitEnter, MLogEvents::kTraceInitialize);
    std::map<QString, int> fonts;
    // Fonts for text first, then symbol fonts (a later entry of the same name wins).
    for (const QString& family : QFontDatabase::families()) {
        fonts[family] = kAnsiCharset;
    }
    for (const QString& family : QFontDatabase::families(QFontDatabase::Symbol)) {
        fonts[family] = kSymbolCharset;
    }
    {
        std::lock_guard<std::mutex> lock(DictionaryMutex());
        Dictionary() = std::move(fonts);
    }
    trace.Trace(MLogEvents::kTraceInitFonts, MLogEvents::kTraceInitialize);
    trace.Trace(MLogEvents::kTraceInitWindow, MLogEvents::kTraceInitialize);
    trace.Trace(MLogEvents::kTraceInitExit, MLogEvents::kTraceInitialize);
    return true;
}

std::map<QString, int> MKaraokeEngine::FontDictionary() {
    std::lock_guard<std::mutex> lock(DictionaryMutex());
    return Dictionary();
}
