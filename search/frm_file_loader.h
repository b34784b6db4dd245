#pragma once
// The folder search window: browse to a folder and load every "*.mp3" file in
// it and in all folders below it into the playlist, through the add function
// the caller gives it. The search runs on a thread of its own so the window
// stays painted and can cancel it; the window polls it and never waits for
// it. A search stuck in a read of a share that stopped answering is left to
// itself once cancelled, as are the listings of the folder tree and the
// preview, which the window gives the file deadline (common/deadline.h).
#include <QDialog>
#include <QString>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class BoundedThread;
class FolderTreeModel;
class QComboBox;
class QLabel;
class QListWidget;
class QPushButton;
class QTimer;
class QTreeView;

class frmFileLoader : public QDialog {
    Q_OBJECT
public:
    // Adds the paths found to the playlist; returns what was not added, said
    // in one sentence, or the empty text.
    using AddFunction = std::function<QString(const std::vector<std::string>& paths)>;

    explicit frmFileLoader(AddFunction add, QWidget* parent = nullptr);
    ~frmFileLoader() override;

    // The folder opened in Dir1 (the one File1 previews and a load searches),
    // as text and as the bytes of its path.
    QString OpenedFolder() const;
    const std::string& OpenedFolderPath() const { return opened_; }
    // Opens a folder as a double-click in Dir1 would. A folder that cannot be
    // listed gives a message box and the previous folder stays opened.
    void OpenFolder(const std::string& path);
    void OpenFolder(const QString& path);
    bool IsSearching() const { return static_cast<bool>(search_); }

    // Creates the window and shows it modally.
    static void Run(QWidget* parent, const AddFunction& add);

public slots:
    void cmdLoad_Click();
    void cmdClose_Click();
    void reject() override;

private:
    void BuildControls();
    void FillDrives();
    void Drive1_Activated(int index);
    void SetVolume(const std::string& root);
    void ShowInTree(const std::string& path);
    // What the search thread and the window share.
    struct Search;
    // Asks the search to stop; the window goes on once it has, or at once
    // when it does not within the file deadline (stuck in a read).
    void CancelSearch();
    void SearchFinished(const std::vector<std::string>& paths, const QString& failure);
    void SetSearching(bool on);
    // Shows the counts, and finishes a search that has ended.
    void UpdateProgress();
    void ShowFailure(const QString& text);
    bool eventFilter(QObject* watched, QEvent* event) override;

    AddFunction add_;
    QLabel* lblTitle_ = nullptr;
    QLabel* Label1_ = nullptr;
    QLabel* Label2_ = nullptr;
    QComboBox* Drive1_ = nullptr;
    QTreeView* Dir1_ = nullptr;
    QListWidget* File1_ = nullptr;
    QPushButton* cmdLoad_ = nullptr;
    QPushButton* cmdClose_ = nullptr;
    FolderTreeModel* folders_ = nullptr;
    QTimer* progressTimer_ = nullptr;

    std::string volume_;  // root of the volume Dir1 shows
    std::string opened_;  // the opened folder
    QString titleText_;

    std::shared_ptr<Search> search_;  // none when no search runs
    std::unique_ptr<BoundedThread> worker_;
    bool closeWhenDone_ = false;
};
