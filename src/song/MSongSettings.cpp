#include "song/MSongSettings.h"

#include <algorithm>
#include <cstring>

#include "audio/MWaveReader.h"
#include "audio/WorkWav.h"
#include "cdg/CdgColour.h"
#include "cdg/CdgTimeBase.h"
#include "song/MLineListGenerator.h"
#include "song/MProjectFile.h"
#include "song/MProjectSanity.h"
#include "song/MRwStreamWriter.h"
#include "song/MSongHost.h"
#include "song/MSongPreview.h"

MSongSettings::MSongSettings(const QString& path, MSongHost* host)
    : projectPath(path), host_(host) {
    std::memset(static_cast<void*>(&header), 0, sizeof(header));
}

MSongSettings::~MSongSettings() = default;

void MSongSettings::ResetToNewProject() {
    header = SongHeader();
    musicFile.clear();
    rawLyrics.clear();
    wordList.clear();
    lineList.clear();
    pages.clear();

    IMAGE_STRUCT page;
    page.pageId = IMAGE_STRUCT::kTitlePage;
    page.textType = MTextType(QStringLiteral("Arial"), 12, 26, MTextType::kBold,
                              MTextType::kHCentre, MTextType::kVCentre, 13, 0, 0);
    page.placement = 0;
    page.hasGraphic = false;
    page.ditherAmount = 1;
    page.drawTransition = 0;
    page.eraseTransition = 0;
    page.backgroundColorIndex = 15;
    page.borderColorIndex = 11;
    page.textArea = IMAGE_STRUCT::kTextAreaNone;
    page.displayTime = 200;
    page.enabled = false;
    page.singerColors = MTextTypeVer5(12, 9, 10);
    for (int i = 0; i < 16; ++i) {
        page.picture.SetColour(i, 0);
    }
    page.picture.SetColour(11, CdgColour::Make(0, 17, 102));
    page.picture.SetColour(15, CdgColour::Make(0, 17, 102));
    page.picture.SetColour(12, CdgColour::Make(255, 255, 255));
    page.picture.SetColour(13, CdgColour::Make(0, 0, 0));
    page.picture.SetColour(14, CdgColour::Make(255, 238, 0));
    pages.push_back(std::make_unique<IMAGE_STRUCT>(page));
    page.pageId = IMAGE_STRUCT::kCreditsPage;
    pages.push_back(std::make_unique<IMAGE_STRUCT>(page));
    page.pageId = IMAGE_STRUCT::kLyricsPage;
    page.textType.hAlign = MTextType::kHLeft;
    page.textType.fontHeight = 24;
    page.picture.SetColour(12, CdgColour::Make(128, 255, 255));
    page.picture.SetColour(9, CdgColour::Make(255, 128, 255));
    page.picture.SetColour(10, CdgColour::Make(64, 255, 0));
    pages.push_back(std::make_unique<IMAGE_STRUCT>(page));
}

void MSongSettings::CopySettingsFrom(const MSongSettings& other) {
    projectPath = other.projectPath;
    modified = other.modified;
    header = other.header;
    rawLyrics = other.rawLyrics;
    musicFile = other.musicFile;
    artist = other.artist;
    title = other.title;
    pages.clear();
    for (const auto& p : other.pages) {
        pages.push_back(std::make_unique<IMAGE_STRUCT>(*p));
    }
}

std::unique_ptr<MSongSettings> MSongSettings::CopySettings() const {
    auto copy = std::make_unique<MSongSettings>(QString(), host_);
    copy->CopySettingsFrom(*this);
    return copy;
}

void MSongSettings::AssignSettings(const MSongSettings& other) {
    if (&other == this) {
        return;
    }
    CopySettingsFrom(other);
    CalcLineAndPageNumbers();
}

MStatus MSongSettings::LoadProject(bool acceptDamaged) {
    const MStatus loaded = MProjectFile(*this).Load();
    if (!loaded || acceptDamaged) {
        return loaded;
    }
    const MStatus sane = MProjectSanity::Check(*this);
    if (!sane) {
        const QString path = projectPath;
        ResetToNewProject();
        projectPath = path;
    }
    return sane;
}
MStatus MSongSettings::SaveProject() {
    return MProjectFile(*this).Save();
}

void MSongSettings::SetRawLyrics(const QString& text) {
    rawLyrics = text;
    SetModified(true);
}

