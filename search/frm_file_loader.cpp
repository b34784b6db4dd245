#include "search/frm_file_loader.h"
#include "common/error_text.h"

#include "common/app_error.h"
#include "common/case_fold.h"
#include "common/deadline.h"
#include "common/dialogs.h"
#include "common/file_util.h"
#include "common/fit_caption.h"
#include "common/log.h"
#include "common/thread_safety.h"
#include "common/twips.h"
#include "search/collect_files.h"
#include "search/folder_listing.h"
#include "search/folder_tree_model.h"

#include <unistd.h>
#include <QComboBox>
#include <QFile>
#include <QIcon>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QStorageInfo>
#include <QTimer>
#include <QTreeView>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <exception>

namespace {

const char* const kLoaderTitle = QT_TRANSLATE_NOOP("frmFileLoader", "MP3 File Loader");
const char* const kTitleText =
    QT_TRANSLATE_NOOP("frmFileLoader", "Browse and Select The Directory Where  There May Be Some MP3 Files");

bool IsUnder(const std::string& path, const std::string& root) {
    if (root == "/") return !path.empty() && path[0] == '/';
    return path == root || path.compare(0, root.size() + 1, root + "/") == 0;
}

// The ordinary, non-hidden files of a folder, sorted without regard to case,
// as text. Throws AppError when the folder cannot be listed or does not
// answer.
QStringList ListFiles(const std::string& folder) {
    std::vector<std::string> names = ListFolderWithin(folder).files;
    std::vector<std::pair<std::string, QString>> keyed;
    keyed.reserve(names.size());
    for (const std::string& n : names) keyed.emplace_back(FoldCase(n), PathToText(n));
    std::sort(keyed.begin(), keyed.end());
    QStringList shown;
    shown.reserve(static_cast<qsizetype>(keyed.size()));
    for (auto& k : keyed) shown << std::move(k.second);
    return shown;
}

}  // namespace

// Kept alive by the search thread as long as it runs, which may be after the
// window is gone (left stuck in a read).
struct frmFileLoader::Search {
    std::atomic<bool> cancel{false};
    std::atomic<std::size_t> folders{0};
    std::atomic<std::size_t> files{0};
    std::chrono::steady_clock::time_point cancelledAt{};  // the window's own
    Mutex mutex;
    bool done GUARDED_BY(mutex) = false;
    std::vector<std::string> paths GUARDED_BY(mutex);
    QString failure GUARDED_BY(mutex);
};

frmFileLoader::frmFileLoader(AddFunction add, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                          Qt::WindowCloseButtonHint),
      add_(std::move(add)) {
    setObjectName(QStringLiteral("frmFileLoader"));
    setWindowTitle(tr("Find & Load MP3 Files"));
    if (QFile::exists(QStringLiteral(":/data/icon32.png"))) setWindowIcon(QIcon(QStringLiteral(":/data/icon32.png")));
    setFixedSize(TwipsSize(8625, 4020));
    BuildControls();
    FillDrives();
    // Every opening starts at the root volume and its root folder.
    SetVolume("/");
    OpenFolder(std::string("/"));
    Dir1_->setFocus();
}

frmFileLoader::~frmFileLoader() {
    // A search still running stops at its next folder; it is not waited for.
    if (search_) search_->cancel = true;
}

