#pragma once

#include <QDialog>

#include "song/SongHeader.h"

class MSongDocument;
class MSongSettings;
class QDoubleSpinBox;
class QSpinBox;

// "Adjust Play Area Controls": how much Adjust Play plays around the selected word (words or
// seconds) and how far each nudge moves a word. It edits a copy of the song's settings; OK
// writes the copy back, Cancel leaves the song as it was.
class AdjustAreaDialog : public QDialog {
    Q_OBJECT

public:
    AdjustAreaDialog(const MSongSettings& song, int tempo, QWidget* parent = nullptr);

    const SongHeader& Edited() const { return header_; }
    int Tempo() const { return tempo_; }
    // Writes the edited settings into the song (after OK), marking the project modified.
    void ApplyTo(MSongDocument& document) const;

    QDoubleSpinBox* AreaSpinner() const { return area_; }
    QDoubleSpinBox* AmountSpinner() const { return amount_; }

private:
    SongHeader header_;
    int tempo_ = 100;
    QDoubleSpinBox* area_ = nullptr;
    QDoubleSpinBox* amount_ = nullptr;
    QSpinBox* tempoSpinner_ = nullptr;
};
