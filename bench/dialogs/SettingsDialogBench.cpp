// quilm_dialog_bench: how quickly the Song Settings dialog answers, on the offscreen platform.
//   opening the dialog with 200 fonts to choose from                      <= 150 ms
//   a change of any style control to the repainted preview                <= 16 ms
//   a Preview run: the longest gap in the dialog's event loop             <= 50 ms
// Each figure is the median of several runs (the gap: the worst of a whole run). Exits 1 when a
// figure is over its limit.

#include <QAbstractButton>
#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QElapsedTimer>
#include <QPushButton>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

#include "dialogs/LyricsSettingsPage.h"
#include "dialogs/SettingsPreviewFrame.h"
#include "dialogs/SongSettingsSheet.h"
#include "dialogs/SongSettingsStore.h"
#include "dialogs/TitlePageSettingsPage.h"
#include "song/MSongSettings.h"
#include "widgets/MRwViewerWindow.h"

namespace {

class NoStore : public SongSettingsStore {
public:
    QByteArray ReadBinary(const QString&, const QString&) override { return {}; }
    void WriteBinary(const QString&, const QString&, const QByteArray&) override {}
    QString ReadText(const QString&, const QString&, const QString& d) override { return d; }
    void WriteText(const QString&, const QString&, const QString&) override {}
};

// Counts the paint events of a widget.
class PaintCounter : public QObject {
public:
    int paints = 0;

protected:
    bool eventFilter(QObject*, QEvent* e) override {
        paints += e->type() == QEvent::Paint;
        return false;
    }
};

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

bool Check(const char* label, double measured, double limit, const char* unit) {
    const bool ok = measured <= limit;
    std::printf("%-58s %10.1f %s (limit %.0f) %s\n", label, measured, unit, limit,
                ok ? "ok" : "FAILED");
    return ok;
}

std::unique_ptr<MSongSettings> Song() {
    auto song = std::make_unique<MSongSettings>();
    song->ResetToNewProject();
    IMAGE_STRUCT* title = song->FindPage(IMAGE_STRUCT::kTitlePage);
    title->enabled = true;
    title->text = QStringLiteral("Twinkle Twinkle\nLittle Star\nJane Taylor");
    title->drawTransition = 8;
    return song;
}

QStringList TwoHundredFonts() {
    QStringList fonts = SongSettingsSheet::InstalledFonts();
    for (int i = 0; fonts.size() < 200; ++i) {
        fonts << QStringLiteral("Bench Face %1").arg(i, 3, 10, QLatin1Char('0'));
    }
    fonts.sort();
    return fonts;
}

double OpeningMs(const MSongSettings& song, NoStore& store) {
    std::vector<double> runs;
    for (int i = 0; i < 15; ++i) {
        QElapsedTimer clock;
        clock.start();
        {
            SongSettingsSheet sheet(song.CopySettings(), store, TwoHundredFonts());
            sheet.show();
            QApplication::processEvents();
            runs.push_back(static_cast<double>(clock.nsecsElapsed()) / 1e6);
        }
        QApplication::processEvents();
    }
    return Median(runs);
}

// The worst median, over the style controls, of a change until the preview has repainted.
double StyleChangeMs(const MSongSettings& song, NoStore& store) {
    SongSettingsSheet sheet(song.CopySettings(), store, TwoHundredFonts());
    sheet.show();
    QApplication::processEvents();
    double worst = 0;
    auto measure = [&worst](SettingsPageBase* page, const std::function<void(int)>& change) {
        PaintCounter counter;
        page->PreviewFrame()->Viewer()->installEventFilter(&counter);
        std::vector<double> runs;
        for (int i = 0; i < 21; ++i) {
            const int before = counter.paints;
            QElapsedTimer clock;
            clock.start();
            change(i);
            while (counter.paints == before && clock.elapsed() < 1000) {
                QApplication::processEvents();
            }
            runs.push_back(static_cast<double>(clock.nsecsElapsed()) / 1e6);
        }
        worst = std::max(worst, Median(runs));
    };
    LyricsSettingsPage* lyrics = sheet.LyricsPage();
    sheet.Tabs()->setCurrentWidget(lyrics);
    QApplication::processEvents();
    measure(lyrics, [lyrics](int) { lyrics->StyleBox(MTextType::kOutline)->click(); });
    measure(lyrics, [lyrics](int) { lyrics->StyleBox(MTextType::kItalic)->click(); });
    measure(lyrics, [lyrics](int i) { lyrics->SizeBox()->setCurrentIndex(i % 11); });
    measure(lyrics, [lyrics](int i) { lyrics->FontBox()->setCurrentIndex(i % 3); });
    measure(lyrics, [lyrics](int i) { lyrics->AlignGroup()->button(i % 3)->click(); });
    measure(lyrics, [lyrics](int i) { lyrics->SweepGroup()->button(i % 2)->click(); });
    measure(lyrics, [lyrics](int i) { lyrics->PerformanceGroup()->button(1 + i % 2)->click(); });
    measure(lyrics, [lyrics](int i) { lyrics->LinesBox()->setCurrentIndex(i % 3); });
    TitlePageSettingsPage* title = sheet.TitlePage();
    sheet.Tabs()->setCurrentWidget(title);
    QApplication::processEvents();
    measure(title, [title](int) { title->StyleBox(MTextType::kOutline)->click(); });
    measure(title, [title](int i) { title->VAlignGroup()->button(i % 3)->click(); });
    measure(title, [title](int i) { title->SizeBox()->setCurrentIndex(i % 11); });
    return worst;
}

double PreviewGapMs(const MSongSettings& song, NoStore& store) {
    SongSettingsSheet sheet(song.CopySettings(), store, TwoHundredFonts());
    sheet.show();
    TitlePageSettingsPage* title = sheet.TitlePage();
    sheet.Tabs()->setCurrentWidget(title);
    QApplication::processEvents();
    QElapsedTimer clock;
    qint64 last = 0;
    double worst = 0;
    QTimer probe;
    probe.setTimerType(Qt::PreciseTimer);
    probe.setInterval(5);
    QObject::connect(&probe, &QTimer::timeout, [&] {
        const qint64 now = clock.nsecsElapsed();
        worst = std::max(worst, static_cast<double>(now - last) / 1e6);
        last = now;
    });
    title->PreviewButton()->click();
    clock.start();
    probe.start();
    while (title->PreviewPlaying()) {
        QApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
    return worst;
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication app(argc, argv);
    NoStore store;
    const auto song = Song();
    bool ok = Check("open the Song Settings dialog, 200 fonts", OpeningMs(*song, store), 150, "ms");
    ok &= Check("style control change to repainted preview (worst control)",
                StyleChangeMs(*song, store), 16, "ms");
    ok &= Check("Preview run: longest event-loop gap", PreviewGapMs(*song, store), 50, "ms");
    return ok ? 0 : 1;
}
