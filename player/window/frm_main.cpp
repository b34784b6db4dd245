#include "window/frm_main.h"
#include "common/error_text.h"
#include "common/log.h"

#include "common/app_error.h"
#include "common/app_identity.h"
#include "common/deadline.h"
#include "common/dialogs.h"
#include "common/file_util.h"
#include "common/fit_caption.h"
#include "common/time_format.h"
#include "common/translation.h"
#include "common/twips.h"
#include "common/unique_fd.h"
#include "media/media_component.h"
#include "playlist/dropped_paths.h"
#include "playlist/playlist_formats.h"
#include "playlist/playlist_model.h"
#include "settings/user_settings.h"
#include "tags/tag_record.h"
#include "transport/transport.h"
#include "volume/volume_level.h"
#include "window/command_label.h"
#include "window/equalizer_window.h"
#include "window/levelling_dialog.h"
#include "window/media_player_bar.h"
#include "window/native_caption.h"
#include "window/playlist_view.h"

#include <sys/stat.h>
#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QDrag>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QImageReader>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QMimeData>
#include <QMouseEvent>
#include <QScrollBar>
#include <QTimer>
#include <QWindow>
#include <algorithm>
#include <cerrno>
#include <cmath>
#include <tuple>

namespace {
constexpr char kControlMime[] = "application/x-corvalle-control";

// One of the program's own pictures: on a screen of more than one pixel a
// point, its twice as large "@2x" drawing, shown at the same size.
QPixmap DesignedPicture(const QString& file, qreal dpr) {
    if (dpr > 1) {
        QString sharp = file;
        sharp.insert(sharp.lastIndexOf(QLatin1Char('.')), QLatin1String("@2x"));
        QPixmap picture(sharp);
        if (!picture.isNull()) {
            picture.setDevicePixelRatio(2);
            return picture;
        }
    }
    return QPixmap(file);
}

// A time label whose text is wider than designed (a translation, a time of
// 100 minutes) grows to the right rather than cut the text.
void FitWidth(QLabel* label) {
    const int wanted = label->sizeHint().width();
    if (wanted > label->width()) label->resize(wanted, label->height());
}

// Relative luminance and contrast, as WCAG measures them.
double Luminance(const QColor& c) {
    auto channel = [](double v) { return v <= 0.04045 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4); };
    return 0.2126 * channel(c.redF()) + 0.7152 * channel(c.greenF()) + 0.0722 * channel(c.blueF());
}

double Contrast(const QColor& a, const QColor& b) {
    const double la = Luminance(a), lb = Luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

// `colour` mixed with white until it reads at 4.5:1 on a dark `background`.
QColor Readable(const QColor& colour, const QColor& background) {
    QColor mixed = colour;
    for (int step = 1; step <= 20 && Contrast(mixed, background) < 4.5; ++step) {
        const double w = step / 20.0;
        mixed = QColor::fromRgbF(static_cast<float>(colour.redF() * (1 - w) + w),
                                 static_cast<float>(colour.greenF() * (1 - w) + w),
                                 static_cast<float>(colour.blueF() * (1 - w) + w));
    }
    return mixed;
}

}  // namespace

static void InitResources() { Q_INIT_RESOURCE(resources); }

frmMain::frmMain(const Parts& parts, QWidget* parent)
    : QWidget(parent),
      media_(parts.media),
      playlist_(parts.playlist),
      stored_(parts.stored),
      volume_(parts.volume),
      masterVolume_(
          [](int32_t volume, bool set) {
              if (!set) qCInfo(lcWindow) << "the master volume was not set to" << volume;
          },
          parts.mixer),
      transport_(parts.transport),
      preferences_(parts.preferences),
      sleepTimer_(parts.sleepTimer) {
    InitResources();
    setObjectName(QStringLiteral("frmMain"));
    setWindowTitle(AppTitle());
    // The desktop takes the size of the icon that fits best.
    QIcon icon(QStringLiteral(":/data/icon32.png"));
    icon.addFile(QStringLiteral(":/data/icon256.png"));
    setWindowIcon(icon);
    QFont f = font();
    f.setPointSizeF(8.25);
    setFont(f);
    resize(TwipsSize(9960, 4605));
    setAcceptDrops(true);
    ExitProgram = [] { QCoreApplication::exit(0); };
    BuildControls();
    BuildMenus();
}

frmMain::~frmMain() = default;

