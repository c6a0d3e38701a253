// The main window on a full song disk (79,920 songs), offscreen: its creation with the whole start-up up
// to the shown window, one filter change or search to the repainted grid, and the header sorts.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QTableView>
#include <QTest>

#include <filesystem>
#include <memory>

#include "app/MainForm.h"
#include "bench/BenchLibrary.h"
#include "catalogue/SongTable.h"
#include "library/Startup.h"
#include "platform/ServerHosts.h"

namespace {

// The program folder with the full disk's song list and the shipped-style folders; the current directory.
const std::string& ProgramFolder() {
    static qv::bench::TempFolder folder;
    static const std::string path = [] {
        qv::bench::WriteFullLibrary(folder.path());
        std::filesystem::current_path(folder.path());
        return folder.path();
    }();
    return path;
}

// Destroyed by main() before the QApplication: a window must not outlive the application object.
std::unique_ptr<qv::TMainForm> sharedForm;

qv::TMainForm& Form() {
    if (!sharedForm) {
        ProgramFolder();
        sharedForm = std::make_unique<qv::TMainForm>();
        sharedForm->resize(1024, 700);
        sharedForm->show();
        (void)QTest::qWaitForWindowExposed(sharedForm.get());
    }
    return *sharedForm;
}

void Repaint(qv::TMainForm& form) { form.StringGrid->viewport()->repaint(); }

void BM_StartUpToShownWindow(benchmark::State& state) {
    ProgramFolder();
    for (auto _ : state) {
        qv::StartSongListPreload();  // as the program does before making its window
        qv::TMainForm form;
        form.resize(1024, 700);
        form.show();
        (void)QTest::qWaitForWindowExposed(&form);
        Repaint(form);
        if (qv::AllSongCount != qv::bench::kFullDiskSongs) state.SkipWithError("not every song loaded");
        state.PauseTiming();
        form.hide();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_StartUpToShownWindow)->Unit(benchmark::kMillisecond)->Iterations(5);

void BM_FilterChangeToRepaintedGrid(benchmark::State& state) {
    qv::TMainForm& form = Form();
    int item = 0;
    for (auto _ : state) {
        item = item == 0 ? 1 : 0;  // all languages <-> Mandarin only: the largest views
        form.ShowOnlyComboBox->setCurrentIndex(item);
        Repaint(form);
    }
}
BENCHMARK(BM_FilterChangeToRepaintedGrid)->Unit(benchmark::kMillisecond);

void BM_SearchToRepaintedGrid(benchmark::State& state) {
    qv::TMainForm& form = Form();
    for (auto _ : state) {
        form.SearchEdit->setText(QStringLiteral("愛"));
        form.SearchButtonClick();
        Repaint(form);
    }
    form.SearchEdit->clear();
    form.SearchButtonClick();
}
BENCHMARK(BM_SearchToRepaintedGrid)->Unit(benchmark::kMillisecond);

// Each iteration is one click: the three states in turn (groups first, book order, song-table order).
void BM_HeaderSortClick(benchmark::State& state) {
    qv::TMainForm& form = Form();
    form.ShowOnlyComboBox->setCurrentIndex(0);
    const int column = static_cast<int>(state.range(0));
    for (auto _ : state) {
        form.HeaderClick(column);
        Repaint(form);
    }
}
BENCHMARK(BM_HeaderSortClick)
    ->Arg(qv::colSongName)
    ->Arg(qv::colSinger)
    ->Arg(qv::colLanguage)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(30);

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    qv::SetMakerServers({"127.0.0.1:9", "127.0.0.1:9", "127.0.0.1:9"});
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    sharedForm.reset();
    return 0;
}
