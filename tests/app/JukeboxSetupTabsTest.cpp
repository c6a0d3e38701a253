// The VKM and PC jukebox tabs of the settings dialog: what their loaders select, and what their apply and
// defaults buttons write and leave open.
#include <QComboBox>
#include <QPushButton>
#include <QTabWidget>
#include <QtTest>
#include <filesystem>

#include "app/PcJukeboxSetupPage.h"
#include "app/SetupForm.h"
#include "app/VkmSetupPage.h"
#include "catalogue/TextFile.h"
#include "settings/IniFile.h"
#include "settings/PcJukeboxConfig.h"
#include "settings/Settings.h"
#include "support/FakeUserInterface.h"
#include "support/TempFolder.h"

using qv::TSetupForm;
using qv::test::ReadBytes;
using qv::test::WriteBytes;
using Texts = std::vector<std::string>;
namespace setup = qv::setup;

class JukeboxSetupTabsTest : public QObject {
    Q_OBJECT

    std::unique_ptr<qv::test::TempFolder> folder_;
    std::unique_ptr<qv::test::FakeUserInterface> ui_;

    std::string Ini() const { return folder_->File("setting.ini"); }
    std::string Key(const char* section, const char* key) const {
        return qv::IniFile(Ini()).ReadString(section, key, "(missing)");
    }
    Texts VkmKeys() const {
        Texts texts;
        for (const char* key : {"IsSetPlayModeOnly", "IsKaraokeAutoPlayEnable", "IsKaraokeAutoPlayMode",
                                "IsKaraokeAutoPlayTime", "IsPauseButtonShowMenu", "SystemTxtMsgTop_720x480",
                                "SystemTxtMsgTop_1024x768", "SystemTxtMsgTop_1280x720"})
            texts.push_back(Key("Vkm Setting", key));
        return texts;
    }
    // The five lines of the general file that carry values.
    Texts GeneralValueLines() const {
        const Texts lines = qv::SplitTextLines(ReadBytes(folder_->File("system/setup.ini")));
        if (lines.size() != 75) return {"line count " + std::to_string(lines.size())};
        return {lines[15], lines[25], lines[56], lines[58], lines[60]};
    }
    static std::vector<int> Indexes(const qv::TVkmSetupPage& page) {
        std::vector<int> indexes;
        for (const QComboBox* box : page.ComboBoxes) indexes.push_back(box->currentIndex());
        return indexes;
    }
    static void Click(QPushButton* button) { QTest::mouseClick(button, Qt::LeftButton); }

private slots:
    void init() {
        folder_ = std::make_unique<qv::test::TempFolder>();
        ui_ = std::make_unique<qv::test::FakeUserInterface>();
        setup::AppPath = folder_->Path();
        setup::ZtTabEnabled = true;
        setup::SetupScreenDpi = 96;
        qv::PcJukeboxFolder() = folder_->File("pc");  // a copy for the PC jukebox stays in the folder
    }
    void cleanup() {
        ui_.reset();
        folder_.reset();
    }

    void vkmTabLoadsAndItsApplyWritesKeysAndGeneralFile() {
        const std::string ini =
            "[Basic Setting]\r\nLanguage=1\r\n[Vkm Setting]\r\nIsSetPlayModeOnly=2\r\n"
            "IsKaraokeAutoPlayEnable=4\r\nIsKaraokeAutoPlayMode=0\r\nIsKaraokeAutoPlayTime=99\r\n"
            "IsPauseButtonShowMenu=1\r\nSystemTxtMsgTop_720x480=7\r\nSystemTxtMsgTop_1024x768=60\r\n";
        WriteBytes(Ini(), ini);
        TSetupForm form;
        qv::TVkmSetupPage* vkm = form.VkmPage;
        QCOMPARE(vkm->ComboBoxes[3]->itemText(50), QString("50"));
        QCOMPARE(vkm->ComboBoxes[7]->itemText(60), QString("60"));
        // 99 seconds is past the list: no selection; the missing key loads its default.
        QCOMPARE(Indexes(*vkm), (std::vector<int>{2, 4, 0, -1, 1, 7, 60, 18}));
        QCOMPARE(ReadBytes(Ini()), ini);
        QVERIFY(!std::filesystem::exists(folder_->File("system")));
        form.show();
        form.PageControl1->setCurrentWidget(form.TabSheet9);
        QVERIFY(form.width() <= 1024 && form.height() <= 768 && vkm->sizeHint().width() <= 1000);

        vkm->ComboBoxes[5]->setCurrentIndex(vkm->ComboBoxes[5]->findText("12"));
        Click(vkm->OkButton8);
        QCOMPARE(form.result(), int(QDialog::Accepted));
        QCOMPARE(VkmKeys(), (Texts{"2", "4", "0", "0", "1", "12", "60", "18"}));
        QCOMPARE(Key("Basic Setting", "Language"), std::string("1"));
        QCOMPARE(setup::SystemTxtMsgTop_720x480, 12);
        QCOMPARE(GeneralValueLines(),
                 (Texts{"[IsSetPlayModeOnly]2", "[IsPauseButtonShowMenu]1", "[IsKaraokeAutoPlayEnable]4",
                        "[IsKaraokeAutoPlayMode]0", "[IsKaraokeAutoPlayTime]0"}));
        // The program has no screen coordinates of the layouts: none is written, one warning names all.
        QVERIFY(!std::filesystem::exists(folder_->File("system/720X480")));
        const Texts warnings = ui_->Texts("warning");
        QCOMPARE(warnings.size(), size_t(1));
        for (const char* name :
             {"system/720X480/setup.ini", "system/1024X768/setup.ini", "system/1280X720/setup.ini"})
            QVERIFY2(warnings[0].find(name) != std::string::npos, name);
    }