void frmMain::BuildControls() {
    auto label = [this](QLabel* l, const char* name, QRect r, Qt::Alignment align) {
        l->setObjectName(QString::fromLatin1(name));
        l->setParent(this);
        l->setGeometry(r);
        l->setAlignment(align | Qt::AlignVCenter);
        return l;
    };
    const Qt::Alignment left = Qt::AlignLeft;
    lblTotalTime = label(new QLabel(tr("TotalTime: 00:00")), "lblTotalTime", TwipsRect(600, 0, 1455, 255), left);
    lblElapsedTime = label(new QLabel(tr("Remaining:")), "lblElapsedTime", TwipsRect(2520, 0, 1815, 255), left);
    lblMessages = label(new QLabel(QString()), "lblMessages", TwipsRect(5160, 0, 4575, 255), left);
    FitWidth(lblTotalTime);
    FitWidth(lblElapsedTime);

    HScroll_4_Volume = new QScrollBar(Qt::Horizontal, this);
    HScroll_4_Volume->setObjectName(QStringLiteral("HScroll_4_Volume"));
    HScroll_4_Volume->setGeometry(TwipsRect(0, 480, 975, 255));
    HScroll_4_Volume->setRange(0, 100);
    HScroll_4_Volume->setSingleStep(1);
    HScroll_4_Volume->setPageStep(10);
    HScroll_4_Volume->setValue(10);
    // A drag reports its value once, on release.
    HScroll_4_Volume->setTracking(false);
    // A scroll bar runs its arrow keys the other way round (Right moves a
    // view's content left); a volume goes up with Right and Up.
    HScroll_4_Volume->setInvertedControls(false);
    HScroll_4_Volume->setFocusPolicy(Qt::StrongFocus);
    HScroll_4_Volume->hide();
    HScroll_4_Volume->setAccessibleName(tr("Volume"));
    connect(HScroll_4_Volume, &QScrollBar::valueChanged, this, &frmMain::HScroll_4_Volume_Change);
    // The slider shows the volume level the desktop's controls read and set.
    volume_.setValue(HScroll_4_Volume->value());
    connect(HScroll_4_Volume, &QScrollBar::valueChanged, &volume_, &VolumeLevel::setValue);
    connect(&volume_, &VolumeLevel::valueChanged, HScroll_4_Volume, &QScrollBar::setValue);

    List1 = new PlaylistView(this);
    List1->setObjectName(QStringLiteral("List1"));
    List1->setPlaylist(&playlist_);
    List1->setGeometry(TwipsRect(960, 360, 3735, 3180));
    List1->setToolTip(tr("Drag and Drop Multimedia Files here"));
    List1->setAccessibleName(tr("Playlist"));
    playlist_.addMany({"/Data/Music/Corvalle - Evening Song.mp3 ", "/Data/Music/Corvalle - Morning Song.mp3",
                       "/Data/Music/Corvalle - Night Song.mp3 "});
    // Every selection of an entry, by the user or a command, runs the
    // selection handler at once.
    connect(&playlist_, &PlaylistModel::currentRowSet, this, &frmMain::List1_Click);
    connect(List1, &QAbstractItemView::doubleClicked, this, [this](const QModelIndex&) { List1_DblClick(); });
    connect(List1, &PlaylistView::mouseUp, this, &frmMain::List1_MouseUp);
    connect(List1, &PlaylistView::dropped, this, &frmMain::List1_OLEDragDrop);
    connect(List1, &PlaylistView::menuKeyPressed, this, &frmMain::List1_MenuKey);
    connect(List1, &PlaylistView::returnPressed, this, &frmMain::List1_DblClick);
    connect(List1, &PlaylistView::deletePressed, this, &frmMain::mnuRemoveEntry_Click);

    auto command = [label](const char* name, const QString& caption, QRect r) {
        auto* l = new CommandLabel(caption);
        label(l, name, r, Qt::AlignRight);
        // A caption wider than designed (a translation) widens the label to
        // the left, within the window; its right edge, and every other
        // label, stay.
        FitCaption(l, Qt::LeftEdge, 0);
        return l;
    };
    lblVolume = command("lblVolume", tr("Volume"), TwipsRect(240, 840, 615, 255));
    lblPrev = command("lblPrev", tr("Prev"), TwipsRect(120, 1080, 735, 255));
    lblPlay = command("lblPlay", tr("Play"), TwipsRect(240, 1320, 615, 255));
    lblStop = command("lblStop", tr("Stop"), TwipsRect(240, 1560, 615, 255));
    lblNext = command("lblNext", tr("Next"), TwipsRect(120, 1800, 735, 255));
    lblRandom = command("lblRandom", tr("Random"), TwipsRect(0, 2040, 855, 255));
    lblRandom->setToolTip(tr("Randomize"));
    lblRandom->setCheckable(true);  // random mode on or off, for screen readers too
    // Its caption turns bold when on: it fits either way.
    QFont bold = lblRandom->font();
    bold.setBold(true);
    lblRandom->setFont(bold);
    FitCaption(lblRandom, Qt::LeftEdge, 0);
    QFont plain = lblRandom->font();
    plain.setBold(false);
    lblRandom->setFont(plain);
    lblExit = command("lblExit", tr("Exit"), TwipsRect(120, 2280, 735, 255));
    ShowLabelColours();

    connect(lblVolume, &CommandLabel::clicked, this, &frmMain::lblVolume_Click);
    connect(lblPlay, &CommandLabel::clicked, this, &frmMain::lblPlay_Click);
    connect(lblStop, &CommandLabel::clicked, this, &frmMain::lblStop_Click);
    connect(lblNext, &CommandLabel::clicked, this, &frmMain::lblNext_Click);
    connect(lblPrev, &CommandLabel::clicked, this, &frmMain::lblPrev_Click);
    connect(lblRandom, &CommandLabel::clicked, this, &frmMain::lblRandom_Click);
    connect(lblExit, &CommandLabel::clicked, this, &frmMain::lblExit_Click);
    // While a mouse button is held on a transport label it reads "Processing".
    for (auto [l, caption] : {std::pair{lblPlay, "Play"}, std::pair{lblStop, "Stop"}, std::pair{lblNext, "Next"},
                              std::pair{lblPrev, "Prev"}}) {
        CommandLabel* target = l;
        QString own = tr(caption);
        connect(l, &CommandLabel::mouseDown, this, [target](Qt::MouseButton) { target->setText(tr("Processing")); });
        connect(l, &CommandLabel::mouseUp, this, [target, own](Qt::MouseButton) { target->setText(own); });
    }

    imgTheme = new QLabel(this);
    imgTheme->setObjectName(QStringLiteral("imgTheme"));
    imgTheme->setGeometry(TwipsRect(5160, 360, 4500, 3150));
    imgTheme->setScaledContents(false);
    imgTheme->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    imgTheme->installEventFilter(this);
    imgTheme->setAccessibleName(tr("Theme picture"));
    // Under the other controls: a window narrower than list and picture
    // together never covers the playlist with the picture.
    imgTheme->lower();

    imgMover = new QLabel(this);
    imgMover->setObjectName(QStringLiteral("imgMover"));
    imgMover->setGeometry(TwipsRect(4440, 3480, 225, 345));
    imgMover->setAlignment(Qt::AlignCenter);
    imgMover->setToolTip(tr("Expand"));
    imgMover->setAccessibleName(tr("Expand"));
    imgMover->installEventFilter(this);
    UseScreenPixels();

    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setInterval(60);
    Timer1->setSingleShot(true);
    Timer1->setTimerType(Qt::PreciseTimer);
    connect(Timer1, &QTimer::timeout, this, &frmMain::Timer1_Timer);
    Timer1->start();

    // Whatever moves the elapsed time other than playing is reported: each
    // report ticks at once (and wakes Timer1 when playback goes on).
    connect(&media_, &MediaComponent::stateChanged, this, &frmMain::Timer1_Timer);
    connect(&media_, &MediaComponent::positionJumped, this, &frmMain::Timer1_Timer);
    MediaPlayer1 = new MediaPlayerBar(media_, this);
    MediaPlayer1->setObjectName(QStringLiteral("MediaPlayer1"));
    MediaPlayer1->setGeometry(TwipsRect(960, 3840, 4575, 615));
    MediaPlayer1->hide();
    connect(&media_, &MediaComponent::lengthKnown, this, &frmMain::MediaPlayer1_LengthKnown);
    connect(&media_, &MediaComponent::endReached, this, &frmMain::MediaPlayer1_EndReached);

    connect(&transport_, &Transport::randomModeChanged, this, &frmMain::ShowRandomMode);
    connect(&transport_, &Transport::failed, this,
            [this](const QString& description) { ShowErrorBox(this, description); });
    connect(&transport_, &Transport::message, this,
            [this](const QString& text) { AppDialogs().MessageBox(this, text); });

    // The keyboard reaches the commands in the order they stand.
    setTabOrder(lblVolume, lblPrev);
    setTabOrder(lblPrev, lblPlay);
    setTabOrder(lblPlay, lblStop);
    setTabOrder(lblStop, lblNext);
    setTabOrder(lblNext, lblRandom);
    setTabOrder(lblRandom, lblExit);
    setTabOrder(lblExit, List1);
    setTabOrder(List1, HScroll_4_Volume);
}