void frmFileLoader::BuildControls() {
    titleText_ = tr(kTitleText);
    lblTitle_ = new QLabel(titleText_, this);
    lblTitle_->setObjectName(QStringLiteral("lblTitle"));
    lblTitle_->setGeometry(TwipsRect(120, 120, 8295, 375));
    QFont bold = lblTitle_->font();
    bold.setBold(true);
    bold.setPointSizeF(8.25);
    lblTitle_->setFont(bold);

    Label1_ = new QLabel(tr("Drives & Folders"), this);
    Label1_->setObjectName(QStringLiteral("Label1"));
    Label1_->setGeometry(TwipsRect(120, 480, 3735, 255));

    Label2_ = new QLabel(tr("Contents Preview"), this);
    Label2_->setObjectName(QStringLiteral("Label2"));
    Label2_->setGeometry(TwipsRect(4200, 480, 3735, 255));

    Drive1_ = new QComboBox(this);
    Drive1_->setObjectName(QStringLiteral("Drive1"));
    Drive1_->setGeometry(TwipsRect(120, 720, 3975, 315));
    Drive1_->setStyleSheet(
        QStringLiteral("QComboBox { background-color: rgb(255,255,192); border: 1px solid gray; padding-left: 3px; }"));
    connect(Drive1_, qOverload<int>(&QComboBox::activated), this, &frmFileLoader::Drive1_Activated);

    folders_ = new FolderTreeModel(this);

    Dir1_ = new QTreeView(this);
    Dir1_->setObjectName(QStringLiteral("Dir1"));
    Dir1_->setGeometry(TwipsRect(120, 1080, 3975, 2115));
    Dir1_->setModel(folders_);
    Dir1_->setHeaderHidden(true);
    Dir1_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    Dir1_->setStyleSheet(QStringLiteral("QTreeView { background-color: rgb(255,224,192); }"));
    Dir1_->installEventFilter(this);
    connect(Dir1_, &QTreeView::doubleClicked, this, [this](const QModelIndex& index) {
        Guarded(lcWindow, "Dir1_DblClick", [&] { OpenFolder(folders_->pathOf(index)); });
    });

    File1_ = new QListWidget(this);
    File1_->setObjectName(QStringLiteral("File1"));
    File1_->setGeometry(TwipsRect(4200, 720, 4335, 2430));
    File1_->setStyleSheet(QStringLiteral("QListWidget { background-color: rgb(255,192,192); }"));

    cmdLoad_ = new QPushButton(tr("Load Directory List"), this);
    cmdLoad_->setObjectName(QStringLiteral("cmdLoad"));
    cmdLoad_->setGeometry(TwipsRect(2160, 3480, 1575, 375));
    // It keeps its designed size: a caption wider than that in the desktop's
    // font is drawn a little smaller instead of cut.
    FitCaption(cmdLoad_, Qt::RightEdge, cmdLoad_->geometry().right());
    cmdLoad_->setAutoDefault(false);
    connect(cmdLoad_, &QPushButton::clicked, this, &frmFileLoader::cmdLoad_Click);

    cmdClose_ = new QPushButton(tr("Close"), this);
    cmdClose_->setObjectName(QStringLiteral("cmdClose"));
    cmdClose_->setGeometry(TwipsRect(3960, 3480, 1695, 375));
    cmdClose_->setAutoDefault(false);
    connect(cmdClose_, &QPushButton::clicked, this, &frmFileLoader::cmdClose_Click);

    // Tab order as designed: Dir1, Drive1, (lblTitle), File1, cmdLoad, cmdClose.
    setTabOrder(Dir1_, Drive1_);
    setTabOrder(Drive1_, File1_);
    setTabOrder(File1_, cmdLoad_);
    setTabOrder(cmdLoad_, cmdClose_);

    progressTimer_ = new QTimer(this);
    progressTimer_->setInterval(100);
    connect(progressTimer_, &QTimer::timeout, this, &frmFileLoader::UpdateProgress);
}

void frmFileLoader::FillDrives() {
    std::vector<std::string> roots{"/"};
    for (const QStorageInfo& v : QStorageInfo::mountedVolumes()) {
        if (!v.isValid() || !v.isReady() || IsVirtualFileSystem(v.fileSystemType().toStdString())) continue;
        std::string root = TextToPath(v.rootPath());
        if (!root.empty() && std::find(roots.begin(), roots.end(), root) == roots.end()) roots.push_back(root);
    }
    for (const std::string& root : roots) Drive1_->addItem(PathToText(root), QByteArray::fromStdString(root));
    Drive1_->setCurrentIndex(0);
}

void frmFileLoader::Drive1_Activated(int index) {
    Guarded(lcWindow, "Drive1_Change", [&] {
        const std::string root = Drive1_->itemData(index).toByteArray().toStdString();
        const std::string previousVolume = volume_;
        const std::string previousFolder = opened_;
        SetVolume(root);
        OpenFolder(root);
        if (opened_ != AbsolutePath(root)) {
            // The volume cannot be listed: stay where we were.
            SetVolume(previousVolume);
            ShowInTree(previousFolder);
        }
    });
}

void frmFileLoader::SetVolume(const std::string& root) {
    volume_ = root;
    int i = Drive1_->findData(QByteArray::fromStdString(root));
    if (i >= 0) Drive1_->setCurrentIndex(i);
    folders_->setRoot(root);
    Dir1_->expand(folders_->index(0, 0));
}

void frmFileLoader::ShowInTree(const std::string& path) {
    QModelIndex index = folders_->indexOf(path);
    if (!index.isValid()) return;
    Dir1_->setCurrentIndex(index);
    Dir1_->expand(index);
    Dir1_->scrollTo(index);
}

QString frmFileLoader::OpenedFolder() const { return PathToText(opened_); }

void frmFileLoader::OpenFolder(const QString& path) { OpenFolder(TextToPath(path)); }

void frmFileLoader::OpenFolder(const std::string& path) {
    try {
        const std::string folder = AbsolutePath(path);
        QStringList files;
        try {
            files = ListFiles(folder);
        } catch (const AppError& e) {
            AppDialogs().MessageBox(this, tr("Cannot open the folder %1: %2").arg(PathToText(folder), ErrorText(e)),
                                    tr(kLoaderTitle), MsgIcon::Critical);
            return;
        }
        if (!IsUnder(folder, volume_)) {
            // A folder of another volume: show the volume that holds it.
            std::string best = "/";
            for (int i = 0; i < Drive1_->count(); ++i) {
                const std::string root = Drive1_->itemData(i).toByteArray().toStdString();
                if (IsUnder(folder, root) && root.size() > best.size()) best = root;
            }
            SetVolume(best);
        }
        opened_ = folder;
        File1_->clear();
        File1_->addItems(files);
        ShowInTree(folder);
    } catch (const std::exception& e) {
        ShowFailure(ErrorText(e));
    }
}