    void vkmDefaultsKeepTheDialogOpenAndAFailedApplyToo() {
        // The loading stops at the text that is no integer: the boxes after it keep their state.
        WriteBytes(Ini(), "[Vkm Setting]\r\nIsSetPlayModeOnly=2\r\nIsKaraokeAutoPlayEnable=x\r\n");
        TSetupForm form;
        qv::TVkmSetupPage* vkm = form.VkmPage;
        QCOMPARE(Indexes(*vkm), (std::vector<int>{2, -1, -1, -1, -1, -1, -1, -1}));
        form.show();
        Click(vkm->DefaultButton8);
        QVERIFY(form.isVisible() && !setup::KeepOpenAfterApply);
        QCOMPARE(VkmKeys(), (Texts{"1", "1", "1", "0", "0", "5", "0", "18"}));
        QCOMPARE(GeneralValueLines(),
                 (Texts{"[IsSetPlayModeOnly]1", "[IsPauseButtonShowMenu]0", "[IsKaraokeAutoPlayEnable]1",
                        "[IsKaraokeAutoPlayMode]1", "[IsKaraokeAutoPlayTime]0"}));

        // A general file that cannot be written: reported, and the dialog stays open.
        std::filesystem::remove_all(folder_->File("system"));
        WriteBytes(folder_->File("system"), "a file where the folder belongs");
        Click(vkm->OkButton8);
        QVERIFY(form.isVisible());
        QCOMPARE(ui_->Texts("error").back(), "無法寫入檔案:" + folder_->File("system/setup.ini"));
    }

    void pcJukeboxTabIsHiddenButLoadsAndWrites() {
        WriteBytes(Ini(), "[Vorel_KTV Setting]\r\nRandomPlay=5\r\nSerialSelectFontSize=72\r\n");
        std::filesystem::create_directory(folder_->File("000"));
        TSetupForm form;
        qv::TPcJukeboxSetupPage* pc = form.PcJukeboxPage;
        QVERIFY(!form.PageControl1->isTabVisible(form.PageControl1->indexOf(form.TabSheet2)));
        QCOMPARE(pc->ComboBox26->currentText(), QString("播放英語歌曲"));
        QCOMPARE(pc->ComboBox27->currentText(), QString("72"));
        QVERIFY(!std::filesystem::exists(folder_->File("000/qvi05.cfg")));

        // Its buttons, though no user reaches them, follow the dialog's protocol.
        form.show();
        Click(pc->Button2);
        QVERIFY(form.isVisible());
        QCOMPARE(Key("Vorel_KTV Setting", "SerialSelectFontSize"), std::string("39"));
        pc->ComboBox26->setCurrentIndex(4);
        Click(pc->Button1);
        QVERIFY(!form.isVisible());
        QCOMPARE(Key("Vorel_KTV Setting", "RandomPlay"), std::string("4"));
        QVERIFY(std::filesystem::file_size(folder_->File("000/qvi05.cfg")) > 0);
    }
};

QTEST_MAIN(JukeboxSetupTabsTest)
#include "JukeboxSetupTabsTest.moc"