void frmMain::BuildMenus() {
    mnuTagInfo = new QMenu(tr("File Info"), this);
    mnuTagInfo->setObjectName(QStringLiteral("mnuTagInfo"));
    mnuRemoveEntry = mnuTagInfo->addAction(tr("Remove Entry"));
    mnuRemoveEntry->setObjectName(QStringLiteral("mnuRemoveEntry"));
    mnuLoadFiles = mnuTagInfo->addAction(tr("Load Files"));
    mnuLoadFiles->setObjectName(QStringLiteral("mnuLoadFiles"));
    mnuEditTag = mnuTagInfo->addAction(tr("Edit Tag"));
    mnuEditTag->setObjectName(QStringLiteral("mnuEditTag"));
    // What the player adds stands between the designed items, whose last
    // stays last.
    mnuTagInfo->addSeparator();
    BuildPlaylistCommands();
    mnuExportPlaylist = mnuTagInfo->addAction(tr("Export Playlist..."));
    mnuExportPlaylist->setObjectName(QStringLiteral("mnuExportPlaylist"));
    BuildPlaybackMenu();
    mnuTagInfo->addSeparator();
    mnuMediaPlayerBar = mnuTagInfo->addAction(tr("Hide Media Player Bar"));
    mnuMediaPlayerBar->setObjectName(QStringLiteral("mnuMediaPlayerBar"));
    mnuMediaPlayerBar->setCheckable(true);
    mnuMediaPlayerBar->setChecked(true);

    mnuSetTheme = new QMenu(tr("Set Theme"), this);
    mnuSetTheme->setObjectName(QStringLiteral("mnuSetTheme"));
    mnuTheme = mnuSetTheme->addAction(tr("Theme"));
    mnuTheme->setObjectName(QStringLiteral("mnuTheme"));
    mnuAutosize = mnuSetTheme->addAction(tr("Autosize"));
    mnuAutosize->setObjectName(QStringLiteral("mnuAutosize"));
    mnuAutosize->setCheckable(true);
    mnuAutosize->setChecked(true);

    connect(mnuRemoveEntry, &QAction::triggered, this, &frmMain::mnuRemoveEntry_Click);
    connect(mnuLoadFiles, &QAction::triggered, this, &frmMain::mnuLoadFiles_Click);
    connect(mnuEditTag, &QAction::triggered, this, &frmMain::mnuEditTag_Click);
    connect(mnuExportPlaylist, &QAction::triggered, this, &frmMain::mnuExportPlaylist_Click);
    connect(mnuTheme, &QAction::triggered, this, &frmMain::mnuTheme_Click);
    // A check-mark item is decided by its mark before the click: undo Qt's own
    // toggle first, then let the handler set the mark.
    connect(mnuMediaPlayerBar, &QAction::triggered, this, [this](bool now) {
        mnuMediaPlayerBar->setChecked(!now);
        mnuMediaPlayerBar_Click();
    });
    connect(mnuAutosize, &QAction::triggered, this, [this](bool now) {
        mnuAutosize->setChecked(!now);
        mnuAutosize_Click();
    });
}

