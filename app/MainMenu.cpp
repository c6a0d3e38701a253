#include "app/MainMenu.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>

namespace qv {

const std::vector<MenuSpec>& MainMenuLayout() {
    static const std::vector<MenuSpec> layout{
        {"FileMenu",
         "檔案",
         {{"N2", "匯入歌曲"},
          {"N3", "匯出新歌"},
          {"QV21", "匯入QV2"},
          {"QV22", "匯入QV2(以字數排序)"},
          {"OK1", "匯入統一卡拉OK/JETKTV"},
          {"N900GX1", "匯入其他"},
          {"N33", "依範圍匯出歌曲"},
          {"N4", "關閉"}}},
        {"SongBookMenu",
         "歌簿",
         {{"N6", "輸出總歌簿"},
          {"N7", "輸出新進歌簿"},
          {"N16", "輸出流行歌簿"},
          {"N17", "輸出最愛歌簿"},
          {"N18", "輸出懷舊歌簿"},
          {"N19", "輸出經典歌簿"},
          {"N15", "輸出自選歌曲歌簿"},
          {"N12", "依歌星輸出歌簿"},
          {"N35", "依歌星輸出新歌簿"},
          {"N32", "依範圍輸出歌簿"},
          {"N38", "輸出離線雲端歌簿"}}},
        {"N8",
         "工具",
         {{"N9", "清除新進歌曲標示"},
          {"N20", "清除歌星優先標示"},
          {"N21", "重新產生拼音"},
          {"N26", "重新產生歌曲筆劃"},
          {"songlisttxtsong1txt1", "songlist.txt 轉 song1.txt"},
          {"N5001", "建立500個空白目錄"},
          {"N13", "以目錄建立統一JETKTV檔"},
          {"N23", "設定歌庫磁碟位置"},
          {"N24", "歌庫磁碟重組"},
          {"N27", "產生資料夾形式的歌庫"},
          {"N31", "復原資料夾形式的歌庫"},
          {"N29", "重設所有歌曲音量為預設值"},
          {"ZT2", "輸出ZT點歌機(QV03)索引檔"},
          {"ZT1", "輸出VKM點歌機(QV04)索引檔"},
          {"XVorelKTV1", "輸出QVi05索引檔"},
          {"N28", "重新判斷雙人對唱歌曲"},
          {"N30", "清除點歌排行榜"},
          {"N34", "上傳雲端歌簿"},
          {"N36", "從雲端歌簿同步最愛歌曲"},
          {"N37", "歌星照片搬移"},
          {"N25", "設定"}}},
        {"HelpMenu",
         "說明",
         {{"N22", "新增功能說明"},
          {"QV1", "QV拼音法與英文字母對照表"},
          {"N14", "執行自動更新工具"},
          {"N11", "關於歌曲管理程式"}}},
    };
    return layout;
}

void BuildMainMenu(QMenuBar* bar, const std::map<std::string, std::function<void()>>& handlers) {
    for (const MenuSpec& spec : MainMenuLayout()) {
        QMenu* menu = bar->addMenu(QString::fromUtf8(spec.caption));
        menu->setObjectName(spec.name);
        for (const MenuItemSpec& item : spec.items) {
            QAction* action = menu->addAction(QString::fromUtf8(item.caption));
            action->setObjectName(item.name);
            auto handler = handlers.find(item.name);
            if (handler == handlers.end()) {
                action->setEnabled(false);
                continue;
            }
            QObject::connect(action, &QAction::triggered, bar, [f = handler->second] { f(); });
        }
    }
}

void RemoveMenuItems(QMenuBar* bar, const std::vector<std::string>& names) {
    for (const std::string& name : names) {
        for (QMenu* menu : bar->findChildren<QMenu*>()) {
            if (QAction* action = menu->findChild<QAction*>(QString::fromStdString(name))) {
                menu->removeAction(action);
                delete action;
            }
        }
    }
}

}  // namespace qv
