#include "f01.h"

#include "fmenu.h"
#include "g01.h"
#include "probe.h"
#include "qini.h"
#include "s01.h"

namespace {

// The rows of the command menu; a row's index is its command number.
const wchar_t* const kCommandCaptions[] = {
    L"メニューの編集",  // edit
    L"追加",            // add
    L"コピー",          // copy
    L"挿入貼り付け",    // insert-paste
    L"削除",            // delete
    L"オプション",      // options
    L"終了",            // exit
};

}  // namespace

TFPelnor::TFPelnor(TComponent* AOwner) : TForm(AOwner) {
    SetCaption(L"Pelnor");
    SetClientWidth(426);
    SetClientHeight(293);
    OnCreate = Bind(this, &TFPelnor::FormCreate);
}

void TFPelnor::FormCreate(TObject* /*Sender*/) {
    POINT cursor{};
    ::GetCursorPos(&cursor);

    MenuSettings = new TMenuSettings();
    MenuSettings->ExeDir = ExcludeTrailingPathDelimiter(ExtractFilePath(Application->ExeName()));
    MenuSettings->ClipboardHandle = nullptr;
    MenuSettings->IniName = L"pelnor.ini";

    TMenuArguments args;
    args.X = cursor.x;
    args.Y = cursor.y;
    ReadMenuArguments(ProgramArguments(), args);
    if (args.HasName) {
        // The name becomes a file of the menu folder and nothing else: a name
        // with a folder part, a drive, a device or a character that a file
        // name cannot hold ends the run at once, touching no file.
        if (!IsSafeMenuName(args.Name)) {
            ::Beep(2000, 100);
            delete MenuSettings;
            MenuSettings = nullptr;
            Application->Terminate();
            return;
        }
        MenuSettings->IniName = args.Name + L".ini";
    }
    const int x = args.X, y = args.Y;

    MenuStore = new TQini();
    MenuStore->SetFolder(L"Kestovar", L"Pelnor");
    LoadMenuSettings(MenuSettings->IniName.c_str());
    KPROBE_MOMENT(kpSettingsRead);

    CommandMenu = new TKMenu(this);
    for (const wchar_t* caption : kCommandCaptions) CommandMenu->AddItem(caption, L"");
    CommandMenu->Kind = 1;
    if (args.CommandsFirst) CommandMenu->Popup(nullptr, x, y);

    ItemMenu = new TKMenu(this);
    ItemMenu->LoadItems(MenuStore);
    KPROBE_MOMENT(kpItemsRead);
    ItemMenu->Kind = 0;
    ItemMenu->Popup(nullptr, x, y);

    SaveMenuSettings(MenuSettings->IniName.c_str(), ItemMenu->Items);

    delete MenuStore;
    MenuStore = nullptr;
    delete ItemMenu;
    ItemMenu = nullptr;
    delete CommandMenu;
    CommandMenu = nullptr;
    delete MenuSettings;
    MenuSettings = nullptr;
    Application->Terminate();
}