void frmMain::BuildPlaybackMenu() {
    mnuPlayback = mnuTagInfo->addMenu(tr("Playback"));
    mnuPlayback->setObjectName(QStringLiteral("mnuPlayback"));
    auto* repeat = new QActionGroup(mnuPlayback);
    for (auto [choice, caption, name] :
         {std::tuple{Preferences::Repeat::List, QT_TR_NOOP("Repeat List"), "mnuRepeatList"},
          std::tuple{Preferences::Repeat::Track, QT_TR_NOOP("Repeat Track"), "mnuRepeatTrack"},
          std::tuple{Preferences::Repeat::Off, QT_TR_NOOP("No Repeat"), "mnuNoRepeat"}}) {
        QAction* item = mnuPlayback->addAction(tr(caption));
        item->setObjectName(QString::fromLatin1(name));
        item->setCheckable(true);
        item->setData(static_cast<int>(choice));
        repeat->addAction(item);
        const Preferences::Repeat chosen = choice;
        connect(item, &QAction::triggered, this, [this, chosen] { transport_.setRepeat(chosen); });
    }
    mnuPlayback->addSeparator();
    mnuStopAfter = mnuPlayback->addAction(tr("Stop After This Track"));
    mnuStopAfter->setObjectName(QStringLiteral("mnuStopAfter"));
    mnuStopAfter->setCheckable(true);
    connect(mnuStopAfter, &QAction::triggered, this, [this](bool on) { transport_.setStopAfterThisTrack(on); });
    connect(&transport_, &Transport::stopAfterThisTrackChanged, mnuStopAfter, &QAction::setChecked);
    mnuResume = mnuPlayback->addAction(tr("Resume on Start"));
    mnuResume->setObjectName(QStringLiteral("mnuResume"));
    mnuResume->setCheckable(true);
    connect(mnuResume, &QAction::triggered, this, [this](bool on) { preferences_.setResume(on); });
    mnuPlayback->addSeparator();
    mnuLevelling = mnuPlayback->addAction(tr("Volume Levelling..."));
    mnuLevelling->setObjectName(QStringLiteral("mnuLevelling"));
    connect(mnuLevelling, &QAction::triggered, this, [this] { EditLevelling(this, preferences_); });
    mnuEqualizer = mnuPlayback->addAction(tr("Equalizer..."));
    mnuEqualizer->setObjectName(QStringLiteral("mnuEqualizer"));
    connect(mnuEqualizer, &QAction::triggered, this, &frmMain::mnuEqualizer_Click);
    BuildOutputMenu();
    mnuPlayback->addSeparator();
    BuildSleepTimerMenu();
    // The marks show the preferences, whoever changed them (the desktop's
    // loop control, say).
    auto show = [this, repeat] {
        for (QAction* item : repeat->actions())
            item->setChecked(item->data().toInt() == static_cast<int>(preferences_.repeat()));
        mnuResume->setChecked(preferences_.resume());
    };
    connect(&preferences_, &Preferences::changed, this, show);
    show();
}

// ---- start-up -------------------------------------------------------------

void frmMain::Form_Load() {
    // Drops onto the list are handled by List1_OLEDragDrop.
    List1->setAcceptDrops(true);
    const QString told = stored_.Load();
    if (!told.isEmpty()) AppDialogs().MessageBox(this, told);
    if (playlist_.count() > 0) Guarded(lcWindow, "Form_Load", [this] { SelectEntry(0); });
}