bool frmFileLoader::eventFilter(QObject* watched, QEvent* event) {
    if (watched == Dir1_ && event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
            QModelIndex current = Dir1_->currentIndex();
            if (current.isValid()) OpenFolder(folders_->pathOf(current));
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void frmFileLoader::ShowFailure(const QString& text) {
    Guarded(lcWindow, "ShowFailure", [&] { AppDialogs().MessageBox(this, text, tr(kLoaderTitle), MsgIcon::Critical); });
}

void frmFileLoader::SetSearching(bool on) {
    cmdLoad_->setEnabled(!on);
    Drive1_->setEnabled(!on);
    Dir1_->setEnabled(!on);
    cmdClose_->setText(on ? tr("Cancel") : tr("Close"));
    if (on) {
        setCursor(Qt::BusyCursor);
        lblTitle_->setText(tr("Searching: 0 folders, 0 files"));
        progressTimer_->start();
    } else {
        progressTimer_->stop();
        unsetCursor();
        lblTitle_->setText(titleText_);
    }
}

void frmFileLoader::UpdateProgress() {
    if (!search_) {
        progressTimer_->stop();
        return;
    }
    lblTitle_->setText(tr("Searching: %1 folders, %2 files")
                           .arg(search_->folders.load(std::memory_order_relaxed))
                           .arg(search_->files.load(std::memory_order_relaxed)));
    std::vector<std::string> paths;
    QString failure;
    {
        MutexLock lock(search_->mutex);
        if (!search_->done) {
            // Cancelled, and stuck in a read of a share that does not
            // answer: it is left to itself.
            const bool stuck =
                search_->cancel && std::chrono::steady_clock::now() - search_->cancelledAt > kFileDeadline;
            if (!stuck) return;
            qCInfo(lcWindow) << "the cancelled search did not end within" << kFileDeadline.count()
                             << "ms and is left to itself";
        }
        paths.swap(search_->paths);
        failure = search_->failure;
    }
    SearchFinished(paths, failure);
}

void frmFileLoader::cmdLoad_Click() {
    if (IsSearching()) return;
    try {
        closeWhenDone_ = false;
        auto search = std::make_shared<Search>();
        const std::string start = opened_;
        worker_ = std::make_unique<BoundedThread>([search, start] {
            std::vector<std::string> paths;
            QString failure;
            try {
                CollectOptions options;
                options.cancel = &search->cancel;
                options.progress = [search](std::size_t folders, std::size_t files) {
                    search->folders.store(folders, std::memory_order_relaxed);
                    search->files.store(files, std::memory_order_relaxed);
                };
                paths = CollectFiles(start, "*.mp3", true, options);
            } catch (const std::bad_alloc&) {
                paths.clear();
                failure = tr("Out of memory");
            } catch (const std::exception& e) {
                paths.clear();
                failure = ErrorText(e);
            } catch (...) {
                paths.clear();
                failure = tr("The search failed");
            }
            MutexLock lock(search->mutex);
            search->paths = std::move(paths);
            search->failure = failure;
            search->done = true;
        });
        search_ = std::move(search);
        SetSearching(true);
    } catch (const std::exception& e) {
        ShowFailure(ErrorText(e));
    }
}

void frmFileLoader::SearchFinished(const std::vector<std::string>& paths, const QString& failure) {
    const bool cancelled = search_ && search_->cancel;
    search_.reset();
    if (worker_) worker_->joinWithin(std::chrono::milliseconds(0));  // ended, or left to itself
    worker_.reset();
    SetSearching(false);
    if (closeWhenDone_) {
        QDialog::reject();
        return;
    }
    if (cancelled) return;  // nothing is added, the window stays open
    if (!failure.isEmpty()) {
        ShowFailure(failure);
        return;
    }
    try {
        // What does not fit is said here, and the window stays open.
        const QString notAdded = add_ ? add_(paths) : QString();
        if (!notAdded.isEmpty()) {
            ShowFailure(notAdded);
            return;
        }
        accept();
    } catch (const std::exception& e) {
        ShowFailure(ErrorText(e));
    } catch (...) {
        ShowFailure(tr("The files could not be added"));
    }
}

void frmFileLoader::CancelSearch() {
    if (!search_ || search_->cancel) return;
    search_->cancelledAt = std::chrono::steady_clock::now();
    search_->cancel = true;
}

void frmFileLoader::cmdClose_Click() {
    if (IsSearching()) {
        CancelSearch();  // the window stays open; the result is dropped
        return;
    }
    QDialog::reject();
}

void frmFileLoader::reject() {
    if (IsSearching()) {
        // Title-bar close or Escape while searching: stop, then close.
        CancelSearch();
        closeWhenDone_ = true;
        return;
    }
    QDialog::reject();
}

void frmFileLoader::Run(QWidget* parent, const AddFunction& add) {
    frmFileLoader window(add, parent);
    window.exec();
}
