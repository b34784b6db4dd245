#include "window/equalizer_window.h"

#include "common/dialogs.h"
#include "common/fit_caption.h"
#include "common/log.h"
#include "settings/preferences.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFile>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QSlider>
#include <QVBoxLayout>
#include <cmath>

namespace {
constexpr int kStepsPerDb = 2;  // the sliders move by half a decibel
constexpr qint64 kLargestFile = 64 * 1024;
constexpr int kDrawnRate = 44100;

QString Decibels(double db);
QString BandName(double hz);

// What the filters that play the curve give, from 20 Hz to 20 kHz, with the
// gain in front of them; 0 dB across while off. Its own scales: decibels on
// the left, the bands' frequencies below.
class CurvePlot : public QWidget {
public:
    explicit CurvePlot(QWidget* parent) : QWidget(parent) {
        setMinimumSize(320, 130);
        setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
    }
    void show(const EqualizerCurve& curve) {
        design_ = DesignEqualizer(curve, kDrawnRate);
        update();
    }
    const EqualizerDesign& design() const { return design_; }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        p.setRenderHint(QPainter::Antialiasing);
        p.fillRect(rect(), palette().base());
        QFont small = font();
        if (font().pointSizeF() > 0) small.setPointSizeF(font().pointSizeF() * 0.85);
        p.setFont(small);
        const QFontMetrics fm(small);
        const QRectF area =
            QRectF(rect()).adjusted(fm.horizontalAdvance(QStringLiteral("+12")) + 8, fm.height() / 2 + 2,
                                    -fm.horizontalAdvance(QStringLiteral("16k")) / 2 - 4, -fm.height() - 4);
        constexpr double kTopDb = 15;
        auto y = [&](double db) {
            return area.center().y() - std::clamp(db, -kTopDb, kTopDb) / kTopDb * area.height() / 2;
        };
        auto x = [&](double hz) { return area.left() + std::log(hz / 20) / std::log(1000.0) * area.width(); };
        const QColor grid = palette().mid().color(), text = palette().text().color();
        for (double db : {-12.0, -6.0, 0.0, 6.0, 12.0}) {
            p.setPen(QPen(grid, 1));
            p.drawLine(QPointF(area.left(), y(db)), QPointF(area.right(), y(db)));
            p.setPen(text);
            const QString label = db > 0 ? QStringLiteral("+%1").arg(db) : QString::number(db);
            p.drawText(QRectF(0, y(db) - fm.height() / 2.0, area.left() - 4, fm.height()),
                       Qt::AlignRight | Qt::AlignVCenter, label);
        }
        for (double hz : EqualizerCurve::kBandHz) {
            p.setPen(QPen(grid, 1));
            p.drawLine(QPointF(x(hz), area.top()), QPointF(x(hz), area.bottom()));
            p.setPen(text);
            p.drawText(QRectF(x(hz) - 30, area.bottom() + 2, 60, fm.height()), Qt::AlignHCenter | Qt::AlignTop,
                       BandName(hz));
        }
        QPainterPath path;
        for (int i = 0; i <= 200; ++i) {
            const double hz = 20 * std::pow(1000.0, i / 200.0);
            const QPointF at(x(hz), y(ResponseDb(design_, hz, kDrawnRate)));
            i == 0 ? path.moveTo(at) : path.lineTo(at);
        }
        p.setPen(QPen(palette().highlight().color(), 2));
        p.drawPath(path);
    }

private:
    EqualizerDesign design_;
};

QString Decibels(double db) {
    return EqualizerWindow::tr("%1 dB").arg(db > 0 ? QStringLiteral("+%1").arg(db) : QString::number(db));
}

QSlider* GainSlider(QWidget* parent, const QString& name, const QString& spoken) {
    auto* s = new QSlider(Qt::Vertical, parent);
    s->setObjectName(name);
    s->setRange(static_cast<int>(EqualizerCurve::kMinDb) * kStepsPerDb,
                static_cast<int>(EqualizerCurve::kMaxDb) * kStepsPerDb);
    s->setPageStep(2 * kStepsPerDb);
    s->setTickPosition(QSlider::TicksBothSides);
    s->setTickInterval(6 * kStepsPerDb);
    s->setMinimumHeight(120);
    s->setFocusPolicy(Qt::StrongFocus);
    s->setAccessibleName(spoken);
    return s;
}