void frmMain::LoadSettings() {
    try {
        // Every item is applied in turn; what could not be shown is told
        // once afterwards (a damaged file may hold hundreds of items).
        QString firstFailure;
        int failures = 0;
        UserSettings::LoadSettings([&](const std::string& item) {
            try {
                SetThemePicture(item);
            } catch (const std::exception& e) {
                if (failures++ == 0)
                    firstFailure = tr("Cannot show the theme picture %1: %2").arg(PathToText(item), ErrorText(e));
            }
        });
        if (failures > 1)
            firstFailure += Counted(
                "frmMain",
                QT_TRANSLATE_N_NOOP("frmMain", "\n%n more items of Settings.dat name no picture that can be shown."),
                "\n%n more item of Settings.dat names no picture that can be shown.", failures - 1);
        if (failures > 0) AppDialogs().MessageBox(this, firstFailure);
    } catch (const std::exception& e) {
        AppDialogs().MessageBox(this, tr("Cannot read the settings: %1").arg(ErrorText(e)));
    }
}

void frmMain::lblExit_Click() {
    // No further handler runs: the player's queued reports are cut off.
    disconnect(&media_, nullptr, this, nullptr);
    Timer1->stop();
    transport_.Shutdown();
    hide();
    if (ExitProgram) ExitProgram();
}

// ---- selection and information line ----------------------------------------

int16_t frmMain::ListIndex() const { return static_cast<int16_t>(playlist_.currentRow()); }

int16_t frmMain::ListCount() const { return static_cast<int16_t>(playlist_.count()); }

void frmMain::SelectEntry(int k) { playlist_.setCurrentRow(k); }

void frmMain::List1_Click() {
    Guarded(lcWindow, "List1_Click", [this] {
        int16_t c = ListIndex();
        if (c < 0) return;
        CurrentFile = playlist_.at(c);
        // "[*]" in a title is Qt's modified-mark placeholder; double it to show it as text.
        QString caption = CaptionForFile(c, CurrentFile);
        caption.replace(QStringLiteral("[*]"), QStringLiteral("[*][*]"));
        setWindowTitle(caption);
    });
}

// ---- transport ---------------------------------------------------------------

int32_t frmMain::Randomizer(int32_t& TheListSize) { return transport_.Randomizer(TheListSize); }

void frmMain::lblPlay_Click() { transport_.Play(); }

void frmMain::lblStop_Click() { transport_.Stop(); }

void frmMain::lblNext_Click() { transport_.Next(); }

void frmMain::lblPrev_Click() { transport_.Prev(); }

void frmMain::lblRandom_Click() { transport_.Random(); }

void frmMain::ShowRandomMode(bool on) {
    QFont f = lblRandom->font();
    f.setBold(on);
    lblRandom->setFont(f);
    lblRandom->setChecked(on);
    ShowLabelColours();
}

void frmMain::ShowLabelColours() {
    if (!lblExit) return;  // not built yet
    const QColor background = palette().color(QPalette::Window);
    const QColor text = palette().color(QPalette::WindowText);
    // Black (and blue, 0xFF0000 in the 0x00BBGGRR layout) on the light window
    // colour they were drawn for; on a dark one they would not be read.
    const bool dark = Luminance(background) < Luminance(text);
    const QColor plain = dark ? text : QColor(0, 0, 0);
    const QColor blue = dark ? Readable(QColor(0, 0, 255), background) : QColor(0, 0, 255);
    for (CommandLabel* l : {lblVolume, lblPrev, lblPlay, lblStop, lblNext, lblRandom, lblExit}) {
        QPalette pal = l->palette();
        pal.setColor(QPalette::WindowText, l == lblRandom && lblRandom->isChecked() ? blue : plain);
        l->setPalette(pal);
    }
}

void frmMain::List1_DblClick() { lblPlay_Click(); }

// ---- time display --------------------------------------------------------------

void frmMain::ShowTime(QLabel* label, const QString& prefix, double t, int64_t* shown) {
    const MinutesSeconds ms = SplitTime(t);
    Minutes = static_cast<int16_t>(std::min<int64_t>(ms.minutes, 32767));
    Seconds = static_cast<int16_t>(ms.seconds);
    // A tick that changes nothing touches nothing (no text built, no repaint).
    const int64_t whole = ms.minutes * 60 + ms.seconds;
    if (shown) {
        if (*shown == whole) return;
        *shown = whole;
    }
    label->setText(prefix + TwoDigits(ms.minutes) + QLatin1Char(':') + TwoDigits(ms.seconds));
    FitWidth(label);
}

void frmMain::Timer1_Timer() {
    double now = -1;
    Guarded(lcWindow, "Timer1_Timer", [this, &now] {
        now = media_.currentPosition();
        ShowTime(lblElapsedTime, tr("Elapsed Time: "), now, &elapsedShown_);
    });
    // The label changes only when the elapsed second does. While the
    // position runs on, Timer1 is aimed at that moment (a tick every 60 ms
    // would show it up to 60 ms late, and wake the window 16 times a second
    // for nothing); while it does not, or while the window is minimized,
    // Timer1 sleeps until the component reports a change (stateChanged,
    // positionJumped) or the window comes back, which ticks again.
    if (!media_.positionRuns() || isMinimized()) {
        Timer1->stop();
        return;
    }
    // Aimed a little past the second, so that the position read then has
    // passed it for sure (a tick before it would wake the window twice). A
    // reading that failed is tried again after the designed 60 ms.
    const double toNextSecond = now < 0 ? 50 : (std::floor(now) + 1 - now) * 1000;
    Timer1->start(std::clamp(static_cast<int>(std::ceil(toNextSecond)) + 10, 10, 1010));
}

