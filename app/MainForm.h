#pragma once
#include <functional>
#include <QMainWindow>
#include <memory>
#include <vector>

#include "app/BuildEdition.h"
#include "catalogue/SongView.h"
#include "library/Startup.h"

class QCheckBox;
class QComboBox;
class QDockWidget;
class QHBoxLayout;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QTableView;
class QTimer;
class QVBoxLayout;

namespace qv {

class AddSongPanel;
class CopyProgressDialog;
class MediaPreviewPanel;
class QtDiskToolsHost;
class QtUserInterface;
class SongGridEditors;
class SongGridModel;

// The main window: runs start-up while it is created, shows the song list view with its filters, and
// runs the shut-down offers when it closes. Handlers stay thin: each calls one function of its subsystem.
class TMainForm : public QMainWindow, public StartupWindow, public SongView {
    Q_OBJECT
public:
    // playerArgs go to the media preview's libVLC, started on the first preview (tests pass dummy outputs).
    explicit TMainForm(QWidget* parent = nullptr, Edition edition = BuildEdition(),
                       const std::vector<std::string>& playerArgs = {});
    ~TMainForm() override;

    // The program's message boxes, wait window, status line and progress bar.
    QtUserInterface& Ui() { return *ui_; }

    // Song list view.
    QTableView* StringGrid;
    QComboBox* ShowOnlyComboBox;
    QComboBox* FavorComboBox;
    QCheckBox* SelectOnlyCheckBox;
    QCheckBox* SpecialDelCheckBox;
    QCheckBox* NewSongCheckBox;
    QLabel* Label10;
    QLabel* Label11;
    QLabel* Label12;
    QLineEdit* SearchEdit;
    QPushButton* SearchButton;
    QPushButton* ClearSelectButton;
    QPushButton* AntiSelectButton;
    QComboBox* SingerComboBox;
    QLabel* SongNameFormatLabel1;
    QLabel* SongNameFormatLabel2;
    QLabel* LineMesgLabel;
    QProgressBar* ProgressBar;
    SongGridEditors* Editors;
    MediaPreviewPanel* MediaPreview = nullptr;
    // The add panel, docked beside the grid, and the song-file buttons.
    AddSongPanel* AddPanel;
    QDockWidget* AddPanelDock;
    QPushButton* DeleteButton;
    QPushButton* MultiDelButton;
    QPushButton* SpecialDelButton;
    QPushButton* ReplaceButton;

    // The play buttons now shown beside the grid's rows, top first.
    std::vector<QPushButton*> VisiblePlayButtons() const;

    // Re-filters the view from the filter controls (does nothing while songs are added).
    void RefreshSongGrid();
    // Unticks the new-song and special-delete filters and puts both filter boxes on their first item,
    // without refiltering (the caller refreshes).
    void ResetSongFilters();
    // Number of the song in the grid's selected row; empty when none is selected.
    std::string SelectedSongNo() const;
    // The view shows ShownRows anew (rebuilt or reordered), from its top.
    void RefreshRows() override;
    void RefreshPriorityCells() override;
    void SetSingerItems(const std::vector<std::string>& big5Items) override;
    // Closes without asking anything: a signal (logout, kill) may leave no one to answer.
    void CloseWithoutOffers();
    // The program ends at once (a signal, an abandoned run): the end is requested, open boxes close
    // unanswered, the window closes without offers and every event loop returns.
    void EndNow();
    // Fonts, column widths and play buttons of the grid for ScreenDpi.
    void LayoutForScreenDpi();

public slots:
    void N4Click();   // 檔案 / 關閉
    void N11Click();  // 說明 / 關於歌曲管理程式
    void N14Click();  // 說明 / 執行自動更新工具
    void N21Click();  // 工具 / 重新產生拼音
    void N25Click();  // 工具 / 設定
    void QV1Click();  // 說明 / QV拼音法與英文字母對照表
    void DeleteButtonClick();
    void MultiDelButtonClick();
    void SpecialDelButtonClick();
    void ReplaceButtonClick();
    void SearchButtonClick();
    void
    FilterControlChange();  // a filter box or check box changed: the search text goes, the view refilters
    void ClearSelectButtonClick();
    void AntiSelectButtonClick();
    void HeaderClick(int column);

protected:
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool skipClosingOffers_ = false;  // an accepted update or a signal ends the program
    // StartupWindow
    void UpdateNameFormatLabels() override;
    void ResetPlayButtons() override;
    void LayoutSongGrid() override;
    void ResetFilterControls() override;
    void ApplyEdition() override;
    void ShowServerMessage() override;
    void EndAfterStartUp() override;
    bool AskIndexOutput() override;

    void FormCreate();
    void FormActivate();
    void BuildControls(const std::vector<std::string>& playerArgs);
    void BuildMenu();
    void SongBookCommand(const std::function<bool()>& command);
    void BuildAddPanel();
    void InstallHooks();
    void LayoutPlayButtons();
    void CreateMediaPreview();
    void FitIntoScreen();

    Edition edition_;
    std::vector<std::string> playerArgs_;
    QHBoxLayout* body_ = nullptr;
    QVBoxLayout* side_ = nullptr;  // the add panel's column
    std::unique_ptr<QtUserInterface> ui_;
    std::unique_ptr<QtDiskToolsHost> diskTools_;
    std::unique_ptr<CopyProgressDialog> copyProgress_;
    SongGridModel* model_ = nullptr;
    std::vector<QPushButton*> playButtons_;  // created on first need, at most 100
    int visiblePlayButtons_ = 0;
    int playButtonWidth_ = 39;
};

}  // namespace qv
