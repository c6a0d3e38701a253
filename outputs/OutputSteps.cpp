#include "outputs/OutputSteps.h"

#include <memory>

#include "catalogue/ProgramState.h"
#include "catalogue/TextFile.h"
#include "catalogue/UserInterface.h"
#include "library/Startup.h"
#include "outputs/SongBook.h"
#include "platform/LibreOffice.h"
#include "resources/ShippedData.h"
#include "outputs/CloudSongBook.h"
#include "outputs/HtmlObrel.h"
#include "outputs/IndexCommon.h"
#include "outputs/IndexStaging.h"
#include "outputs/VkmIndex.h"
#include "outputs/ZtControlFiles.h"
#include "outputs/ZtIndex.h"
#include "outputs/Qvi05Database.h"

namespace qv {

namespace {

// A program folder without the templates gets the shipped ones; an existing one is the user's.
void LayDownSongBookTemplates() {
    for (const auto& [name, bytes] : {std::pair{SongBookTemplateName, &ShippedSongBookTemplate()},
                                      std::pair{SingerBookTemplateName, &ShippedSingerBookTemplate()}}) {
        const std::string path = PathIn(AppDir, name);
        if (!FileExists(path)) ReplaceFileContents(path, *bytes);
    }
}

// Only looks for the converter: a conversion at start would cost seconds.
void PrepareSpreadsheetEngine() {
    LayDownSongBookTemplates();
    static std::unique_ptr<LibreOfficeConverter> converter;
    static std::unique_ptr<OdsWorkbook> workbook;
    SetSongBookEngine(nullptr);
    const std::string program = LibreOfficeProgram();
    ExcelAvailable = !program.empty();
    // What a killed book run left; within a run the program removes its own work.
    const std::string cache = ExcelAvailable ? DefaultConverterCacheFolder() : std::string();
    RemoveLeftOverBookWork(AppDir, cache);
    if (!ExcelAvailable) return;
    converter = std::make_unique<LibreOfficeConverter>(program, cache);
    workbook = std::make_unique<OdsWorkbook>(converter.get());
    SetSongBookEngine(workbook.get());
}

}  // namespace

void InstallOutputSteps() {
    OutputSteps& steps = StartupOutputSteps();
    steps.tidyOfflineBook = TidyOfflineObrelBook;
    steps.recoverIndexFolder = [] {
        try {
            RecoverIndexFolder(PathIn(LibraryRoot, "000"));
        } catch (const IndexRunError& error) {
            UI().ShowErrorBox(error.what());
        }
    };
    steps.prepareSpreadsheetEngine = PrepareSpreadsheetEngine;
    steps.writeQvi05Database = [] { WriteQvi05Database(); };
    steps.offerCloudUpload = OfferCloudUploadOnClose;
    steps.writeMenuTopSetIfMissing = [] {
        if (!FileExists(PathIn(LibraryRoot, "000/MenuTopSet.ztx"))) WriteMenuTopSet(3);
    };
    steps.resetPlayModeFilesOnFirstRun = [] { ResetPlayModeFiles(); };
    steps.writeZtIndex = [] { WriteZtIndex(); };
    steps.writeVkmIndex = WriteVkmIndex;
}

}  // namespace qv