void frmMain::MediaPlayer1_LengthKnown() {
    Guarded(lcWindow, "MediaPlayer1_LengthKnown",
            [this] { ShowTime(lblTotalTime, tr("Total Time: "), media_.duration(), nullptr); });
}

void frmMain::MediaPlayer1_EndReached() { transport_.EndReached(); }

// ---- volume ------------------------------------------------------------------------

void frmMain::HScroll_4_Volume_Change() {
    Guarded(lcWindow, "HScroll_4_Volume_Change",
            [this] { masterVolume_.set(HScroll_4_Volume->value(), preferences_.outputSink().toStdString()); });
}

void frmMain::keyPressEvent(QKeyEvent* event) {
    const Qt::KeyboardModifiers mods = event->modifiers() & ~Qt::KeypadModifier;
    const bool ours = event->key() == Qt::Key_Space || event->key() == Qt::Key_Left || event->key() == Qt::Key_Right;
    if (!ours || (mods & ~Qt::ShiftModifier) != Qt::NoModifier) {
        QWidget::keyPressEvent(event);
        return;
    }
    if (!event->isAutoRepeat() || event->key() != Qt::Key_Space) Form_KeyDown(event->key(), mods);
    event->accept();
}

void frmMain::Form_KeyDown(int key, Qt::KeyboardModifiers shift) {
    if (key == Qt::Key_Space) {
        transport_.PlayPause();
        return;
    }
    const double step = shift & Qt::ShiftModifier ? 30 : 5;
    transport_.SeekBy(key == Qt::Key_Left ? -step : step);
}

void frmMain::lblVolume_Click() { HScroll_4_Volume->setVisible(!HScroll_4_Volume->isVisible()); }

// ---- playlist menu -------------------------------------------------------------------

void frmMain::List1_MouseUp(Qt::MouseButton button, const QPoint& globalPos) {
    if (button == Qt::RightButton) mnuTagInfo->popup(globalPos);
}

void frmMain::List1_MenuKey() {
    if (mnuTagInfo->isVisible()) return;  // the key and its context-menu request
    QWidget* area = List1->viewport();
    QRect entry = List1->visualRect(List1->currentIndex());
    QPoint at = entry.isValid() ? QPoint(entry.left() + 8, entry.bottom()) : QPoint(0, 0);
    mnuTagInfo->popup(area->mapToGlobal(at));
}

void frmMain::mnuRemoveEntry_Click() {
    const int16_t c = ListIndex();
    if (c < 0) return;  // nothing selected: nothing to remove
    playlist_.removeAt(c);
    SavePlaylist();
}

void frmMain::mnuLoadFiles_Click() {
    Guarded(lcWindow, "mnuLoadFiles_Click", [this] {
        if (ShowFileLoader)
            ShowFileLoader(this, [this](const std::vector<std::string>& found) { return transport_.Add(found); });
    });
    SavePlaylist();
}

void frmMain::SavePlaylist() {
    if (transport_.IsShutDown()) return;
    const QString failure = stored_.Save();
    if (!failure.isEmpty()) AppDialogs().MessageBox(this, failure);
}

void frmMain::mnuEditTag_Click() {
    const int16_t c = ListIndex();
    const std::string path = c >= 0 ? playlist_.at(c) : std::string();
    Guarded(lcWindow, "mnuEditTag_Click", [this, &path] {
        if (ShowTagEditor) ShowTagEditor(this, path);
    });
}

void frmMain::mnuExportPlaylist_Click() {
    const QString name =
        AppDialogs().GetSaveFileName(this, tr("Export Playlist"), tr("Playlists (*.m3u8)"), QStringLiteral("m3u8"));
    if (name.isEmpty()) return;
    try {
        ExportPlaylist(playlist_.entries(), TextToPath(name));
    } catch (const std::exception& e) {
        AppDialogs().MessageBox(this, tr("Cannot export the playlist: ") + ErrorText(e));
    }
}

void frmMain::mnuMediaPlayerBar_Click() {
    if (mnuMediaPlayerBar->isChecked()) {
        MediaPlayer1->setVisible(true);
        mnuMediaPlayerBar->setChecked(false);
    } else {
        MediaPlayer1->setVisible(false);
        mnuMediaPlayerBar->setChecked(true);
    }
}

// ---- drops -----------------------------------------------------------------------------

void frmMain::List1_OLEDragDrop(const QMimeData* data) {
    Guarded(lcWindow, "List1_OLEDragDrop", [this, data] {
        if (!data) return;
        std::vector<std::string> paths = DroppedPaths(*data);
        if (!paths.empty()) transport_.AddEntries(paths);
    });
}

