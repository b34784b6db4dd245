#include "frm_file_loader.h"

#include "app_error.h"
#include "collect_files.h"
#include "dialogs.h"
#include "file_util.h"
#include "playlist_model.h"
#include "twips.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileSystemModel>
#include <QIcon>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QSortFilterProxyModel>
#include <QStorageInfo>
#include <QTimer>
#include <QTreeView>
#include <algorithm>
#include <cerrno>
#include <dirent.h>
#include <exception>
#include <sys/stat.h>

namespace {

const char* const kLoaderTitle = "MP3 File Loader";
const char* const kTitleText = "Browse and Select The Directory Where  There May Be Some MP3 Files";

// The buttons keep their designed size; a caption wider than that in the
// desktop's font is drawn in a smaller size of the same font instead of cut.
void ShrinkFontToFit(QPushButton* button) {
    QFont font = button->font();
    while (button->sizeHint().width() > button->width() && font.pointSizeF() > 6.0) {
        font.setPointSizeF(font.pointSizeF() - 0.25);
        button->setFont(font);
    }
}

QString Normalized(const QString& path) {
    QString p = QDir::cleanPath(QDir(path).absolutePath());
    return p.isEmpty() ? QStringLiteral("/") : p;
}

bool IsUnder(const QString& path, const QString& root) {
    if (root == QLatin1String("/")) return path.startsWith('/');
    return path == root || path.startsWith(root + '/');
}

// The ordinary, non-hidden files of a folder, sorted without regard to case.
// Throws AppError when the folder cannot be listed.
QStringList ListFiles(const QString& folder) {
    std::string dirPath = TextToPath(folder);
    DIR* dir = ::opendir(dirPath.c_str());
    if (!dir) throw ErrorFromErrno(errno);
    QStringList names;
    int fd = ::dirfd(dir);
    while (dirent* e = ::readdir(dir)) {
        if (e->d_name[0] == '.') continue;
        bool regular = e->d_type == DT_REG;
        if (e->d_type == DT_LNK || e->d_type == DT_UNKNOWN) {
            struct stat st {};
            regular = ::fstatat(fd, e->d_name, &st, 0) == 0 && S_ISREG(st.st_mode);
        }
        if (regular) names << PathToText(e->d_name);
    }
    ::closedir(dir);
    std::sort(names.begin(), names.end(),
              [](const QString& a, const QString& b) { return a.compare(b, Qt::CaseInsensitive) < 0; });
    return names;
}

}  // namespace

// Shows only the chosen volume in the folder tree: its root, the root's
// ancestors (so the root itself is a visible item) and everything below it.
class FolderTreeFilter : public QSortFilterProxyModel {
public:
    using QSortFilterProxyModel::QSortFilterProxyModel;
    void setVolume(const QString& root) {
        root_ = root;
        invalidateFilter();
    }

protected:
    bool filterAcceptsRow(int row, const QModelIndex& parent) const override {
        auto* fs = static_cast<QFileSystemModel*>(sourceModel());
        QString path = fs->filePath(fs->index(row, 0, parent));
        if (root_.isEmpty()) return true;
        if (IsUnder(path, root_)) return true;
        return root_ == path || IsUnder(root_, path);  // an ancestor of the root
    }

private:
    QString root_;
};

frmFileLoader::frmFileLoader(PlaylistModel* list, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::MSWindowsFixedSizeDialogHint |
                          Qt::WindowTitleHint | Qt::WindowCloseButtonHint),
      list_(list) {
    setObjectName(QStringLiteral("frmFileLoader"));
    setWindowTitle(QStringLiteral("Find & Load MP3 Files"));
    if (QFile::exists(QStringLiteral(":/data/icon32.png")))
        setWindowIcon(QIcon(QStringLiteral(":/data/icon32.png")));
    setFixedSize(TwipsSize(8625, 4020));
    BuildControls();
    FillDrives();
    // Every opening starts at the root volume and its root folder.
    SetVolume(QStringLiteral("/"));
    OpenFolder(QStringLiteral("/"));
    Dir1_->setFocus();
}

frmFileLoader::~frmFileLoader() {
    cancel_ = true;
    if (worker_.joinable()) worker_.join();
}

