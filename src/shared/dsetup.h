// Unit DSetup: TKSetup, the data module whose popup menu offers the maker's
// programs found under the program-files folder. The edit dialog of each
// program pops the menu up; a pick writes the program's path into that
// dialog.
//
// One module, two click handlers: everything here is shared, except
// TKSetup::PMenuClick, which each program defines itself, in the unit of the
// edit dialog it fills (the bar in src/bar/fedit.cpp, the menu program in its
// own fedit unit). Put it in that unit and not in a unit of its own: the
// dialog's unit is always linked when the dialog is, so the handler comes
// with it. A test that links no program defines its own.
#pragma once

#include "vcl.h"

class TKSetup : public TDataModule {
public:
    // Builds the menu and its twelve items as the form holds them: the bar's
    // own item hidden, and in the menu program's build also the menu
    // program's item.
    explicit TKSetup(TComponent* AOwner);
    ~TKSetup() override;

    TPopupMenu* PMenuSetup = nullptr;
    TMenuItem* PMBrenk = nullptr;   // Tag 1
    TMenuItem* PMTolvin = nullptr;  // Tag 2
    TMenuItem* PMFessel = nullptr;  // Tag 3
    TMenuItem* PMDrumo = nullptr;   // Tag 4
    TMenuItem* PMUlvan = nullptr;   // Tag 5
    TMenuItem* PMDovrak = nullptr;  // Tag 6, never shown
    TMenuItem* PMSorvik = nullptr;  // Tag 7
    TMenuItem* PMPelnor = nullptr;  // Tag 8
    TMenuItem* PMHendra = nullptr;  // Tag 9
    TMenuItem* PMGarvo = nullptr;   // Tag 10
    TMenuItem* PMNuppa = nullptr;   // Tag 11
    TMenuItem* PMOskel = nullptr;   // Tag 12

    // OnPopup: looks every offered program up again, hides the items whose
    // program is missing and shows again those whose program is there now.
    void PMenuSetupPopup(TObject* Sender);
    // OnClick of all twelve items; Sender is the item. Defined by each program.
    void PMenuClick(TObject* Sender);

    // The full path of the program's file (the three places in their order),
    // or empty when none holds it; then the item is hidden. Draws the
    // program's small icon (a plain square without one) into the item's
    // bitmap.
    UnicodeString FindProgram(const UnicodeString& name, TMenuItem* item);
    // The lowest free menu name pn000001 .. pn099999 in the menu program's
    // settings folder; pn099999 when all are taken. Creates nothing.
    UnicodeString NewMenuIniName();

    // The program name of an item's Tag (the item's caption); empty outside 1 .. 12.
    static UnicodeString ProgramName(int tag);
    // The item with that Tag, or null.
    TMenuItem* ItemOfTag(int tag) const;
    // Whether this build ever shows the item of that Tag (false for the
    // items hidden in the form).
    bool Offered(int tag) const;

    static constexpr int ProgramCount = 12;

private:
    TMenuItem* FItems[ProgramCount] = {};
    bool FOffered[ProgramCount] = {};
};

// The module in use: the bar's one instance, or the menu program's instance
// of the open edit dialog; null otherwise.
extern TKSetup* KSetup;

// The menu name of number i: "pn" and i in six digits (pn000042).
UnicodeString MenuIniNameOf(int i);
// The program-files folder without a trailing backslash; empty when unknown.
UnicodeString ProgramFilesFolder();