void frmMain::Form_DragDrop(QWidget* source, double xTwips, double yTwips) {
    if (!source) return;
    source->move(TwipsToPixels(xTwips), TwipsToPixels(yTwips));
}

void frmMain::dragEnterEvent(QDragEnterEvent* event) {
    if (event->mimeData()->hasFormat(QString::fromLatin1(kControlMime))) event->acceptProposedAction();
}

void frmMain::dragMoveEvent(QDragMoveEvent* event) {
    if (event->mimeData()->hasFormat(QString::fromLatin1(kControlMime))) event->acceptProposedAction();
}

void frmMain::dropEvent(QDropEvent* event) {
    const QMimeData* data = event->mimeData();
    if (!data->hasFormat(QString::fromLatin1(kControlMime))) return;
    QString name = QString::fromUtf8(data->data(QString::fromLatin1(kControlMime)));
    QWidget* source = findChild<QWidget*>(name);
    QPoint p = event->position().toPoint();
    Form_DragDrop(source, PixelsToTwips(p.x()), PixelsToTwips(p.y()));
    event->acceptProposedAction();
}

// ---- theme picture -----------------------------------------------------------------------

QImage frmMain::LoadPicture(const std::string& path) {
    // Opened without blocking and read only when it is a regular file: a
    // named pipe or a device would hold the window for as long as it likes.
    struct stat st {};
    UniqueFd fd = OpenRegularFile(path, st, ErrNo::InvalidPicture, true);
    QFile file;
    if (!file.open(fd.get(), QIODevice::ReadOnly, QFileDevice::DontCloseHandle)) throw MakeError(ErrNo::InvalidPicture);
    QImageReader reader(&file);
    reader.setAutoTransform(false);
    const QSize size = reader.size();
    const qint64 bytes = static_cast<qint64>(size.width()) * size.height() * 4;
    if (size.isValid() && QImageReader::allocationLimit() > 0 && bytes > qint64(QImageReader::allocationLimit()) << 20)
        throw AppError(ErrNo::InvalidPicture,
                       tr("Picture too large (%1 x %2 pixels; at most %3 MB of pixels can be shown)")
                           .arg(size.width())
                           .arg(size.height())
                           .arg(QImageReader::allocationLimit())
                           .toStdString());
    QImage image = reader.read();
    if (image.isNull()) throw MakeError(ErrNo::InvalidPicture);
    return image;
}

void frmMain::SetThemePicture(const std::string& path) {
    QPixmap pix;
    if (!path.empty()) {
        // Read off the window's thread: a picture on a share that stopped
        // answering is one that cannot be loaded.
        std::optional<QImage> image = RunWithin<QImage>(kFileDeadline, [path] { return LoadPicture(path); });
        if (!image) {
            qCInfo(lcWindow) << "reading the picture" << QString::fromStdString(path) << "did not answer within"
                             << kFileDeadline.count() << "ms";
            throw AppError(ErrNo::InvalidPicture,
                           StandardDescription(ErrNo::InvalidPicture) + " (the file did not answer)");
        }
        pix = QPixmap::fromImage(*image);
    }
    ownTheme_ = false;
    themePixmap_ = pix;
    if (Stretch) {
        imgTheme->setScaledContents(true);
        imgTheme->setPixmap(pix);
    } else {
        imgTheme->setScaledContents(false);
        imgTheme->setPixmap(pix);
        QSize size = pix.isNull() ? QSize(0, 0) : pix.deviceIndependentSize().toSize();
        imgTheme->resize(size);
    }
}

void frmMain::imgTheme_MouseUp(Qt::MouseButton button, const QPoint& globalPos) {
    if (button == Qt::RightButton) mnuSetTheme->popup(globalPos);
}

void frmMain::mnuTheme_Click() {
    QString name = AppDialogs().GetOpenFileName(this);
    if (name.isEmpty()) return;
    Stretch = true;
    std::string path = TextToPath(name);
    try {
        SetThemePicture(path);
    } catch (const std::exception& e) {
        AppDialogs().MessageBox(this, tr("Cannot show the picture %1: %2").arg(name, ErrorText(e)));
        return;
    }
    try {
        UserSettings::SaveSettings(path);
    } catch (const std::exception& e) {
        qCInfo(lcFiles) << "the settings were not saved:" << ErrorText(e);
        AppDialogs().MessageBox(this, tr("Cannot save the settings: ") + ErrorText(e));
    }
}

// Listed when the Playback menu opens, and kept current from then on (the
// list follows the sound server's outputs as they come and go).
void frmMain::BuildOutputMenu() {
    mnuOutput = mnuPlayback->addMenu(tr("Output"));
    mnuOutput->setObjectName(QStringLiteral("mnuOutput"));
    connect(mnuPlayback, &QMenu::aboutToShow, this, [this] { media_.listOutputs(); });
    connect(&media_, &MediaComponent::outputsListed, this, &frmMain::ShowOutputs);
    connect(&preferences_, &Preferences::changed, this, [this] {
        for (QAction* item : mnuOutput->actions())
            item->setChecked(item->data().toString() == preferences_.outputSink());
    });
    ShowOutputs({}, {});
}