void frmFileLoader::BuildControls() {
    titleText_ = QString::fromLatin1(kTitleText);
    lblTitle_ = new QLabel(titleText_, this);
    lblTitle_->setObjectName(QStringLiteral("lblTitle"));
    lblTitle_->setGeometry(TwipsRect(120, 120, 8295, 375));
    QFont bold = lblTitle_->font();
    bold.setBold(true);
    bold.setPointSizeF(8.25);
    lblTitle_->setFont(bold);

    Label1_ = new QLabel(QStringLiteral("Drives & Folders"), this);
    Label1_->setObjectName(QStringLiteral("Label1"));
    Label1_->setGeometry(TwipsRect(120, 480, 3735, 255));

    Label2_ = new QLabel(QStringLiteral("Contents Preview"), this);
    Label2_->setObjectName(QStringLiteral("Label2"));
    Label2_->setGeometry(TwipsRect(4200, 480, 3735, 255));

    Drive1_ = new QComboBox(this);
    Drive1_->setObjectName(QStringLiteral("Drive1"));
    Drive1_->setGeometry(TwipsRect(120, 720, 3975, 315));
    Drive1_->setStyleSheet(QStringLiteral("QComboBox { background-color: rgb(255,255,192); border: 1px solid gray; padding-left: 3px; }"));
    connect(Drive1_, qOverload<int>(&QComboBox::activated), this, &frmFileLoader::Drive1_Activated);

    fsModel_ = new QFileSystemModel(this);
    fsModel_->setFilter(QDir::Dirs | QDir::NoDotAndDotDot);
    fsModel_->setReadOnly(true);
    fsModel_->setRootPath(QStringLiteral("/"));
    treeFilter_ = new FolderTreeFilter(this);
    treeFilter_->setSourceModel(fsModel_);
    treeFilter_->setRecursiveFilteringEnabled(false);
    treeFilter_->setSortCaseSensitivity(Qt::CaseInsensitive);
    treeFilter_->sort(0, Qt::AscendingOrder);

    Dir1_ = new QTreeView(this);
    Dir1_->setObjectName(QStringLiteral("Dir1"));
    Dir1_->setGeometry(TwipsRect(120, 1080, 3975, 2115));
    Dir1_->setModel(treeFilter_);
    for (int c = 1; c < fsModel_->columnCount(); ++c) Dir1_->hideColumn(c);
    Dir1_->setHeaderHidden(true);
    Dir1_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    Dir1_->setStyleSheet(QStringLiteral("QTreeView { background-color: rgb(255,224,192); }"));
    Dir1_->installEventFilter(this);
    connect(Dir1_, &QTreeView::doubleClicked, this, [this](const QModelIndex& index) {
        try {
            OpenFolder(fsModel_->filePath(treeFilter_->mapToSource(index)));
        } catch (...) {
        }
    });

    File1_ = new QListWidget(this);
    File1_->setObjectName(QStringLiteral("File1"));
    File1_->setGeometry(TwipsRect(4200, 720, 4335, 2430));
    File1_->setStyleSheet(QStringLiteral("QListWidget { background-color: rgb(255,192,192); }"));

    cmdLoad_ = new QPushButton(QStringLiteral("Load Directory List"), this);
    cmdLoad_->setObjectName(QStringLiteral("cmdLoad"));
    cmdLoad_->setGeometry(TwipsRect(2160, 3480, 1575, 375));
    ShrinkFontToFit(cmdLoad_);
    cmdLoad_->setAutoDefault(false);
    connect(cmdLoad_, &QPushButton::clicked, this, &frmFileLoader::cmdLoad_Click);

    cmdClose_ = new QPushButton(QStringLiteral("Close"), this);
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
    QStringList roots{QStringLiteral("/")};
    for (const QStorageInfo& v : QStorageInfo::mountedVolumes()) {
        if (!v.isValid() || !v.isReady()) continue;
        QString root = v.rootPath();
        if (!root.isEmpty() && !roots.contains(root)) roots << root;
    }
    for (const QString& root : roots) Drive1_->addItem(root, root);
    Drive1_->setCurrentIndex(0);
}

void frmFileLoader::Drive1_Activated(int index) {
    try {
        QString root = Drive1_->itemData(index).toString();
        QString previousVolume = volume_;
        QString previousFolder = opened_;
        SetVolume(root);
        OpenFolder(root);
        if (opened_ != Normalized(root)) {
            // The volume cannot be listed: stay where we were.
            SetVolume(previousVolume);
            ShowInTree(previousFolder);
        }
    } catch (...) {
    }
}

void frmFileLoader::SetVolume(const QString& root) {
    volume_ = root;
    int i = Drive1_->findData(root);
    if (i >= 0) Drive1_->setCurrentIndex(i);
    treeFilter_->setVolume(root);
    QModelIndex rootSource = fsModel_->index(root);
    Dir1_->setRootIndex(treeFilter_->mapFromSource(rootSource.parent()));
    Dir1_->expand(treeFilter_->mapFromSource(rootSource));
}

void frmFileLoader::ShowInTree(const QString& path) {
    QModelIndex index = treeFilter_->mapFromSource(fsModel_->index(path));
    if (!index.isValid()) return;
    Dir1_->setCurrentIndex(index);
    Dir1_->expand(index);
    Dir1_->scrollTo(index);
}