QString BandName(double hz) { return hz >= 1000 ? EqualizerWindow::tr("%1k").arg(hz / 1000) : QString::number(hz); }
}  // namespace

const std::array<EqualizerWindow::BuiltIn, 6> EqualizerWindow::kPresets{{
    {QT_TR_NOOP("Flat"), {0, 0, 0, 0, 0, 0, 0, 0, 0, 0}},
    {QT_TR_NOOP("Bass Boost"), {6, 5, 4, 2, 0, 0, 0, 0, 0, 0}},
    {QT_TR_NOOP("Treble Boost"), {0, 0, 0, 0, 0, 0, 2, 4, 5, 6}},
    {QT_TR_NOOP("Vocal"), {-2, -2, -1, 1, 3, 3, 2, 1, 0, -1}},
    {QT_TR_NOOP("Rock"), {4, 3, 2, 0, -1, -1, 0, 2, 3, 4}},
    {QT_TR_NOOP("Loudness"), {5, 4, 2, 0, -1, 0, -1, 1, 4, 5}},
}};

EqualizerWindow::EqualizerWindow(Preferences& preferences, QWidget* parent)
    : QDialog(parent), preferences_(preferences) {
    setObjectName(QStringLiteral("frmEqualizer"));
    setWindowTitle(tr("Equalizer"));
    chkEnabled = new QCheckBox(tr("&On"), this);
    chkEnabled->setObjectName(QStringLiteral("chkEnabled"));
    cboPreset = new QComboBox(this);
    cboPreset->setObjectName(QStringLiteral("cboPreset"));
    cboPreset->setEditable(true);
    cboPreset->setInsertPolicy(QComboBox::NoInsert);
    cboPreset->setMinimumContentsLength(12);
    auto* presetLabel = new QLabel(tr("&Preset:"), this);
    presetLabel->setBuddy(cboPreset);
    cmdSavePreset = new QPushButton(tr("&Save Preset"), this);
    cmdSavePreset->setObjectName(QStringLiteral("cmdSavePreset"));
    cmdImport = new QPushButton(tr("&Import..."), this);
    cmdImport->setObjectName(QStringLiteral("cmdImport"));
    auto* top = new QHBoxLayout;
    top->addWidget(chkEnabled);
    top->addSpacing(12);
    top->addWidget(presetLabel);
    top->addWidget(cboPreset, 1);
    top->addWidget(cmdSavePreset);
    top->addWidget(cmdImport);

    auto* plot = new CurvePlot(this);
    plot->setObjectName(QStringLiteral("picCurve"));
    plot->setAccessibleName(tr("Equalizer curve"));
    picCurve = plot;

    auto* sliders = new QGridLayout;
    auto column = [&](int at, const QString& caption, QSlider* slider) {
        auto* name = new QLabel(caption, this);
        auto* gain = new QLabel(this);
        gain->setObjectName(QStringLiteral("lblGain%1").arg(at));
        for (QLabel* l : {name, gain}) l->setAlignment(Qt::AlignHCenter);
        gain->setMinimumWidth(gain->fontMetrics().horizontalAdvance(Decibels(-12.5)));
        sliders->addWidget(name, 0, at);
        sliders->addWidget(slider, 1, at, Qt::AlignHCenter);
        sliders->addWidget(gain, 2, at);
        lblGains << gain;
        connect(slider, &QSlider::valueChanged, this, [this] {
            if (!showing_) Store(QString());  // the bands no longer are a preset's
        });
    };
    sldPreamp = GainSlider(this, QStringLiteral("sldPreamp"), tr("Pre-amplification"));
    column(0, tr("Pre-amp"), sldPreamp);
    sliders->setColumnMinimumWidth(0, 0);
    sliders->addItem(new QSpacerItem(12, 0), 0, 1);
    for (int b = 0; b < EqualizerCurve::kBands; ++b) {
        const double hz = EqualizerCurve::kBandHz[static_cast<size_t>(b)];
        QSlider* s = GainSlider(this, QStringLiteral("sldBand%1").arg(b), tr("%1 Hz").arg(hz));
        sldBands << s;
        column(b + 2, BandName(hz), s);
    }

    lblLowered = new QLabel(this);
    lblLowered->setObjectName(QStringLiteral("lblLowered"));
    lblLowered->setWordWrap(true);
    lblImported = new QLabel(this);
    lblImported->setObjectName(QStringLiteral("lblImported"));
    lblImported->setWordWrap(true);
    cmdUseBands = new QPushButton(tr("Use the &Bands"), this);
    cmdUseBands->setObjectName(QStringLiteral("cmdUseBands"));
    auto* imported = new QHBoxLayout;
    imported->addWidget(lblImported, 1);
    imported->addWidget(cmdUseBands);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::close);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(picCurve, 1);
    layout->addLayout(sliders);
    layout->addWidget(lblLowered);
    layout->addLayout(imported);
    layout->addWidget(buttons);

    connect(chkEnabled, &QCheckBox::toggled, this, [this] {
        if (!showing_) Store(preferences_.equalizerPreset());
    });
    connect(cboPreset, qOverload<int>(&QComboBox::activated), this, &EqualizerWindow::ChoosePreset);
    connect(cmdSavePreset, &QPushButton::clicked, this, &EqualizerWindow::SavePreset);
    connect(cmdImport, &QPushButton::clicked, this, [this] {
        const QStringList chosen = AppDialogs().GetOpenFileNames(this, tr("Import a Parametric Equalizer"),
                                                                 tr("Parametric equalizer (*.txt);;All files (*)"));
        if (!chosen.isEmpty()) Import(chosen.first());
    });
    connect(cmdUseBands, &QPushButton::clicked, this, [this] {
        EqualizerCurve eq = preferences_.equalizer();
        eq.parametric = false;
        preferences_.setEqualizer(eq, preferences_.equalizerPreset());
    });
    connect(&preferences_, &Preferences::changed, this, &EqualizerWindow::Show);
    Show();
    // Room for the caption whole in every language, its mnemonic counted.
    // Enter closes, as Close is the default; it saves nothing by mistake.
    for (QPushButton* b : {cmdSavePreset, cmdImport, cmdUseBands}) {
        b->setMinimumWidth(CaptionWidth(b));
        b->setAutoDefault(false);
    }
}