MStatus MSongSettings::SetMusicFile(const QString& path) {
    musicFile = path;
    MStatus status = AttachWorkWav(true);
    SetModified(true);
    return status;
}

void MSongSettings::SetLinesPerPage(int n) {
    header.linesPerPage = n;
    SetModified(true);
    CalcLineAndPageNumbers();
}

void MSongSettings::SetArtist(const QString& text) {
    artist = text;
    SetModified(true);
}

void MSongSettings::SetTitle(const QString& text) {
    title = text;
    SetModified(true);
}

void MSongSettings::SetModified(bool flag) {
    modified = flag;
    if (host_) {
        host_->ModifiedChanged(flag);
    }
}

MKaraokeLine* MSongSettings::GetLine(int i) const {
    return i >= 0 && i < LineCount() ? lineList[static_cast<size_t>(i)].get() : nullptr;
}

IMAGE_STRUCT* MSongSettings::GetPage(int i) const {
    return i >= 0 && i < PageCount() ? pages[static_cast<size_t>(i)].get() : nullptr;
}

IMAGE_STRUCT* MSongSettings::FindPage(int id) const {
    for (const auto& p : pages) {
        if (p->pageId == id) {
            return p.get();
        }
    }
    return nullptr;
}

int MSongSettings::LastPage() const {
    int last = 0;
    for (const auto& line : lineList) {
        last = std::max(last, line->page);
    }
    return last;
}

MKaraokeWord* MSongSettings::GetWord(int i) const {
    return i >= 0 && i < WordCount() ? wordList[static_cast<size_t>(i)] : nullptr;
}

int MSongSettings::FirstWordOnPage(int page) const {
    for (int i = 0; i < WordCount(); ++i) {
        if (wordList[static_cast<size_t>(i)]->line->page == page) {
            return i;
        }
    }
    return -1;
}

int MSongSettings::LastWordOnPage(int page) const {
    for (int i = WordCount() - 1; i >= 0; --i) {
        if (wordList[static_cast<size_t>(i)]->line->page == page) {
            return i;
        }
    }
    return -1;
}

int MSongSettings::WordAtTime(int32_t time) const {
    for (int i = 0; i < WordCount(); ++i) {
        const MKaraokeWord* w = wordList[static_cast<size_t>(i)];
        if (w->startTime <= time && time <= w->endTime) {
            return i;
        }
    }
    return -1;
}

int MSongSettings::WordAtPoint(int x, int y, int page) const {
    for (int i = 0; i < WordCount(); ++i) {
        const MKaraokeWord* w = wordList[static_cast<size_t>(i)];
        if (w->line->page == page && x >= w->box[0] && x < w->box[2] && y >= w->box[1] &&
            y < w->box[3]) {
            return i;
        }
    }
    return -1;
}

MKaraokeWord* MSongSettings::SelectWord(int i, bool on) {
    MKaraokeWord* w = GetWord(i);
    if (w) {
        w->flags =
            on ? (w->flags | MKaraokeWord::kSelected) : (w->flags & ~MKaraokeWord::kSelected);
    }
    return w;
}

bool MSongSettings::HasPlacedWords() const {
    return std::any_of(wordList.begin(), wordList.end(),
                       [](const MKaraokeWord* w) { return w->startTime != 0; });
}

bool MSongSettings::LyricsPlaced() const {
    return !musicFile.isEmpty() && !rawLyrics.isEmpty() && HasPlacedWords();
}

int MSongSettings::LyricColour(const MKaraokeLine& line) const {
    return header.performance == SongHeader::kDuet ? line.singerColour : MKaraokeLine::kSinger1;
}

std::pair<int, int> MSongSettings::SlotOfRow(int row) const {
    const int lines = std::max(1, static_cast<int>(header.linesPerPage));
    const IMAGE_STRUCT* lyrics = FindPage(IMAGE_STRUCT::kLyricsPage);
    const int area = lyrics ? lyrics->textArea : IMAGE_STRUCT::kTextAreaNone;
    if (area == IMAGE_STRUCT::kTextAreaHalf) {
        return {2 * lines, lines + row};
    }
    if (area == IMAGE_STRUCT::kTextAreaThreeQuarters) {
        return {4 * lines, 3 * lines + row};
    }
    return {lines, row};
}

void MSongSettings::GenerateKaraokeLineList(bool keepTimings, bool convertMarks) {
    MLineListGenerator(*this).GenerateKaraokeLineList(keepTimings, convertMarks);
}