void frmFileLoader::OpenFolder(const QString& path) {
    try {
        QString folder = Normalized(path);
        QStringList files;
        try {
            files = ListFiles(folder);
        } catch (const AppError& e) {
            AppDialogs().MessageBox(this, QStringLiteral("Cannot open the folder %1: %2").arg(folder, e.description()),
                                    QString::fromLatin1(kLoaderTitle), MsgIcon::Critical);
            return;
        }
        if (!IsUnder(folder, volume_)) {
            // A folder of another volume: show the volume that holds it.
            QString best = QStringLiteral("/");
            for (int i = 0; i < Drive1_->count(); ++i) {
                QString root = Drive1_->itemData(i).toString();
                if (IsUnder(folder, root) && root.size() > best.size()) best = root;
            }
            SetVolume(best);
        }
        opened_ = folder;
        File1_->clear();
        File1_->addItems(files);
        ShowInTree(folder);
    } catch (const std::exception& e) {
        ShowFailure(QString::fromLocal8Bit(e.what()));
    } catch (...) {
    }
}

bool frmFileLoader::eventFilter(QObject* watched, QEvent* event) {
    if (watched == Dir1_ && event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
            QModelIndex current = Dir1_->currentIndex();
            if (current.isValid()) OpenFolder(fsModel_->filePath(treeFilter_->mapToSource(current)));
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void frmFileLoader::ShowFailure(const QString& text) {
    try {
        AppDialogs().MessageBox(this, text, QString::fromLatin1(kLoaderTitle), MsgIcon::Critical);
    } catch (...) {
    }
}

void frmFileLoader::SetSearching(bool on) {
    cmdLoad_->setEnabled(!on);
    Drive1_->setEnabled(!on);
    Dir1_->setEnabled(!on);
    cmdClose_->setText(on ? QStringLiteral("Cancel") : QStringLiteral("Close"));
    if (on) {
        setCursor(Qt::BusyCursor);
        UpdateProgress();
        progressTimer_->start();
    } else {
        progressTimer_->stop();
        unsetCursor();
        lblTitle_->setText(titleText_);
    }
}

void frmFileLoader::UpdateProgress() {
    lblTitle_->setText(QStringLiteral("Searching: %1 folders, %2 files")
                           .arg(foldersSeen_.load())
                           .arg(filesFound_.load()));
}

void frmFileLoader::cmdLoad_Click() {
    try {
        if (IsSearching()) return;
        cancel_ = false;
        closeWhenDone_ = false;
        foldersSeen_ = 0;
        filesFound_ = 0;
        std::string start = TextToPath(opened_);
        SetSearching(true);
        worker_ = std::thread([this, start] {
            auto paths = std::make_shared<std::vector<std::string>>();
            QString failure;
            try {
                CollectOptions options;
                options.cancel = &cancel_;
                options.progress = [this](std::size_t folders, std::size_t files) {
                    foldersSeen_.store(folders, std::memory_order_relaxed);
                    filesFound_.store(files, std::memory_order_relaxed);
                };
                *paths = CollectFiles(start, "*.mp3", true, options);
            } catch (const std::bad_alloc&) {
                paths->clear();
                failure = QStringLiteral("Out of memory");
            } catch (const std::exception& e) {
                paths->clear();
                failure = QString::fromLocal8Bit(e.what());
            } catch (...) {
                paths->clear();
                failure = QStringLiteral("The search failed");
            }
            QMetaObject::invokeMethod(
                this, [this, paths, failure] { SearchFinished(paths, failure); }, Qt::QueuedConnection);
        });
    } catch (const std::exception& e) {
        SetSearching(false);
        ShowFailure(QString::fromLocal8Bit(e.what()));
    } catch (...) {
        SetSearching(false);
    }
}

void frmFileLoader::SearchFinished(std::shared_ptr<std::vector<std::string>> paths, QString failure) {
    try {
        if (worker_.joinable()) worker_.join();
        SetSearching(false);
        if (closeWhenDone_) {
            QDialog::reject();
            return;
        }
        if (cancel_) return;  // cancelled: nothing is added, the window stays open
        if (!failure.isEmpty()) {
            ShowFailure(failure);
            return;
        }
        int refused = list_ ? list_->addMany(*paths) : 0;
        if (refused > 0) {
            ShowFailure(QStringLiteral("%1 files were not added because the playlist is full (it holds at most %2 "
                                       "entries).")
                            .arg(refused)
                            .arg(PlaylistModel::kMaxEntries));
            return;
        }
        accept();
    } catch (const AppError& e) {
        ShowFailure(e.description());
    } catch (const std::exception& e) {
        ShowFailure(QString::fromLocal8Bit(e.what()));
    } catch (...) {
        ShowFailure(QStringLiteral("The files could not be added"));
    }
}

void frmFileLoader::cmdClose_Click() {
    try {
        if (IsSearching()) {
            cancel_ = true;  // the window stays open; the result is dropped
            return;
        }
        QDialog::reject();
    } catch (...) {
    }
}

void frmFileLoader::reject() {
    try {
        if (IsSearching()) {
            // Title-bar close or Escape while searching: stop, then close.
            cancel_ = true;
            closeWhenDone_ = true;
            return;
        }
        QDialog::reject();
    } catch (...) {
    }
}

void frmFileLoader::Run(QWidget* parent, PlaylistModel* list) {
    frmFileLoader window(list, parent);
    window.exec();
}
