#pragma once
// The disk tools' host in the program: Qt folder dialog, the library-disk and photo windows, and the main
// window's parts, which the main window hooks in.
#include <QPointer>
#include <functional>

#include "library/DiskTools.h"

class QWidget;

namespace qv {

class QtDiskToolsHost final : public DiskToolsHost {
public:
    explicit QtDiskToolsHost(QWidget* owner = nullptr) : owner_(owner) {}

    // Set by the main window; an empty hook does nothing.
    std::function<void()> resetSongFilters;
    std::function<void()> refreshSongList;
    std::function<void()> stopPreview;

    bool ChooseFolder(const std::string& caption, const std::string& start, std::string& folder) override;
    bool ChooseOpenFile(std::string& path) override;
    bool ChooseSaveFile(std::string& path) override;
    int ShowSelectDirForm(const std::string& iniDir) override;
    int ShowProgressForm(const std::string& pictureRoot) override;
    void ResetSongFilters() override { Call(resetSongFilters); }
    void RefreshSongList() override { Call(refreshSongList); }
    void StopPreview() override { Call(stopPreview); }

private:
    static void Call(const std::function<void()>& hook) {
        if (hook) hook();
    }
    QPointer<QWidget> owner_;
};

}  // namespace qv