void frmMain::ShowOutputs(const QStringList& names, const QStringList& descriptions) {
    mnuOutput->clear();
    auto* group = new QActionGroup(mnuOutput);
    const QString chosen = preferences_.outputSink();
    auto add = [&](const QString& caption, const QString& name) {
        QAction* item = mnuOutput->addAction(caption);
        item->setCheckable(true);
        item->setData(name);
        item->setChecked(name == chosen);
        group->addAction(item);
        connect(item, &QAction::triggered, this, [this, name] { preferences_.setOutputSink(name); });
    };
    add(tr("Follow the System"), QString());
    mnuOutput->actions().constFirst()->setObjectName(QStringLiteral("mnuFollowSystem"));
    for (int i = 0; i < names.size() && i < descriptions.size(); ++i) add(descriptions[i], names[i]);
    if (!chosen.isEmpty() && !names.contains(chosen)) add(tr("%1 (not there)").arg(chosen), chosen);
}

// The equalizer's window: one, beside this one, raised when asked again.
void frmMain::mnuEqualizer_Click() {
    if (!frmEqualizer) frmEqualizer = new EqualizerWindow(preferences_, this);
    frmEqualizer->show();
    frmEqualizer->raise();
    frmEqualizer->activateWindow();
}

void frmMain::mnuAutosize_Click() {
    if (mnuAutosize->isChecked()) {
        Stretch = true;
        imgTheme->setScaledContents(true);
        mnuAutosize->setChecked(false);
    } else {
        Stretch = false;
        imgTheme->setScaledContents(false);
        imgTheme->resize(themePixmap_.isNull() ? QSize(0, 0) : themePixmap_.deviceIndependentSize().toSize());
        mnuAutosize->setChecked(true);
    }
}

// ---- sizing -------------------------------------------------------------------------------

double frmMain::ThemeLeftTwips() const { return themeLeftTwips_; }

void frmMain::Form_Resize() {
    float windowWidth = static_cast<float>(PixelsToTwips(frameGeometry().width()));
    float pictureWidth = static_cast<float>(PixelsToTwips(imgTheme->width()));
    themeLeftTwips_ = windowWidth - pictureWidth;
    imgTheme->move(TwipsToPixels(themeLeftTwips_), imgTheme->y());
}

bool frmMain::event(QEvent* event) {
    const bool handled = QWidget::event(event);
    switch (event->type()) {
    case QEvent::PaletteChange: ShowLabelColours(); break;
    case QEvent::WindowStateChange:
        // Minimized, nothing is shown; back, the labels catch up at once.
        Timer1_Timer();
        MediaPlayer1->refresh();
        break;
    case QEvent::Show:
        // Only now on the screen it is shown on; it may move to another.
        if (windowHandle() && !screenFollowed_) {
            connect(windowHandle(), &QWindow::screenChanged, this, &frmMain::UseScreenPixels);
            screenFollowed_ = true;
        }
        UseScreenPixels();
        [[fallthrough]];
    case QEvent::WindowTitleChange:
    case QEvent::WinIdChange:
        // An empty information line stays empty in the title bar.
        KeepEmptyCaptionEmpty(this);
        break;
    default: break;
    }
    return handled;
}

// The program's own pictures drawn at the pixels of the window's screen:
// sharp on a high-density one.
void frmMain::UseScreenPixels() {
    const qreal dpr = devicePixelRatioF();
    List1->keepFrameVisible();
    if (dpr == picturesDpr_) return;  // drawn for these pixels already (every Show asks)
    picturesDpr_ = dpr;
    if (ownTheme_) {
        themePixmap_ = DesignedPicture(QStringLiteral(":/data/theme.jpg"), dpr);
        imgTheme->setPixmap(themePixmap_);
    }
    // The 32 x 32 icon is shown whole, scaled down into the smaller control.
    QPixmap mover = QPixmap(QStringLiteral(":/data/mover32.png"))
                        .scaled(imgMover->size() * dpr, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    mover.setDevicePixelRatio(dpr);
    imgMover->setPixmap(mover);
}

void frmMain::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    Form_Resize();
}

bool frmMain::eventFilter(QObject* watched, QEvent* event) {
    if (watched == imgTheme && event->type() == QEvent::MouseButtonRelease) {
        auto* me = static_cast<QMouseEvent*>(event);
        imgTheme_MouseUp(me->button(), me->globalPosition().toPoint());
        return true;
    }
    if (watched == imgMover && event->type() == QEvent::MouseButtonPress) {
        auto* me = static_cast<QMouseEvent*>(event);
        if (me->button() == Qt::LeftButton) {
            // The mover can be dragged to another place in the window.
            auto* drag = new QDrag(imgMover);
            auto* mime = new QMimeData;
            mime->setData(QString::fromLatin1(kControlMime), imgMover->objectName().toUtf8());
            drag->setMimeData(mime);
            drag->setPixmap(imgMover->pixmap());
            drag->exec(Qt::MoveAction);
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}