void MSongSettings::CalcLineAndPageNumbers() {
    MLineListGenerator(*this).CalcLineAndPageNumbers();
}

void MSongSettings::InstallLines(std::vector<std::unique_ptr<MKaraokeLine>> lines) {
    wordList.clear();
    lineList = std::move(lines);
    size_t words = 0;
    for (const auto& line : lineList) {
        words += line->words.size();
    }
    wordList.reserve(words);
    for (const auto& line : lineList) {
        for (const auto& w : line->words) {
            w->line = line.get();
            wordList.push_back(w.get());
        }
    }
}

void MSongSettings::RenderPage(MRwRenderer* renderer, int page) {
    MSongPreview(*this).RenderPage(renderer, page);
}

void MSongSettings::RenderAtTime(MRwRenderer* renderer, int32_t time) {
    MSongPreview(*this).RenderAtTime(renderer, time);
}

void MSongSettings::LayoutWords() {
    MSongPreview(*this).LayoutWords();
}

uint32_t MSongSettings::AudioBytesForStream(uint32_t streamBytes) const {
    const uint64_t bytes16 =
        static_cast<uint64_t>(CdgTimeBase::AudioBytesFromStreamBytes(streamBytes));
    return static_cast<uint32_t>(std::min<uint64_t>(bytes16 / 4 * workWavBlockAlign, UINT32_MAX));
}

void MSongSettings::SizeRwBuffer(uint32_t audioDataBytes) {
    // 96 subcode bytes for every 2,352-byte sector of 16-bit stereo audio.
    const uint64_t bytes16 = static_cast<uint64_t>(audioDataBytes) / workWavBlockAlign * 4;
    const uint64_t size = bytes16 / 2352 * 96 + kRwBufferMarginBytes;
    rwBuffer.Assign(static_cast<uint32_t>(std::min<uint64_t>(size, UINT32_MAX / 24 * 24)));
}

MStatus MSongSettings::AttachWorkWav(bool keepAsInitial) {
    rwBuffer.Release();
    const QString path = host_ ? host_->WorkWavPath() : QString();
    if (path.isEmpty()) {
        return MStatus::Ok();
    }
    MWaveReader reader;
    if (!reader.Open(path)) {
        return MStatus::Failure(QStringLiteral("%1: the music cannot be read.").arg(path));
    }
    const uint16_t blockAlign = reader.Format().blockAlign;
    workWavBlockAlign = blockAlign >= 1 && blockAlign <= 8 ? blockAlign : 4;
    audioBytes = static_cast<uint32_t>(std::min<int64_t>(reader.DataBytes(), UINT32_MAX));
    if (keepAsInitial) {
        initialAudioBytes = audioBytes;
    }
    SizeRwBuffer(audioBytes);
    return MStatus::Ok();
}

MStatus MSongSettings::PadWorkWav(const QString& path, uint32_t bytes) {
    QString result;
    padStatus_ = ::PadWorkWav(path, bytes, &result);
    if (!padStatus_) {
        return padStatus_;
    }
    if (host_ && !result.isEmpty() && result != path) {
        host_->SetWorkWavPath(result);
    }
    // Re-measure; the stream already written survives the new buffer.
    MRwBuffer old = std::move(rwBuffer);
    padStatus_ = AttachWorkWav(false);
    if (!old.empty() && !rwBuffer.empty()) {
        std::memcpy(rwBuffer.data(), old.data(), std::min(old.size(), rwBuffer.size()));
    } else if (rwBuffer.empty()) {
        rwBuffer = std::move(old);
    }
    return padStatus_;
}

MSongStream MSongSettings::RenderWholeStream() {
    if (rwBuffer.empty()) {
        SizeRwBuffer(0);
    }
    padStatus_ = MStatus::Ok();
    MSongStream stream;
    uint32_t length = 0;
    stream.leadInFrames = WriteRwMemory(rwBuffer.data(), rwBuffer.size(), &length, kFromTheStart);
    stream.status = padStatus_;
    stream.bytes = rwBuffer.data();
    stream.lengthBytes = std::min(length, rwBuffer.size());
    return stream;
}

int32_t MSongSettings::WriteRwMemory(uint8_t* buffer, uint32_t size, uint32_t* streamLength,
                                     int32_t fromTime, int reserved) {
    (void)reserved;
    return MRwStreamWriter(*this).WriteRwMemory(buffer, size, streamLength, fromTime);
}
