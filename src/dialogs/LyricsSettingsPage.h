#pragma once

#include "dialogs/SettingsPageBase.h"

class QButtonGroup;
class QDoubleSpinBox;

// The "Lyrics" page of the Song Settings dialog: the lyrics' font and style, lines per page,
// sweep, singer colours, performance and the lyrics graphic, with a preview of sample lines.
class LyricsSettingsPage : public SettingsPageBase {
    Q_OBJECT

public:
    LyricsSettingsPage(MSongSettings& song, SongSettingsStore& store, const QStringList& fonts,
                       QWidget* parent = nullptr);

    QComboBox* LinesBox() const { return linesBox_; }
    QButtonGroup* AlignGroup() const { return align_; }
    QButtonGroup* SweepGroup() const { return sweep_; }
    QButtonGroup* PerformanceGroup() const { return performance_; }
    QDoubleSpinBox* AdvanceSpin() const { return advance_; }

    void RedrawPreview() override;
    // Draws the sample lines, and the graphic when withGraphic, into the preview.
    void DrawPreview(bool withGraphic);

    static QString SampleLine(int row, bool duet);

protected:
    PreviewStream MakePreviewStream() override;
    void PrepareRunScreen() override;
    void UpdateControls() override;
    void LoadPageControls() override;

private:
    void RebuildLines();

    QComboBox* linesBox_ = nullptr;
    QButtonGroup* align_ = nullptr;
    QButtonGroup* sweep_ = nullptr;
    QButtonGroup* performance_ = nullptr;
    QDoubleSpinBox* advance_ = nullptr;
};