void EqualizerWindow::Show() {
    showing_ = true;
    const EqualizerCurve& eq = preferences_.equalizer();
    chkEnabled->setChecked(eq.enabled);
    const QString typed = cboPreset->currentIndex() < 0 ? cboPreset->currentText() : QString();
    cboPreset->clear();
    for (const BuiltIn& p : kPresets) cboPreset->addItem(tr(p.name), QString::fromLatin1(p.name));
    for (const Preferences::Preset& p : preferences_.userPresets()) cboPreset->addItem(p.name, p.name);
    // An imported correction plays instead of the bands: no preset is.
    const int preset = eq.parametric ? -1 : cboPreset->findData(preferences_.equalizerPreset());
    cboPreset->setCurrentIndex(preset);
    if (preset < 0) cboPreset->setEditText(eq.parametric ? QString() : typed);  // a name being typed stays
    cboPreset->setEnabled(!eq.parametric);
    cmdSavePreset->setEnabled(!eq.parametric);
    sldPreamp->setValue(static_cast<int>(std::lround(eq.preampDb * kStepsPerDb)));
    lblGains[0]->setText(Decibels(eq.preampDb));
    for (int b = 0; b < EqualizerCurve::kBands; ++b) {
        const double db = eq.bandsDb[static_cast<size_t>(b)];
        sldBands[b]->setValue(static_cast<int>(std::lround(db * kStepsPerDb)));
        lblGains[b + 1]->setText(Decibels(db));
    }
    for (QSlider* s : sldBands) s->setEnabled(!eq.parametric);
    sldPreamp->setEnabled(!eq.parametric);
    lblImported->setVisible(eq.parametric);
    cmdUseBands->setVisible(eq.parametric);
    lblImported->setText(tr("Imported correction. Filters: %1. Pre-amplification: %2.")
                             .arg(eq.filters.size())
                             .arg(Decibels(eq.parametricPreampDb)));
    auto* plot = static_cast<CurvePlot*>(picCurve);
    plot->show(eq);
    // What the curve could add above 0 dB is taken off the pre-amplification.
    const double lowered = eq.heardPreampDb() - plot->design().gainDb;
    lblLowered->setVisible(eq.enabled && lowered >= 0.05);
    lblLowered->setText(tr("Pre-amplification lowered by %1 dB while playing, so that no boost clips.")
                            .arg(std::round(lowered * 10) / 10));
    showing_ = false;
}

