#pragma once
// The equalizer's own window: the on/off switch, the presets, ten band
// sliders and the pre-amplification, the import of a headphone correction
// and the curve drawn from the filters that play it. Every change is kept
// in the preferences at once, and so heard at once.
#include "common/equalizer_curve.h"

#include <QDialog>
#include <QVector>

class Preferences;
class QCheckBox;
class QComboBox;
class QLabel;
class QPushButton;
class QSlider;

class EqualizerWindow : public QDialog {
    Q_OBJECT
public:
    EqualizerWindow(Preferences& preferences, QWidget* parent = nullptr);

    // The built-in presets, Flat first: English names (kept so in the
    // preferences, shown translated) and gains.
    struct BuiltIn {
        const char* name;
        std::array<double, EqualizerCurve::kBands> bandsDb;
    };
    static const std::array<BuiltIn, 6> kPresets;

    QCheckBox* chkEnabled = nullptr;
    QComboBox* cboPreset = nullptr;
    QPushButton* cmdSavePreset = nullptr;
    QPushButton* cmdImport = nullptr;
    QPushButton* cmdUseBands = nullptr;
    QLabel* lblImported = nullptr;
    QLabel* lblLowered = nullptr;  // what the pre-amplification is lowered by
    QWidget* picCurve = nullptr;
    QSlider* sldPreamp = nullptr;
    QVector<QSlider*> sldBands;
    QVector<QLabel*> lblGains;  // the pre-amplification's first

    // Reads a correction file and plays it instead of the bands; a file that
    // cannot be read or is of another kind is told and changes nothing.
    void Import(const QString& path);

private:
    void Show();  // the controls as the preferences say
    void Store(const QString& preset);
    void ChoosePreset(int index);
    void SavePreset();

    Preferences& preferences_;
    bool showing_ = false;
};