void EqualizerWindow::Store(const QString& preset) {
    EqualizerCurve eq = preferences_.equalizer();
    eq.enabled = chkEnabled->isChecked();
    eq.preampDb = sldPreamp->value() / double(kStepsPerDb);
    for (int b = 0; b < EqualizerCurve::kBands; ++b)
        eq.bandsDb[static_cast<size_t>(b)] = sldBands[b]->value() / double(kStepsPerDb);
    preferences_.setEqualizer(eq, preset);
}

void EqualizerWindow::ChoosePreset(int index) {
    const QString name = cboPreset->itemData(index).toString();
    EqualizerCurve eq = preferences_.equalizer();
    eq.parametric = false;
    eq.enabled = true;
    bool found = false;
    for (const BuiltIn& p : kPresets)
        if (name == QLatin1String(p.name)) eq.bandsDb = p.bandsDb, eq.preampDb = 0, found = true;
    for (const Preferences::Preset& p : preferences_.userPresets())
        if (!found && name == p.name) eq.bandsDb = p.bandsDb, eq.preampDb = p.preampDb;
    preferences_.setEqualizer(eq, name);
}

void EqualizerWindow::SavePreset() {
    const QString name = cboPreset->currentText().trimmed();
    if (name.isEmpty()) {
        AppDialogs().MessageBox(this, tr("Type a name for the preset first."));
        return;
    }
    for (const BuiltIn& p : kPresets)
        if (name == QLatin1String(p.name) || name == tr(p.name)) {
            AppDialogs().MessageBox(this, tr("\"%1\" is a built-in preset; choose another name.").arg(name));
            return;
        }
    const EqualizerCurve& eq = preferences_.equalizer();
    preferences_.saveUserPreset({name, eq.bandsDb, eq.preampDb});
    preferences_.setEqualizer(eq, name);
    Show();
}

void EqualizerWindow::Import(const QString& path) {
    const QString shown = QFileInfo(path).fileName();
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        AppDialogs().MessageBox(this, tr("Cannot read %1: %2").arg(shown, file.errorString()));
        return;
    }
    const QByteArray text = file.read(kLargestFile + 1);
    if (text.size() > kLargestFile) {
        AppDialogs().MessageBox(
            this, tr("%1 is not a parametric equalizer file: it is too large.\nNothing was changed.").arg(shown));
        return;
    }
    ParametricFault fault;
    const std::optional<ParametricImport> parsed = ParseParametric(text.toStdString(), fault);
    if (!parsed) {
        using K = ParametricFault::Kind;
        qCInfo(lcWindow) << "equalizer import:" << path << "refused at line" << fault.line;
        AppDialogs().MessageBox(
            this, fault.kind == K::NoFilters ? tr("%1 holds no equalizer filter.\nNothing was changed.").arg(shown)
                  : fault.kind == K::TooManyFilters
                      ? tr("%1 holds more than %2 filters (line %3).\nNothing was changed.")
                            .arg(shown)
                            .arg(EqualizerCurve::kMaxFilters)
                            .arg(fault.line)
                      : tr("%1 is not a parametric equalizer file: line %2 cannot be read.\nNothing was changed.")
                            .arg(shown)
                            .arg(fault.line));
        return;
    }
    EqualizerCurve eq = preferences_.equalizer();
    eq.enabled = eq.parametric = true;
    eq.parametricPreampDb = parsed->preampDb;
    eq.filters = parsed->filters;
    preferences_.setEqualizer(eq, preferences_.equalizerPreset());
}
